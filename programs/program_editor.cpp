#include "programs/program_editor.h"

#include <commctrl.h>

#include <cwchar>

#include "common/dialog_helpers.h"
#include "common/settings.h"
#include "display/dpi.h"
#include "programs/program_file.h"
#include "programs/step_editor.h"
#include "res/resource.h"

HWND programListView = nullptr;

namespace {

EditorMetrics editorMetrics{};
UINT editorMetricsDpi = 96;  // the DPI the metrics and column widths were taken at
// Posted by the DPI change: the controls are laid out again once the system has resized the
// dialog and rescaled its controls.
constexpr UINT WM_RELAYOUT = WM_APP + 10;

// The list lacks part of what the slot's file holds (the file could not be opened, the load
// stopped early, or not every row went into the list): saving would replace the file with less.
bool listIncomplete = false;

const wchar_t kIncompleteSaveQuestion[] =
    L"プログラムタイマー設定ファイルを全部は読み込めませんでした。\n"
    L"保存すると、読み込めなかったステップは失われます。保存しますか？";

const int kSideButtons[6] = {IDC_PROGRAM_UP,  IDC_PROGRAM_DOWN,   IDC_PROGRAM_EDIT,
                             IDC_PROGRAM_ADD, IDC_PROGRAM_INSERT, IDC_PROGRAM_DELETE};
const int kBottomButtons[3] = {IDOK, IDCANCEL, IDC_PROGRAM_APPLY};

struct Column {
  const wchar_t* header;
  int width96;
  int format;
};
const Column kColumns[4] = {
    {L"時間（ミリ秒）", 100, LVCFMT_LEFT},
    {L"音声ファイル", 200, LVCFMT_LEFT},
    {L"繰り返し", 75, LVCFMT_CENTER},
    {L"メッセージ", 500, LVCFMT_LEFT},
};

RECT screenRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  return r;
}

void measureButtonSizes(HWND dialog) {
  RECT up = screenRect(dialog, IDC_PROGRAM_UP);
  RECT ok = screenRect(dialog, IDOK);
  editorMetrics.buttonWidth = up.right - up.left;
  editorMetrics.buttonHeight = up.bottom - up.top;
  editorMetrics.bottomButtonWidth = ok.right - ok.left;
}

void measureMetrics(HWND dialog) {
  measureButtonSizes(dialog);
  RECT up = screenRect(dialog, IDC_PROGRAM_UP);
  RECT down = screenRect(dialog, IDC_PROGRAM_DOWN);
  RECT ok = screenRect(dialog, IDOK);
  RECT cancel = screenRect(dialog, IDCANCEL);
  editorMetrics.verticalGap = down.top - up.bottom;
  editorMetrics.horizontalGap = cancel.left - ok.right;
}

void setTitle(HWND dialog) {
  wchar_t name[128], title[256];
  programTimerDisplayName(PROGRAM_TIMER_NO, name, 128);
  _snwprintf(title, 256, L"「%ls」を編集 - Velmora", name);
  title[255] = L'\0';
  SetWindowTextW(dialog, title);
}

HWND createList(HWND dialog) {
  InitCommonControls();
  HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(dialog, GWLP_HINSTANCE);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                  LVS_NOSORTHEADER,
                              0, 0, 10, 10, dialog, (HMENU)(INT_PTR)IDC_PROGRAM_LIST, instance, nullptr);
  if (!list) return nullptr;
  DWORD extended = ListView_GetExtendedListViewStyle(list);
  ListView_SetExtendedListViewStyle(list, extended | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int c = 0; c < 4; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = kColumns[c].format;
    column.cx = scaleForDpi(kColumns[c].width96, editorMetricsDpi);
    column.pszText = const_cast<wchar_t*>(kColumns[c].header);
    column.iSubItem = c;
    ListView_InsertColumn(list, c, &column);
  }
  return list;
}

// True when every step of the file is in the list.
bool fillList(HWND list) {
  ProgramStep* steps = nullptr;
  bool whole = loadProgramSteps(&steps) == ProgramLoad::Whole;
  if (!steps) return false;
  for (int i = 0; steps[i].waitMs != 0; ++i) {
    wchar_t wait[16], message[256];
    _snwprintf(wait, 16, L"%u", steps[i].waitMs);
    wait[15] = L'\0';
    int row = insertRow(list, ListView_GetItemCount(list), wait);
    if (row < 0) {
      whole = false;
      break;
    }
    wcscpy_s(message, steps[i].message);
    escapeMessage(message, 256);
    setRowText(list, row, 3, message);
    setRowText(list, row, 1, steps[i].soundFile);
    setRowText(list, row, 2, steps[i].repeat ? L"有" : L"無");
  }
  HeapFree(GetProcessHeap(), 0, steps);
  return whole;
}

void onSize(HWND dialog, int width, int height) {
  if (!programListView) return;
  EditorLayout layout = editorLayout(editorMetrics, width, height);
  const UINT flags = SWP_NOACTIVATE | SWP_NOZORDER;
  SetWindowPos(programListView, nullptr, layout.list.left, layout.list.top, layout.list.right - layout.list.left,
               layout.list.bottom - layout.list.top, flags);
  for (int k = 0; k < 6; ++k)
    SetWindowPos(GetDlgItem(dialog, kSideButtons[k]), nullptr, layout.sideButtons[k].x, layout.sideButtons[k].y,
                 0, 0, flags | SWP_NOSIZE);
  for (int k = 0; k < 3; ++k)
    SetWindowPos(GetDlgItem(dialog, kBottomButtons[k]), nullptr, layout.bottomButtons[k].x,
                 layout.bottomButtons[k].y, 0, 0, flags | SWP_NOSIZE);
  InvalidateRect(dialog, nullptr, TRUE);
}

void relayout(HWND dialog) {
  RECT client;
  GetClientRect(dialog, &client);
  onSize(dialog, client.right, client.bottom);
}

void onInitDialog(HWND dialog) {
  setDialogSmallIcon(dialog);
  setTitle(dialog);
  measureMetrics(dialog);
  editorMetricsDpi = windowDpi(dialog);
  programListView = createList(dialog);
  listIncomplete = !programListView || !fillList(programListView);
  // The first WM_SIZE may come before the list exists; place everything now.
  relayout(dialog);
}

// Moved to a monitor of another DPI: the gaps and the column widths scale with it and the window
// takes the suggested rectangle. The dialog manager rescales the font and the buttons where the
// system does that for dialogs; the buttons are measured and placed again after that.
void onDpiChanged(HWND dialog, UINT dpi, const RECT& suggested) {
  const UINT old = editorMetricsDpi;
  if (!dpi || !old) return;
  editorMetrics.verticalGap = MulDiv(editorMetrics.verticalGap, (int)dpi, (int)old);
  editorMetrics.horizontalGap = MulDiv(editorMetrics.horizontalGap, (int)dpi, (int)old);
  editorMetricsDpi = dpi;
  if (programListView) {
    for (int c = 0; c < 4; ++c) {
      const int width = ListView_GetColumnWidth(programListView, c);
      ListView_SetColumnWidth(programListView, c, MulDiv(width, (int)dpi, (int)old));
    }
  }
  SetWindowPos(dialog, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  PostMessageW(dialog, WM_RELAYOUT, 0, 0);
}

void openStepEditor(HWND dialog, int mode) {
  HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(dialog, GWLP_HINSTANCE);
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_STEP_EDITOR), dialog, stepEditorDialogProc, (LPARAM)mode);
}

// OK and 適用: a list that lacks part of the file is saved only with the user's consent.
bool save(HWND dialog, HWND list) {
  if (listIncomplete &&
      MessageBoxW(dialog, kIncompleteSaveQuestion, L"Velmora", MB_ICONQUESTION | MB_YESNO) != IDYES)
    return false;
  // Once written, the file holds exactly the list.
  if (saveProgramTimer(dialog, list)) listIncomplete = false;
  return true;
}

void onCommand(HWND dialog, int id) {
  HWND list = programListView;
  switch (id) {
    case IDC_PROGRAM_UP: moveSelectedRowUp(list); break;
    case IDC_PROGRAM_DOWN: moveSelectedRowDown(list); break;
    case IDC_PROGRAM_EDIT:
    case IDC_PROGRAM_INSERT:
      if (selectedRow(list) >= 0) openStepEditor(dialog, id);
      break;
    case IDC_PROGRAM_ADD: openStepEditor(dialog, id); break;
    case IDC_PROGRAM_DELETE: deleteSelectedRow(list); break;
    case IDC_PROGRAM_APPLY: save(dialog, list); break;
    case IDOK:
      // Closes also after a failed save (its message has been shown), but stays open when the
      // user declined to replace a file that was not read whole.
      if (save(dialog, list)) EndDialog(dialog, 1);
      break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;
  }
}

}  // namespace

EditorLayout editorLayout(const EditorMetrics& m, int width, int height) {
  EditorLayout layout{};
  const int hg = m.horizontalGap, vg = m.verticalGap, bw = m.buttonWidth, bh = m.buttonHeight;
  const int ow = m.bottomButtonWidth;
  const int listWidth = width - (3 * hg + bw);
  const int listHeight = height - (3 * vg + bh);
  layout.list = {hg, vg, hg + listWidth, vg + listHeight};
  const int sideX = listWidth + 2 * hg;
  const int y0 = vg + (listHeight - 5 * vg - 6 * bh) / 2;
  for (int k = 0; k < 6; ++k) layout.sideButtons[k] = {sideX, y0 + k * (vg + bh)};
  const int bottomY = listHeight + 2 * vg;
  const int x1 = hg + (listWidth - 2 * hg - 3 * ow) / 2;
  for (int k = 0; k < 3; ++k) layout.bottomButtons[k] = {x1 + k * (ow + hg), bottomY};
  return layout;
}

int selectedRow(HWND list) {
  if (!list) return -1;
  return ListView_GetNextItem(list, -1, LVNI_SELECTED);
}

int insertRow(HWND list, int index, const wchar_t* wait) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(wait);
  return ListView_InsertItem(list, &item);
}

void setRowText(HWND list, int row, int column, const wchar_t* text) {
  ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text));
}

void getRowText(HWND list, int row, int column, wchar_t* text, int size) {
  text[0] = L'\0';
  ListView_GetItemText(list, row, column, text, size);
}

namespace {

void copyColumns(HWND list, int from, int to) {
  wchar_t text[512];
  for (int c = 1; c < 4; ++c) {
    getRowText(list, from, c, text, 512);
    setRowText(list, to, c, text);
  }
}

}  // namespace

void moveSelectedRowUp(HWND list) {
  int s = selectedRow(list);
  if (s <= 0) return;
  wchar_t wait[512];
  getRowText(list, s - 1, 0, wait, 512);
  int row = insertRow(list, s + 1, wait);
  if (row < 0) return;
  copyColumns(list, s - 1, row);
  ListView_DeleteItem(list, s - 1);
}

void moveSelectedRowDown(HWND list) {
  int s = selectedRow(list);
  int n = list ? ListView_GetItemCount(list) : 0;
  if (s < 0 || s >= n - 1) return;
  wchar_t wait[512];
  getRowText(list, s + 1, 0, wait, 512);
  int row = insertRow(list, s, wait);
  if (row < 0) return;
  copyColumns(list, s + 2, row);
  ListView_DeleteItem(list, s + 2);
}

void deleteSelectedRow(HWND list) {
  int s = selectedRow(list);
  if (s < 0) return;
  int n = ListView_GetItemCount(list);
  ListView_DeleteItem(list, s);
  if (n < 2) return;
  int next = s == n - 1 ? n - 2 : s;
  ListView_SetItemState(list, next, LVIS_SELECTED, LVIS_SELECTED);
}

INT_PTR CALLBACK programEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: onInitDialog(dialog); return TRUE;
    case WM_SIZE: onSize(dialog, LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_DPICHANGED:
      onDpiChanged(dialog, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return FALSE;  // the dialog manager's own handling goes on
    case WM_RELAYOUT:
      measureButtonSizes(dialog);
      relayout(dialog);
      return TRUE;
    case WM_COMMAND: onCommand(dialog, LOWORD(wParam)); return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    case WM_DESTROY: programListView = nullptr; return FALSE;
    default: return FALSE;
  }
}
