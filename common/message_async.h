// A message box on a thread of its own, for workers that must not wait for the user.
#pragma once
#include <windows.h>

#include <atomic>

// showing, when given, is set to 0 once the box is closed (or could not be shown).
void showMessageAsync(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type,
                      std::atomic<int>* showing = nullptr);
