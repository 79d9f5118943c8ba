#include "programs/step_editor.h"

#include <commctrl.h>

#include <cwchar>

#include "common/dialog_helpers.h"
#include "common/sound_files.h"
#include "common/window_requests.h"
#include "programs/program_editor.h"
#include "programs/program_file.h"
#include "res/resource.h"

int stepEditMode = 0;
int stepFilterIndex = -1;

namespace {

HWND waitBox = nullptr;

const wchar_t kControlInSound[] = L"音声ファイル名にタブや改行などの制御文字は使えません。";
const wchar_t kTabInMessage[] = L"メッセージにタブ文字（または Ctrl+Z の制御文字）は使えません。";

// A TAB separates the fields of a program timer file, a line break ends its step, and the
// runtime's text mode takes U+001A for the end of the file: a text holding one would not come
// back from the file as it was. Messages keep their line breaks (escaped); a file name can
// hold no control character at all.
bool textFitsTheFile(const wchar_t* text, bool isFileName) {
  for (const wchar_t* p = text; *p; ++p)
    if (*p == L'\t' || *p == 0x1A || (isFileName && *p < L' ')) return false;
  return true;
}

void refuseText(HWND dialog, int id, const wchar_t* message) {
  MessageBoxW(dialog, message, L"Velmora", MB_ICONERROR);
  SetFocus(GetDlgItem(dialog, id));
}

double readWait(HWND dialog) {
  wchar_t text[128] = L"";
  GetDlgItemTextW(dialog, IDC_STEP_WAIT, text, 128);
  return wcstod(text, nullptr);
}

void writeNumber(HWND box, double value) {
  wchar_t text[64];
  _snwprintf(text, 64, L"%0.0lf", value);
  text[63] = L'\0';
  SetWindowTextW(box, text);
}

// The main window is the owner's owner: the editor's own class has no icon.
void setMainWindowSmallIcon(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  HWND top = owner ? GetWindow(owner, GW_OWNER) : nullptr;
  if (!top) top = mainWindow;
  if (top) SendMessageW(dialog, WM_SETICON, ICON_SMALL, (LPARAM)GetClassLongPtrW(top, GCLP_HICON));
}

void onInitDialog(HWND dialog, int mode) {
  setMainWindowSmallIcon(dialog);
  stepEditMode = mode;
  waitBox = GetDlgItem(dialog, IDC_STEP_WAIT);
  SendDlgItemMessageW(dialog, IDC_STEP_WAIT, EM_LIMITTEXT, 127, 0);
  SendDlgItemMessageW(dialog, IDC_STEP_SOUND, EM_LIMITTEXT, 511, 0);
  SendDlgItemMessageW(dialog, IDC_STEP_MESSAGE, EM_LIMITTEXT, 255, 0);
  HWND list = programListView;
  int row = selectedRow(list);
  if (mode == IDC_PROGRAM_EDIT && row >= 0) {
    SetWindowTextW(dialog, L"編集");
    wchar_t text[512];
    getRowText(list, row, 0, text, 512);
    SetDlgItemTextW(dialog, IDC_STEP_WAIT, text);
    getRowText(list, row, 1, text, 512);
    SetDlgItemTextW(dialog, IDC_STEP_SOUND, text);
    getRowText(list, row, 2, text, 512);
    CheckDlgButton(dialog, IDC_STEP_REPEAT, wcscmp(text, L"有") == 0 ? BST_CHECKED : BST_UNCHECKED);
    getRowText(list, row, 3, text, 512);
    unescapeMessage(text, 512);
    SetDlgItemTextW(dialog, IDC_STEP_MESSAGE, text);
    return;
  }
  SetWindowTextW(dialog, mode == IDC_PROGRAM_INSERT ? L"挿入" : L"追加");
  SetDlgItemTextW(dialog, IDC_STEP_WAIT, L"1000");
  SetDlgItemTextW(dialog, IDC_STEP_SOUND, L"alarm.wav");
  CheckDlgButton(dialog, IDC_STEP_REPEAT, BST_UNCHECKED);
  SetDlgItemTextW(dialog, IDC_STEP_MESSAGE, L"");
}

void browseSoundFile(HWND dialog) {
  wchar_t file[520] = L"";
  GetDlgItemTextW(dialog, IDC_STEP_SOUND, file, 520);
  if (!chooseSoundFile(dialog, L"音声ファイル指定", file, &stepFilterIndex)) return;
  // A chosen path longer than a step holds is cut like a typed one.
  file[511] = L'\0';
  SetDlgItemTextW(dialog, IDC_STEP_SOUND, file);
}

void onOk(HWND dialog) {
  HWND list = programListView;
  if (!list) {
    EndDialog(dialog, 0);
    return;
  }
  wchar_t sound[512] = L"", message[512] = L"";
  GetDlgItemTextW(dialog, IDC_STEP_SOUND, sound, 512);
  GetDlgItemTextW(dialog, IDC_STEP_MESSAGE, message, 256);
  if (!textFitsTheFile(sound, true)) {
    refuseText(dialog, IDC_STEP_SOUND, kControlInSound);
    return;
  }
  if (!textFitsTheFile(message, false)) {
    refuseText(dialog, IDC_STEP_MESSAGE, kTabInMessage);
    return;
  }
  int s = selectedRow(list);
  int n = ListView_GetItemCount(list);
  wchar_t wait[64];
  normalisedWaitText(readWait(dialog), wait, 64);

  int row = -1;
  if (stepEditMode == IDC_PROGRAM_EDIT && s >= 0) {
    row = s;
    setRowText(list, row, 0, wait);
  } else {
    int at = stepEditMode == IDC_PROGRAM_INSERT && s >= 0 ? s : n;
    row = insertRow(list, at, wait);
  }
  if (row < 0) {
    EndDialog(dialog, 0);
    return;
  }
  setRowText(list, row, 1, sound);
  // An escaped message that would not fit a step is cut before the sequence that overflows.
  escapeMessage(message, 256);
  setRowText(list, row, 3, message);
  setRowText(list, row, 2, IsDlgButtonChecked(dialog, IDC_STEP_REPEAT) == BST_CHECKED ? L"有" : L"無");
  EndDialog(dialog, 1);
}

INT_PTR onNotify(HWND dialog, const NMHDR* header) {
  if (header->idFrom != IDC_STEP_WAIT_SPIN || header->code != UDN_DELTAPOS) return FALSE;
  const NMUPDOWN* change = reinterpret_cast<const NMUPDOWN*>(header);
  writeNumber(waitBox, stepWaitAfterDelta(readWait(dialog), change->iDelta));
  // Non-zero refuses the control's own position change: only the text counts.
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
  return TRUE;
}

}  // namespace

double stepWaitAfterDelta(double wait, int delta) {
  if (delta < 0) return wait <= 4294966295.0 ? wait + 1000.0 : 4294967295.0;
  if (delta > 0) return wait >= 1001.0 ? wait - 1000.0 : 1.0;
  return wait;
}

void normalisedWaitText(double wait, wchar_t* text, size_t size) {
  if (!size) return;
  if (!(wait >= 1.0))
    _snwprintf(text, size, L"1");
  else if (wait > 4294967295.0)
    _snwprintf(text, size, L"%u", 0xFFFFFFFFu);
  else
    _snwprintf(text, size, L"%0.0lf", wait);
  text[size - 1] = L'\0';
}

INT_PTR CALLBACK stepEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  static const DialogButton buttons[] = {{IDC_STEP_BROWSE, browseSoundFile}};
  static const OkCancelDialog handlers = {nullptr, onOk, buttons};
  switch (message) {
    case WM_INITDIALOG: onInitDialog(dialog, (int)lParam); return TRUE;
    case WM_NOTIFY: return onNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    default: return okCancelDialogMessage(dialog, message, wParam, handlers);
  }
}
