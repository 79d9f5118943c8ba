// Dialogs 204 (options) and 200 (version) run modally in-process from real templates; a
// script runs inside the dialog once it is up and plays the user.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/dialog_helpers.h"
#include "common/settings.h"
#include "dialogs/options_dialog.h"
#include "dialogs/version_dialog.h"
#include "res/resource.h"

namespace {

constexpr UINT RUN_SCRIPT = WM_APP + 77;
DLGPROC scriptedProc = nullptr;
std::function<void(HWND)> script;

INT_PTR CALLBACK scriptedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == RUN_SCRIPT) {
    ShowWindow(dialog, SW_SHOW);  // a modal dialog is shown only when its loop first goes idle
    script(dialog);
    return TRUE;
  }
  INT_PTR result = scriptedProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) PostMessageW(dialog, RUN_SCRIPT, 0, 0);
  return result;
}

LRESULT CALLBACK ownerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

HWND makeOwner() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = ownerProc;
  wc.hInstance = instance;
  wc.hIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(IDI_RUNNING), IMAGE_ICON, 0, 0, LR_SHARED);
  wc.lpszClassName = L"VelmoraDialogOwnerTest";
  RegisterClassW(&wc);
  HWND owner = CreateWindowW(L"VelmoraDialogOwnerTest", L"Velmora", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                             200, 150, nullptr, nullptr, instance, nullptr);
  return owner;
}

// Runs the dialog; `body` acts inside it and must end it. Returns DialogBoxParamW's result.
INT_PTR runScripted(int id, DLGPROC proc, const std::function<void(HWND)>& body) {
  HWND owner = makeOwner();
  scriptedProc = proc;
  script = body;
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), owner, scriptedDialogProc, 0);
  DestroyWindow(owner);
  return result;
}

bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }

std::atomic<int>* const eight[] = {&ALWAYS_TRAY, &IN_TRAY, &HIDE_TASKBAR, &EXIT_CHECK,
                                   &START_SYURYO_CHECK, &BALLOON, &WIN_SAVE, &JIKOKU_LOOP};
const int eightIds[] = {1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019};

void setEight(std::initializer_list<int> values) {
  int i = 0;
  for (int v : values) *eight[i++] = v;
}

}  // namespace

TEST(OptionsDialog, OpensWithTheSettingsAndTheirDependencies) {
  struct Case {
    int untouchable, alwaysTray, inTray, hideTaskbar, startEnd, balloon;
    bool alwaysTicked, alwaysEnabled, hideEnabled, balloonEnabled;
  } cases[] = {
      {0, 1, 0, 1, 1, 1, true, true, true, true},
      {0, 0, 0, 1, 0, 1, false, true, false, false},  // greyed boxes keep their ticks
      {0, 0, 1, 0, 1, 0, false, true, true, true},
      {1, 0, 0, 0, 1, 0, true, false, false, true},  // click-through everywhere forces the icon
      {2, 0, 0, 0, 1, 0, false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "untouchable " << c.untouchable << " always " << c.alwaysTray
                                    << " in " << c.inTray << " start " << c.startEnd);
    UNTOUCHABLE = c.untouchable;
    setEight({c.alwaysTray, c.inTray, c.hideTaskbar, 1, c.startEnd, c.balloon, 0, 1});
    INT_PTR result = runScripted(IDD_OPTIONS, optionsDialogProc, [&](HWND d) {
      EXPECT_EQ(ticked(d, 1012), c.alwaysTicked);
      EXPECT_EQ(enabled(d, 1012), c.alwaysEnabled);
      EXPECT_EQ(ticked(d, 1013), c.inTray == 1);
      EXPECT_EQ(ticked(d, 1014), c.hideTaskbar == 1);
      EXPECT_EQ(enabled(d, 1014), c.hideEnabled);
      EXPECT_TRUE(ticked(d, 1015));
      EXPECT_EQ(ticked(d, 1016), c.startEnd == 1);
      EXPECT_EQ(ticked(d, 1017), c.balloon == 1);
      EXPECT_EQ(enabled(d, 1017), c.balloonEnabled);
      EXPECT_FALSE(ticked(d, 1018));
      EXPECT_TRUE(ticked(d, 1019));
      for (int id : {1013, 1015, 1016, 1018, 1019}) EXPECT_TRUE(enabled(d, id)) << id;
      click(d, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
  }
}

TEST(OptionsDialog, ClicksGreyAndEnableTheDependentBoxesWithoutChangingTheirTicks) {
  UNTOUCHABLE = 0;
  setEight({1, 1, 1, 0, 1, 1, 0, 0});
  INT_PTR result = runScripted(IDD_OPTIONS, optionsDialogProc, [](HWND d) {
    click(d, 1012);
    EXPECT_TRUE(enabled(d, 1014)) << "still in the tray on minimise";
    click(d, 1013);
    EXPECT_FALSE(enabled(d, 1014));
    EXPECT_TRUE(ticked(d, 1014));
    click(d, 1013);
    EXPECT_TRUE(enabled(d, 1014));
    click(d, 1013);
    click(d, 1016);
    EXPECT_FALSE(enabled(d, 1017));
    EXPECT_TRUE(ticked(d, 1017));
    click(d, 1016);
    EXPECT_TRUE(enabled(d, 1017));
    click(d, 1016);
    click(d, IDOK);
  });
  EXPECT_EQ(result, 1);
  // Greyed but ticked boxes are stored as ticked.
  EXPECT_EQ(ALWAYS_TRAY, 0);
  EXPECT_EQ(IN_TRAY, 0);
  EXPECT_EQ(HIDE_TASKBAR, 1);
  EXPECT_EQ(START_SYURYO_CHECK, 0);
  EXPECT_EQ(BALLOON, 1);
}

TEST(OptionsDialog, OkStoresEveryBoxAndCancelOrCloseStoresNothing) {
  for (int id = 0; id < 8; ++id) {
    SCOPED_TRACE(eightIds[id]);
    UNTOUCHABLE = 0;
    setEight({0, 0, 0, 0, 0, 0, 0, 0});
    INT_PTR result = runScripted(IDD_OPTIONS, optionsDialogProc, [&](HWND d) {
      SendDlgItemMessageW(d, eightIds[id], BM_SETCHECK, BST_CHECKED, 0);
      click(d, IDOK);
    });
    EXPECT_EQ(result, 1);
    for (int j = 0; j < 8; ++j) EXPECT_EQ(*eight[j], j == id ? 1 : 0) << eightIds[j];
  }
  for (bool viaClose : {false, true}) {
    setEight({1, 0, 1, 0, 1, 0, 1, 0});
    INT_PTR result = runScripted(IDD_OPTIONS, optionsDialogProc, [&](HWND d) {
      for (int id : eightIds) click(d, id);
      if (viaClose)
        SendMessageW(d, WM_CLOSE, 0, 0);
      else
        click(d, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ALWAYS_TRAY, 1);
    EXPECT_EQ(IN_TRAY, 0);
    EXPECT_EQ(WIN_SAVE, 1);
    EXPECT_EQ(JIKOKU_LOOP, 0);
  }
}

TEST(OptionsDialog, ForcedTrayIconStaysOnAfterOk) {
  UNTOUCHABLE = 1;
  setEight({0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(runScripted(IDD_OPTIONS, optionsDialogProc, [](HWND d) { click(d, IDOK); }), 1);
  EXPECT_EQ(ALWAYS_TRAY, 1);
}

TEST(OptionsDialog, TakesTheOwnersClassIconAsSmallIcon) {
  runScripted(IDD_OPTIONS, optionsDialogProc, [](HWND d) {
    HICON expected = (HICON)GetClassLongPtrW(GetWindow(d, GW_OWNER), GCLP_HICON);
    EXPECT_NE(expected, nullptr);
    EXPECT_EQ((HICON)SendMessageW(d, WM_GETICON, ICON_SMALL, 0), expected);
    click(d, IDCANCEL);
  });
}

namespace {
std::vector<std::wstring> openedAddresses;
void recordAddress(const wchar_t* address) { openedAddresses.push_back(address); }

bool linkUnderlined(HWND linkWindow) {
  LOGFONTW font{};
  GetObjectW((HFONT)SendMessageW(linkWindow, WM_GETFONT, 0, 0), sizeof font, &font);
  return font.lfUnderline != 0;
}
}  // namespace

TEST(VersionDialog, ShowsNameVersionIconAndTheLinkText) {
  runScripted(IDD_VERSION, versionDialogProc, [](HWND d) {
    wchar_t text[128];
    GetWindowTextW(d, text, 128);
    EXPECT_STREQ(text, L"バージョン情報");
    HWND nameText = FindWindowExW(d, nullptr, L"Static", nullptr);
    GetWindowTextW(nameText, text, 128);
    EXPECT_STREQ(text, L"Velmora\nVersion 1.09");
    GetDlgItemTextW(d, IDC_VERSION_LINK, text, 128);
    EXPECT_STREQ(text, L"URL : https://velmora.example.org/");
    HWND iconStatic = FindWindowExW(d, nameText, L"Static", nullptr);
    HICON picture = (HICON)SendMessageW(iconStatic, STM_GETICON, 0, 0);
    ASSERT_NE(picture, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(picture, &info));
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    RECT frame{};
    GetClientRect(iconStatic, &frame);
    EXPECT_LE(mask.bmWidth, frame.right) << "the picture is shown whole, not cut off by its frame";
    EXPECT_LE(mask.bmHeight, frame.bottom) << "the picture is shown whole, not cut off by its frame";
    EXPECT_EQ((HICON)SendMessageW(d, WM_GETICON, ICON_SMALL, 0),
              (HICON)GetClassLongPtrW(GetWindow(d, GW_OWNER), GCLP_HICON));
    click(d, IDOK);
  });
}

TEST(VersionDialog, LinkTurnsRedUnderlinedWhileHoveredAndOpensThePageOnce) {
  openedAddresses.clear();
  auto previous = openLinkAddress;
  openLinkAddress = recordAddress;
  INT_PTR result = runScripted(IDD_VERSION, versionDialogProc, [](HWND d) {
    HWND linkWindow = GetDlgItem(d, IDC_VERSION_LINK);
    EXPECT_EQ(versionLinkColour(), RGB(0, 0, 255));
    EXPECT_FALSE(linkUnderlined(linkWindow));

    SendMessageW(linkWindow, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(versionLinkColour(), RGB(255, 0, 0));
    EXPECT_TRUE(linkUnderlined(linkWindow));
    EXPECT_EQ(GetCapture(), linkWindow);
    EXPECT_EQ(SendMessageW(d, WM_SETCURSOR, (WPARAM)linkWindow, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), LoadImageW(nullptr, IDC_HAND, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));

    SendMessageW(linkWindow, WM_MOUSEMOVE, 0, MAKELPARAM(-4, -4));
    EXPECT_EQ(versionLinkColour(), RGB(0, 0, 255));
    EXPECT_FALSE(linkUnderlined(linkWindow));
    EXPECT_EQ(GetCapture(), nullptr);

    // Hovered, then activated anew: back to blue.
    SendMessageW(linkWindow, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageW(d, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(versionLinkColour(), RGB(0, 0, 255));
    EXPECT_EQ(GetCapture(), nullptr);

    SendMessageW(linkWindow, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_VERSION_LINK, STN_CLICKED), (LPARAM)linkWindow);
    EXPECT_EQ(versionLinkColour(), RGB(0, 0, 255));
    EXPECT_FALSE(linkUnderlined(linkWindow));
    EXPECT_EQ(GetCapture(), nullptr);

    // Esc arrives as IDCANCEL and leaves the dialog open; the close box ends it with 1.
    SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(d));
    SendMessageW(d, WM_CLOSE, 0, 0);
  });
  openLinkAddress = previous;
  EXPECT_EQ(result, 1);
  ASSERT_EQ(openedAddresses.size(), 1u);
  EXPECT_EQ(openedAddresses[0], L"https://velmora.example.org/");
}

TEST(VersionDialog, LinkColourIsPaintedThroughTheStaticColourMessage) {
  runScripted(IDD_VERSION, versionDialogProc, [](HWND d) {
    HWND linkWindow = GetDlgItem(d, IDC_VERSION_LINK);
    HDC dc = GetDC(linkWindow);
    SendMessageW(linkWindow, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    INT_PTR brush = SendMessageW(d, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)linkWindow);
    EXPECT_NE(brush, 0);
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    // Other statics keep the default colours.
    HWND nameText = FindWindowExW(d, nullptr, L"Static", nullptr);
    EXPECT_NE(SendMessageW(d, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)nameText), brush);
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOWTEXT));
    ReleaseDC(linkWindow, dc);
    click(d, IDOK);
  });
}

TEST(DialogFlag, ADialogOpenedFromAnotherLeavesTheFlagSetForTheOuterOne) {
  // The version dialog is open and the program timer editor is opened from the tray menu over
  // it: when the editor closes, a second version or options dialog must still be refused.
  dialogOpen = 0;
  int duringOuter = -1, afterInner = -1;
  withDialogOpen([&] {
    duringOuter = dialogOpen;
    withDialogOpen([] { return 0; });
    afterInner = dialogOpen;
    return 0;
  });
  EXPECT_EQ(duringOuter, 1);
  EXPECT_EQ(afterInner, 1);
  EXPECT_EQ(dialogOpen, 0);
  EXPECT_TRUE(commandBlockedByDialog(36));
  EXPECT_TRUE(commandBlockedByDialog(25));
}
