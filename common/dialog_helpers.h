// Helpers for the patterns every dialog repeats.
#pragma once
#include <windows.h>
#include <atomic>
#include <span>

extern std::atomic<int> dialogOpen;  // 1 while a modal dialog or chooser of the main window runs

// Runs a dialog of the main window modally with dialogOpen set around it.
// Returns the dialog's result; only a positive result counts as confirmed.
INT_PTR runMainDialog(HWND window, int dialogId, DLGPROC procedure);
// Runs any modal step (a chooser) with dialogOpen set around it. A dialog opened from another
// one (the tray menu stays usable) puts back the flag it found, so the outer one keeps it set.
template <typename F>
auto withDialogOpen(F&& f) {
  const int outer = dialogOpen.exchange(1);
  auto result = f();
  dialogOpen = outer;
  return result;
}
// The dialogs' common first step: the owner's current class icon as the small icon.
void setDialogSmallIcon(HWND dialog);

// A check box and the controls it enables.
struct CheckBoxGroup {
  int checkBoxId;
  std::span<const int> ids;
};
// A button of a dialog and what pressing it does.
struct DialogButton {
  int id;
  void (*press)(HWND dialog);
};
// What an OK/Cancel dialog does at its start, on OK and at its other buttons.
struct OkCancelDialog {
  void (*init)(HWND dialog);  // WM_INITDIALOG after the small icon; may be null
  void (*ok)(HWND dialog);    // takes the values and ends the dialog, or keeps it open
  std::span<const DialogButton> buttons = {};
  std::span<const CheckBoxGroup> groups = {};  // check boxes that enable controls
};
// The messages every OK/Cancel dialog answers alike: its start (the owner's small icon, then
// init, then each group's controls as its check box stands), its buttons and check boxes, OK,
// and Cancel and the close box, which end it with 0.
INT_PTR okCancelDialogMessage(HWND dialog, UINT message, WPARAM wParam, const OkCancelDialog& handlers);

// Up-down control with its buddy edit: range and position.
void setUpDown(HWND dialog, int upDownId, int low, int high, int position);
// The up-down's position; *error set when the control reports one (buddy text out of range).
int upDownPosition(HWND dialog, int upDownId, bool* error = nullptr);
// Enables or disables the listed controls.
void enableControls(HWND dialog, const int* ids, int count, bool enable);
template <int N>
void enableControls(HWND dialog, const int (&ids)[N], bool enable) {
  enableControls(dialog, ids, N, enable);
}
// Check box state as 0/1, and setting it.
int isChecked(HWND dialog, int id);
void setChecked(HWND dialog, int id, int checked);
