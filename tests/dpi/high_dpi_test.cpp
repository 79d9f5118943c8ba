// The program on a high-DPI screen. scripts/dpi-test.sh runs this in a Wine prefix of its own
// whose LogPixels is VELMORA_DPI (the suite uses 144): the first window's default size follows
// the DPI, and every label of the dialogs shows its whole text in the dialog's font. With
// VELMORA_SHOTS naming a folder (a Unix path), the main window, every dialog and the message
// boxes are also saved there as PNG pictures.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "res/resource.h"
#include "velmora_harness.h"

using e2e::VelmoraProcess;

namespace {

// Sizes are read from the program's windows in its own pixels: this process is per-monitor
// aware as the program is, else the system would report them scaled to 96 DPI. Set before any
// window exists.
const bool dpiAware = [] {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  auto set = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (set && set(reinterpret_cast<HANDLE>(-4))) return true;  // per monitor, version 2
  return SetProcessDPIAware() != FALSE;
}();

int screenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

std::string narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

// The picture of a window's outer rectangle, taken by ImageMagick from the X screen (in Wine's
// virtual desktop, screen coordinates are the X root's).
void shoot(HWND window, const std::string& name) {
  const char* folder = std::getenv("VELMORA_SHOTS");
  if (!folder || !*folder || !window) return;
  RECT r{};
  GetWindowRect(window, &r);
  UpdateWindow(window);
  Sleep(300);  // the frame and the controls are painted by the program's thread
  std::wstring cmd = L"Z:\\usr\\bin\\import -window root -crop " + std::to_wstring(r.right - r.left) + L"x" +
                     std::to_wstring(r.bottom - r.top) + L"+" + std::to_wstring(r.left) + L"+" +
                     std::to_wstring(r.top) + L" +repage " + std::wstring(folder, folder + strlen(folder)) + L"/" +
                     std::to_wstring(screenDpi()) + L"-" + std::wstring(name.begin(), name.end()) + L".png";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  // Wine's handle of a Unix process cannot always be waited on; then allow it the time it needs.
  if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_FAILED) Sleep(1500);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

INT_PTR CALLBACK inertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The font the program's dialog uses: the same template, made into a dialog in this process at
// the same DPI. Fonts do not cross processes; the template and the DPI decide the font.
class TemplateFont {
 public:
  explicit TemplateFont(int dialogId) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program = program.substr(0, program.find_last_of(L'\\') + 1) + L"velmora.exe";
    module_ = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = module_ ? FindResourceW(module_, MAKEINTRESOURCEW(dialogId), RT_DIALOG) : nullptr;
    HGLOBAL loaded = resource ? LoadResource(module_, resource) : nullptr;
    auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr;
    if (dialogTemplate)
      dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, nullptr, inertDialogProc, 0);
    font_ = dialog_ ? (HFONT)SendMessageW(dialog_, WM_GETFONT, 0, 0) : nullptr;
  }
  ~TemplateFont() {
    if (dialog_) DestroyWindow(dialog_);
    if (module_) FreeLibrary(module_);
  }
  TemplateFont(const TemplateFont&) = delete;
  TemplateFont& operator=(const TemplateFont&) = delete;
  HFONT get() const { return font_; }

 private:
  HMODULE module_ = nullptr;
  HWND dialog_ = nullptr;
  HFONT font_ = nullptr;
};

// The text's extent as DrawTextW lays it out in a box of the given width.
SIZE textExtent(HDC dc, const std::wstring& text, int width, UINT format) {
  RECT r{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), (int)text.size(), &r, format | DT_CALCRECT);
  return {r.right - r.left, r.bottom - r.top};
}

struct LabelSearch {
  HDC dc;
  int checkBox;  // the check box or radio circle and the gap after it
  int lineHeight;
  std::vector<std::string> cut;
};

BOOL CALLBACK checkLabel(HWND control, LPARAM param) {
  auto& s = *reinterpret_cast<LabelSearch*>(param);
  const std::wstring text = e2e::windowText(control), kind = e2e::windowClass(control);
  if (text.empty()) return TRUE;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  RECT client{};
  GetClientRect(control, &client);
  const int width = client.right, height = client.bottom;
  SIZE need{};
  if (_wcsicmp(kind.c_str(), L"Static") == 0) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) return TRUE;
    UINT format = DT_EXPANDTABS | (type == SS_LEFTNOWORDWRAP ? 0 : DT_WORDBREAK) |
                  (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
    need = textExtent(s.dc, text, width, format);
  } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
    const LONG type = style & BS_TYPEMASK;
    const UINT lines = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (type) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON: {
        const int edges = 2 * GetSystemMetrics(SM_CXEDGE);
        need = textExtent(s.dc, text, width - edges, lines);
        need.cx += edges;
        break;
      }
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
      case BS_3STATE:
      case BS_AUTO3STATE:
        need = textExtent(s.dc, text, width - s.checkBox, lines);
        need.cx += s.checkBox;
        break;
      case BS_GROUPBOX:
        need = textExtent(s.dc, text, width, DT_SINGLELINE);
        need.cx += 2 * MulDiv(8, screenDpi(), 96);  // the frame's corner on each side
        need.cy = 0;
        break;
      default: return TRUE;
    }
  } else {
    return TRUE;
  }
  // Lines are centred in a check box or button: a text taller than the control by a quarter of
  // a line loses only the blank above and below the glyphs of its first and last lines.
  if (need.cx > width || need.cy > height + s.lineHeight / 4)
    s.cut.push_back(narrow(text) + " needs " + std::to_string(need.cx) + "x" + std::to_string(need.cy) +
                    ", has " + std::to_string(width) + "x" + std::to_string(height));
  return TRUE;
}

// Every static text, check box, radio button, push button and group box of the dialog whose
// text does not fit its control (in the program's pixels, with the template's font).
std::vector<std::string> cutLabels(HWND dialog, HFONT font) {
  LabelSearch search{CreateCompatibleDC(nullptr), 0, 0, {}};
  HGDIOBJ previous = SelectObject(search.dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(search.dc, &metrics);
  search.checkBox = MulDiv(13, screenDpi(), 96) + metrics.tmAveCharWidth / 2;
  search.lineHeight = metrics.tmHeight;

  EnumChildWindows(dialog, checkLabel, reinterpret_cast<LPARAM>(&search));

  SelectObject(search.dc, previous);
  DeleteDC(search.dc);
  return search.cut;
}

HWND shown(HWND dialog) {
  if (dialog) e2e::waitFor([&] { return IsWindowVisible(dialog) != FALSE; }, 3000);
  return dialog;
}

void checkDialog(HWND dialog, int templateId, const std::string& name) {
  TemplateFont font(templateId);
  ASSERT_NE(font.get(), nullptr) << name << ": the template's font";
  for (const std::string& cut : cutLabels(dialog, font.get())) ADD_FAILURE() << name << ": " << cut;
  shoot(dialog, name);
}

void closeDialog(HWND dialog) {
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(VelmoraProcess::waitForGone(dialog));
}

}  // namespace

TEST(HighDpi, FirstWindowAndEveryDialogLabelFollowTheDpi) {
  ASSERT_TRUE(dpiAware);
  const int dpi = screenDpi();
  if (const char* expected = std::getenv("VELMORA_DPI")) {
    ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix's LogPixels is not in effect";
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  VelmoraProcess app;
  // No WINDOW section: the first window of a new user.
  ASSERT_TRUE(app.writeSettings(L"[OPTION_SETTING]\r\nEXIT_CHECK=1\r\n[TIMER_SETTING]\r\nMIN=10\r\n"));
  ASSERT_TRUE(app.start()) << app.lastError();
  RECT r{};
  GetWindowRect(app.window(), &r);
  EXPECT_EQ(r.right - r.left, MulDiv(300, dpi, 96));
  EXPECT_EQ(r.bottom - r.top, MulDiv(200, dpi, 96));
  shoot(app.window(), "main");
  shoot(GetDesktopWindow(), "desktop");  // the taskbar with the tray icon

  struct Dialog {
    WORD command;
    const wchar_t* caption;
    int templateId;
    const char* name;
  } dialogs[] = {
      {36, L"バージョン情報", IDD_VERSION, "200-version"},
      {2, L"タイマーのセット", IDD_INTERVAL, "201-interval"},
      {4, L"時刻指定のタイマーのセット", IDD_TIME_OF_DAY, "202-time-of-day"},
      {23, L"自動終了猶予時間設定", IDD_AUTO_CLOSE, "203-auto-close"},
      {25, L"オプション", IDD_OPTIONS, "204-options"},
      {29, L"背景画像設定", IDD_BG_IMAGE, "205-background-image"},
      {30, L"透過設定", IDD_TRANSPARENCY, "206-transparency"},
      {31, L"時間描画切替縦横比設定", IDD_ASPECT, "207-aspect"},
      {32, L"アラーム音設定", IDD_ALARM_SOUND, "208-alarm-sound"},
      {8, L"名前を変更", IDD_RENAME, "209-rename"},
      {6, L"「プログラム_0」を編集 - Velmora", IDD_PROGRAM_EDITOR, "210-program-editor"},
  };
  for (const Dialog& d : dialogs) {
    ASSERT_TRUE(app.command(d.command));
    HWND dialog = shown(app.waitForDialog(d.caption));
    ASSERT_NE(dialog, nullptr) << d.name;
    checkDialog(dialog, d.templateId, d.name);
    if (d.templateId == IDD_PROGRAM_EDITOR) {
      ASSERT_TRUE(VelmoraProcess::pressButton(dialog, IDC_PROGRAM_ADD));
      HWND step = shown(app.waitForDialog(L"追加"));
      ASSERT_NE(step, nullptr) << "211-step-editor";
      checkDialog(step, IDD_STEP_EDITOR, "211-step-editor");
      closeDialog(step);
    }
    closeDialog(dialog);
  }

  // Message boxes are laid out by the system; they are only looked at.
  struct Box {
    UINT key;
    const wchar_t* text;
    int answer;
    const char* name;
  } boxes[] = {
      {VK_F5, L"カウントダウンスタート", IDOK, "box-start"},
      {VK_F5, L"タイマーを終了しますか？", IDYES, "box-stop"},
      {0, L"タイマーを終了しました", IDOK, "box-stopped"},
  };
  for (const Box& b : boxes) {
    if (b.key) {
      ASSERT_TRUE(app.key(b.key));
    }
    HWND box = shown(app.waitForMessageBox(b.text));
    ASSERT_NE(box, nullptr) << b.name;
    shoot(box, b.name);
    EXPECT_TRUE(VelmoraProcess::pressButton(box, b.answer));
    EXPECT_TRUE(VelmoraProcess::waitForGone(box));
  }
  ASSERT_TRUE(app.post(WM_CLOSE));
  HWND exitBox = shown(app.waitForMessageBox(L"終了しますがいいですか？"));
  ASSERT_NE(exitBox, nullptr);
  shoot(exitBox, "box-exit");
  EXPECT_TRUE(VelmoraProcess::pressButton(exitBox, IDYES));
  EXPECT_TRUE(app.waitForExit(10000));
}
