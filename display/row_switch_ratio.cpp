#include "display/row_switch_ratio.h"

#include <commctrl.h>
#include <cwctype>

#include "common/dialog_helpers.h"
#include "common/settings.h"
#include "res/resource.h"

namespace {

constexpr int kRatioMax = 32767;

struct AspectField {
  int upDownId;
  int editId;
  std::atomic<int>* value;
};
const AspectField aspectFields[] = {
    {IDC_DHMS_W_SPIN, IDC_DHMS_W, &DHMS_ASPECT_W},
    {IDC_DHMS_H_SPIN, IDC_DHMS_H, &DHMS_ASPECT_H},
    {IDC_HMS_W_SPIN, IDC_HMS_W, &HMS_ASPECT_W},
    {IDC_HMS_H_SPIN, IDC_HMS_H, &HMS_ASPECT_H},
};

int clampTo(long long v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : (int)v; }

}  // namespace

int dialogNumber(const wchar_t* text, int lo, int hi, int current) {
  const wchar_t* p = text ? text : L"";
  while (iswspace(*p)) ++p;
  bool negative = false;
  if (*p == L'-' || *p == L'+') negative = *p++ == L'-';
  // ASCII digits only: iswdigit also accepts full-width and other digits, whose value is not
  // *p - '0'.
  auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
  if (!digit(*p)) return clampTo(current, lo, hi);
  long long v = 0;
  for (; digit(*p); ++p) {
    if (v < 10000000000LL) v = v * 10 + (*p - L'0');  // stays far above any range, no overflow
  }
  while (iswspace(*p)) ++p;
  if (*p) return clampTo(current, lo, hi);
  return clampTo(negative ? -v : v, lo, hi);
}

int dialogFieldNumber(HWND dialog, int editId, int lo, int hi, int current) {
  // Read from the edit itself: the up-down control takes an empty field for 0 and reports
  // typed numbers beyond its range only as an error.
  wchar_t text[64] = L"";
  GetDlgItemTextW(dialog, editId, text, 64);
  return dialogNumber(text, lo, hi, current);
}

namespace {

void onAspectInit(HWND dialog) {
  for (const AspectField& f : aspectFields) setUpDown(dialog, f.upDownId, 1, kRatioMax, *f.value);
}

void onAspectOk(HWND dialog) {
  int values[4];
  for (int i = 0; i < 4; ++i)
    values[i] = dialogFieldNumber(dialog, aspectFields[i].editId, 1, kRatioMax, *aspectFields[i].value);
  for (int i = 0; i < 4; ++i) *aspectFields[i].value = values[i];
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK aspectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  static const OkCancelDialog handlers = {onAspectInit, onAspectOk};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}

void applyAspectRatios(HWND window) {
  dhmsRatio = (double)DHMS_ASPECT_W / (double)DHMS_ASPECT_H;
  hmsRatio = (double)HMS_ASPECT_W / (double)HMS_ASPECT_H;
  InvalidateRect(window, nullptr, FALSE);
  const IntKeyValue keys[] = {
      {L"DHMS_ASPECT_W", DHMS_ASPECT_W},
      {L"DHMS_ASPECT_H", DHMS_ASPECT_H},
      {L"HMS_ASPECT_W", HMS_ASPECT_W},
      {L"HMS_ASPECT_H", HMS_ASPECT_H},
  };
  writeOptionGroup(window, keys, 4);
}
