#include "common/dialog_helpers.h"

#include <commctrl.h>

#include "common/window_requests.h"

std::atomic<int> dialogOpen{0};

INT_PTR runMainDialog(HWND window, int dialogId, DLGPROC procedure) {
  HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(window, GWLP_HINSTANCE);
  return withDialogOpen([&] {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(dialogId), window, procedure, 0);
  });
}

void setDialogSmallIcon(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) owner = mainWindow;
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, (LPARAM)GetClassLongPtrW(owner, GCLP_HICON));
}

namespace {

void followCheckBox(HWND dialog, const CheckBoxGroup& group) {
  enableControls(dialog, group.ids.data(), (int)group.ids.size(), isChecked(dialog, group.checkBoxId) != 0);
}

}  // namespace

INT_PTR okCancelDialogMessage(HWND dialog, UINT message, WPARAM wParam, const OkCancelDialog& handlers) {
  switch (message) {
    case WM_INITDIALOG:
      setDialogSmallIcon(dialog);
      if (handlers.init) handlers.init(dialog);
      for (const CheckBoxGroup& group : handlers.groups) followCheckBox(dialog, group);
      return TRUE;
    case WM_COMMAND:
      switch (const int id = LOWORD(wParam)) {
        case IDOK: handlers.ok(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default:
          for (const CheckBoxGroup& group : handlers.groups)
            if (group.checkBoxId == id) {
              followCheckBox(dialog, group);
              return TRUE;
            }
          for (const DialogButton& button : handlers.buttons)
            if (button.id == id) {
              button.press(dialog);
              return TRUE;
            }
          return FALSE;
      }
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}

void setUpDown(HWND dialog, int upDownId, int low, int high, int position) {
  HWND upDown = GetDlgItem(dialog, upDownId);
  SendMessageW(upDown, UDM_SETRANGE32, (WPARAM)low, (LPARAM)high);
  SendMessageW(upDown, UDM_SETPOS32, 0, (LPARAM)position);
}

int upDownPosition(HWND dialog, int upDownId, bool* error) {
  BOOL failed = FALSE;
  int value = (int)SendDlgItemMessageW(dialog, upDownId, UDM_GETPOS32, 0, (LPARAM)&failed);
  if (error) *error = failed != FALSE;
  return value;
}

void enableControls(HWND dialog, const int* ids, int count, bool enable) {
  for (int i = 0; i < count; ++i) EnableWindow(GetDlgItem(dialog, ids[i]), enable ? TRUE : FALSE);
}

int isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0; }

void setChecked(HWND dialog, int id, int checked) {
  CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}
