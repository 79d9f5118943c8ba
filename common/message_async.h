// A message box on a thread of its own, for workers that must not wait for the user.
#pragma once
#include <windows.h>

void showMessageAsync(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
