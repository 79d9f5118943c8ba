#include "dialogs/version_dialog.h"

#include <shellapi.h>

#include <algorithm>

#include "common/dialog_helpers.h"
#include "display/dpi.h"
#include "res/resource.h"

const wchar_t* const velmoraHomePage = L"https://velmora.example.org/";

namespace {

constexpr COLORREF LINK_BLUE = RGB(0, 0, 255);
constexpr int kPictureSize96 = 128;  // icon 101 at 96 DPI
constexpr UINT WM_AFTER_DPI_CHANGE = WM_APP + 10;
constexpr COLORREF LINK_RED = RGB(255, 0, 0);

void openWithShell(const wchar_t* address) {
  ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

// One version dialog at a time.
HWND link = nullptr;
WNDPROC linkPreviousProc = nullptr;
HFONT normalFont = nullptr;     // the dialog's, not owned
HFONT underlinedFont = nullptr; // owned
HBRUSH backgroundBrush = nullptr;
COLORREF linkColour = LINK_BLUE;
HCURSOR handCursor = nullptr;
HWND picture = nullptr;          // the icon static
HICON pictureIcon = nullptr;     // owned

void showLink(COLORREF colour, HFONT font) {
  linkColour = colour;
  SendMessageW(link, WM_SETFONT, (WPARAM)font, TRUE);
  InvalidateRect(link, nullptr, TRUE);
}

void resetLink() {
  showLink(LINK_BLUE, normalFont);
  ReleaseCapture();
}

LRESULT CALLBACK linkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) {
    // The capture tells us when the mouse leaves: moves outside the link still come here.
    if (!GetCapture()) {
      showLink(LINK_RED, underlinedFont);
      SetCapture(window);
    }
    RECT client;
    GetClientRect(window, &client);
    POINT at{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    if (!PtInRect(&client, at)) resetLink();
  }
  return CallWindowProcW(linkPreviousProc, window, message, wParam, lParam);
}

HWND findIconStatic(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
  return nullptr;
}

// The picture at the window's DPI, and no larger than its static: the static shows an icon at
// its own size, centred, and cuts off what does not fit.
void sizePicture(HWND dialog) {
  picture = findIconStatic(dialog);
  if (!picture) return;
  RECT frame;
  GetClientRect(picture, &frame);
  int size = scaleForDpi(kPictureSize96, windowDpi(dialog));
  size = std::min(size, (int)std::min(frame.right, frame.bottom));
  HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(dialog, GWLP_HINSTANCE);
  HICON icon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDI_VERSION), IMAGE_ICON, size, size, 0);
  if (!icon) return;
  SendMessageW(picture, STM_SETICON, (WPARAM)icon, 0);
  if (pictureIcon) DestroyIcon(pictureIcon);
  pictureIcon = icon;
}

// The link's two fonts: the dialog's own and an underlined copy of it.
void takeLinkFonts(HWND dialog) {
  normalFont = (HFONT)SendMessageW(dialog, WM_GETFONT, 0, 0);
  LOGFONTW font{};
  GetObjectW(normalFont ? (HGDIOBJ)normalFont : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfUnderline = 1;
  if (underlinedFont) DeleteObject(underlinedFont);
  underlinedFont = CreateFontIndirectW(&font);
}

void onInitDialog(HWND dialog) {
  setDialogSmallIcon(dialog);
  sizePicture(dialog);
  link = GetDlgItem(dialog, IDC_VERSION_LINK);
  backgroundBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  takeLinkFonts(dialog);
  linkPreviousProc = (WNDPROC)SetWindowLongPtrW(link, GWLP_WNDPROC, (LONG_PTR)linkProc);
  handCursor = (HCURSOR)LoadImageW(nullptr, IDC_HAND, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
  linkColour = LINK_BLUE;
}

void onDestroy() {
  if (pictureIcon) {
    SendMessageW(picture, STM_SETICON, 0, 0);
    DestroyIcon(pictureIcon);
  }
  picture = nullptr;
  pictureIcon = nullptr;
  SetWindowLongPtrW(link, GWLP_WNDPROC, (LONG_PTR)linkPreviousProc);
  SendMessageW(link, WM_SETFONT, (WPARAM)normalFont, FALSE);  // the link must not keep a deleted font
  DeleteObject(backgroundBrush);
  DeleteObject(underlinedFont);
  backgroundBrush = nullptr;
  underlinedFont = nullptr;
  link = nullptr;
}

// On a monitor of another DPI the dialog manager gives the dialog a new font (deleting the old
// one) and new control sizes; once it has, the link's fonts and the picture follow.
void afterDpiChange(HWND dialog) {
  takeLinkFonts(dialog);
  resetLink();
  sizePicture(dialog);
}

INT_PTR onCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_VERSION_LINK:
      if (HIWORD(wParam) == STN_CLICKED) {
        resetLink();
        openLinkAddress(velmoraHomePage);
      }
      return TRUE;
    case IDOK: EndDialog(dialog, 1); return TRUE;
    default: return FALSE;  // IDCANCEL from Esc included: Esc leaves the dialog open
  }
}

}  // namespace

void (*openLinkAddress)(const wchar_t*) = openWithShell;

COLORREF versionLinkColour() { return linkColour; }

INT_PTR CALLBACK versionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: onInitDialog(dialog); return TRUE;
    case WM_CTLCOLORSTATIC:
      if ((HWND)lParam != link) return 0;
      SetTextColor((HDC)wParam, linkColour);
      SetBkMode((HDC)wParam, TRANSPARENT);
      return (INT_PTR)backgroundBrush;
    // The static's class cursor is the arrow; the dialog is asked first and answers for the link.
    case WM_SETCURSOR:
      if ((HWND)wParam != link || !handCursor) return FALSE;
      SetCursor(handCursor);
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_COMMAND: return onCommand(dialog, wParam);
    case WM_CLOSE: EndDialog(dialog, 1); return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE) resetLink();
      return FALSE;
    case WM_DPICHANGED:
      PostMessageW(dialog, WM_AFTER_DPI_CHANGE, 0, 0);
      return FALSE;  // the dialog manager's own handling goes on
    case WM_AFTER_DPI_CHANGE: afterDpiChange(dialog); return TRUE;
    case WM_DESTROY: onDestroy(); return FALSE;
    default: return FALSE;
  }
}
