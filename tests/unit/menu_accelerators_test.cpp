// The function keys: the accelerator table in the resources and what each key sends; and
// the common controls that the manifest in the same resources selects.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cwctype>
#include <string>
#include <vector>

namespace {

struct KeyCommand {
  WORD key;
  WORD command;
};

const KeyCommand functionKeys[] = {
    {VK_F1, 35}, {VK_F2, 33}, {VK_F3, 34},  {VK_F4, 0},   {VK_F5, 1},   {VK_F6, 2},
    {VK_F7, 4},  {VK_F8, 5},  {VK_F9, 11}, {VK_F10, 12}, {VK_F11, 13}, {VK_F12, 25}, {VK_SPACE, 38},
};

std::vector<int> commandsSeen;

LRESULT CALLBACK recordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    commandsSeen.push_back(LOWORD(wParam) | (HIWORD(wParam) << 16));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TEST(Accelerators, TableHoldsExactlyTheTwelvePlainFunctionKeysAndSpace) {
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), L"VELMORA_ACC");
  ASSERT_NE(table, nullptr);
  ACCEL entries[32];
  int count = CopyAcceleratorTableW(table, entries, 32);
  ASSERT_EQ(count, 13);
  for (const KeyCommand& k : functionKeys) {
    SCOPED_TRACE(k.key - VK_F1 + 1);
    int found = 0;
    for (int i = 0; i < count; ++i) {
      if (entries[i].key != k.key) continue;
      ++found;
      EXPECT_EQ(entries[i].cmd, k.command);
      // Virtual key without Shift, Ctrl or Alt (the terminator bit of the last entry aside).
      EXPECT_EQ(entries[i].fVirt & ~0x80, FVIRTKEY);
    }
    EXPECT_EQ(found, 1);
  }
}

TEST(Accelerators, EachFunctionKeyReachesItsCommandThroughTranslation) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = recordCommands;
  wc.hInstance = instance;
  wc.lpszClassName = L"VelmoraAcceleratorTest";
  RegisterClassW(&wc);
  // No system menu: its separators carry id 0, and the translation looks the command up there
  // first, so with WS_SYSMENU the F4 entry (id 0) is taken as a greyed system command and
  // dropped; the program's message loop sends F4's command itself.
  HWND window = CreateWindowW(L"VelmoraAcceleratorTest", L"", WS_POPUP, 0, 0, 100, 100,
                              nullptr, nullptr, instance, nullptr);
  ASSERT_NE(window, nullptr);
  HACCEL table = LoadAcceleratorsW(instance, L"VELMORA_ACC");
  for (const KeyCommand& k : functionKeys) {
    SCOPED_TRACE(k.key - VK_F1 + 1);
    commandsSeen.clear();
    MSG message{window, WM_KEYDOWN, k.key, 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateAcceleratorW(window, table, &message));
    ASSERT_EQ(commandsSeen.size(), 1u);
    EXPECT_EQ(commandsSeen[0], (1 << 16) | k.command);  // notification 1: from an accelerator
  }
  DestroyWindow(window);
}

// Version 6 comes from the side-by-side assembly of the process's own architecture. A manifest
// naming x86 in a 64-bit program makes the loader pick the 32-bit assembly, or none at all.
TEST(Manifest, SelectsCommonControlsSixOfTheProgramsOwnArchitecture) {
  InitCommonControls();
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(controls, nullptr);
  wchar_t path[MAX_PATH] = L"";
  ASSERT_GT(GetModuleFileNameW(controls, path, MAX_PATH), 0u);
  std::wstring lower = path;
  for (wchar_t& c : lower) c = towlower(c);
  const wchar_t* assembly = sizeof(void*) == 8 ? L"\\amd64_microsoft.windows.common-controls_6595b64144ccf1df_6."
                                               : L"\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.";
  EXPECT_NE(lower.find(assembly), std::wstring::npos) << path;
}
