#include "shell/message_async.h"

void showMessageAsync(HWND, const wchar_t*, const wchar_t*, UINT) {}
