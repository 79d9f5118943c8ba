#include "dialogs/options_dialog.h"

#include "common/dialog_helpers.h"
#include "common/settings.h"
#include "res/resource.h"

namespace {

// Box and setting, in the order OK stores them.
struct OptionBox {
  int id;
  std::atomic<int>* setting;
};

const OptionBox optionBoxes[] = {
    {IDC_OPT_ALWAYS_TRAY, &ALWAYS_TRAY}, {IDC_OPT_IN_TRAY, &IN_TRAY},
    {IDC_OPT_HIDE_TASKBAR, &HIDE_TASKBAR}, {IDC_OPT_EXIT_CHECK, &EXIT_CHECK},
    {IDC_OPT_START_END, &START_SYURYO_CHECK}, {IDC_OPT_BALLOON, &BALLOON},
    {IDC_OPT_WIN_SAVE, &WIN_SAVE}, {IDC_OPT_JIKOKU_LOOP, &JIKOKU_LOOP},
};

void enableDependents(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_OPT_HIDE_TASKBAR),
               isChecked(dialog, IDC_OPT_ALWAYS_TRAY) || isChecked(dialog, IDC_OPT_IN_TRAY));
  EnableWindow(GetDlgItem(dialog, IDC_OPT_BALLOON), isChecked(dialog, IDC_OPT_START_END));
}

void onInitDialog(HWND dialog) {
  setChecked(dialog, IDC_OPT_IN_TRAY, IN_TRAY);
  // In the whole-window click-through mode the tray icon is the only way back to the window.
  EnableWindow(GetDlgItem(dialog, IDC_OPT_ALWAYS_TRAY), UNTOUCHABLE != 1);
  setChecked(dialog, IDC_OPT_ALWAYS_TRAY, ALWAYS_TRAY || UNTOUCHABLE == 1);
  EnableWindow(GetDlgItem(dialog, IDC_OPT_HIDE_TASKBAR), IN_TRAY || ALWAYS_TRAY);
  setChecked(dialog, IDC_OPT_HIDE_TASKBAR, HIDE_TASKBAR);
  setChecked(dialog, IDC_OPT_EXIT_CHECK, EXIT_CHECK);
  setChecked(dialog, IDC_OPT_START_END, START_SYURYO_CHECK);
  EnableWindow(GetDlgItem(dialog, IDC_OPT_BALLOON), START_SYURYO_CHECK != 0);
  setChecked(dialog, IDC_OPT_BALLOON, BALLOON);
  setChecked(dialog, IDC_OPT_WIN_SAVE, WIN_SAVE);
  setChecked(dialog, IDC_OPT_JIKOKU_LOOP, JIKOKU_LOOP);
}

void onOk(HWND dialog) {
  for (const OptionBox& box : optionBoxes) *box.setting = isChecked(dialog, box.id);
  EndDialog(dialog, 1);
}



}  // namespace

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const DialogButton buttons[] = {{IDC_OPT_ALWAYS_TRAY, enableDependents},
                                         {IDC_OPT_IN_TRAY, enableDependents},
                                         {IDC_OPT_START_END, enableDependents}};
  static const OkCancelDialog handlers = {onInitDialog, onOk, buttons};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}
