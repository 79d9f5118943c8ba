// Drives a dialog of the resource script from a second thread while this thread runs it
// modally, as a user would: the one way every dialog test runs its dialog.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <thread>

namespace dialogtest {

inline BOOL CALLBACK findDialogOfThread(HWND w, LPARAM out) {
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  if (lstrcmpW(cls, L"#32770") != 0) return TRUE;
  *(HWND*)out = w;
  return FALSE;
}

// The dialog of that thread once it is visible, else null after timeoutMs. A dialog is shown
// only after WM_INITDIALOG has filled it; before that its caption is there but its controls
// read empty, and what a driver typed would be overwritten.
inline HWND visibleDialogOf(DWORD thread, DWORD timeoutMs = 10000) {
  const DWORD start = GetTickCount();
  do {
    HWND dialog = nullptr;
    EnumThreadWindows(thread, findDialogOfThread, (LPARAM)&dialog);
    if (dialog && IsWindowVisible(dialog)) return dialog;
    Sleep(10);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

// Runs dialog id modally on this thread while drive(dialog) works it from another thread;
// drive ends it. A dialog that never shows is cancelled and fails the test.
inline INT_PTR runDialogDriven(int id, DLGPROC procedure, HWND owner, const std::function<void(HWND)>& drive) {
  const DWORD uiThread = GetCurrentThreadId();
  std::thread driver([&] {
    HWND dialog = visibleDialogOf(uiThread);
    if (dialog) {
      drive(dialog);
      return;
    }
    ADD_FAILURE() << "dialog " << id << " did not show";
    EnumThreadWindows(uiThread, findDialogOfThread, (LPARAM)&dialog);
    if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), owner, procedure, 0);
  driver.join();
  return result;
}

}  // namespace dialogtest
