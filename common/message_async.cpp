#include "common/message_async.h"

#include "common/threads.h"

#include <cwchar>

namespace {

// The block handed to the message thread; it and both copies belong to that thread.
struct AsyncMessage {
  HWND owner;
  wchar_t* text;
  wchar_t* caption;
  UINT type;
  std::atomic<int>* showing;
};

wchar_t* heapCopy(const wchar_t* text) {
  if (!text) text = L"";
  size_t units = wcslen(text) + 1;
  auto* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, units * sizeof(wchar_t)));
  if (copy) wmemcpy(copy, text, units);
  return copy;
}

void freeMessage(AsyncMessage* message) {
  if (message->showing) *message->showing = 0;
  HANDLE heap = GetProcessHeap();
  if (message->text) HeapFree(heap, 0, message->text);
  if (message->caption) HeapFree(heap, 0, message->caption);
  HeapFree(heap, 0, message);
}

DWORD WINAPI messageThread(LPVOID parameter) {
  auto* message = static_cast<AsyncMessage*>(parameter);
  MessageBoxW(message->owner, message->text, message->caption, message->type);
  freeMessage(message);
  return 0;
}

}  // namespace

void showMessageAsync(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type, std::atomic<int>* showing) {
  auto* message = static_cast<AsyncMessage*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(AsyncMessage)));
  if (!message) {
    if (showing) *showing = 0;
    return;
  }
  message->showing = showing;
  message->owner = owner;
  message->text = heapCopy(text);
  message->caption = heapCopy(caption);
  message->type = type;
  if (!message->text || !message->caption) {
    freeMessage(message);
    return;
  }
  if (!startThread(messageThread, message)) freeMessage(message);  // nothing is shown and nothing reported
}
