#include "common/late_libraries.h"

#include <atomic>
#include <cwchar>
#include <iterator>

namespace {

// A DLL of the system folder (never one planted beside the program), loaded once.
class LateLibrary {
 public:
  explicit LateLibrary(const wchar_t* name) : name_(name) {}
  HMODULE load() {
    HMODULE module = module_.load();
    if (module) return module;
    wchar_t path[MAX_PATH + 32];
    UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    swprintf_s(path + n, std::size(path) - n, L"\\%ls", name_);
    module = LoadLibraryW(path);
    // Two threads may both load it; the second load only counts up, and it stays loaded.
    if (module) module_ = module;
    return module;
  }
  // Loaded into the process by anyone (this program or a DLL it uses).
  bool loaded() const { return module_.load() != nullptr || GetModuleHandleW(name_) != nullptr; }
  template <typename F>
  F function(const char* name) {
    HMODULE module = load();
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
  }

 private:
  const wchar_t* name_;
  std::atomic<HMODULE> module_{nullptr};
};

LateLibrary winmm(L"winmm.dll");
LateLibrary comdlg32(L"comdlg32.dll");

using SendString = MCIERROR(WINAPI*)(LPCWSTR, LPWSTR, UINT, HWND);
using ErrorString = BOOL(WINAPI*)(MCIERROR, LPWSTR, UINT);
using PlaySoundFunction = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);
using OpenFileFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
using ChooseColorFunction = BOOL(WINAPI*)(CHOOSECOLORW*);
using ChooseFontFunction = BOOL(WINAPI*)(CHOOSEFONTW*);

}  // namespace

MCIERROR winmmSendString(const wchar_t* command, wchar_t* answer, UINT answerSize, HWND callback) {
  static const SendString send = winmm.function<SendString>("mciSendStringW");
  return send ? send(command, answer, answerSize, callback) : MCIERR_DEVICE_NOT_INSTALLED;
}

MCIERROR winmmSendStringIfLoaded(const wchar_t* command, wchar_t* answer, UINT answerSize, HWND callback) {
  if (!winmm.loaded()) return MCIERR_DEVICE_NOT_READY;
  return winmmSendString(command, answer, answerSize, callback);
}

BOOL winmmErrorString(MCIERROR error, wchar_t* text, UINT size) {
  static const ErrorString get = winmm.function<ErrorString>("mciGetErrorStringW");
  return get ? get(error, text, size) : FALSE;
}

BOOL winmmPlaySound(const wchar_t* sound, DWORD flags) {
  static const PlaySoundFunction play = winmm.function<PlaySoundFunction>("PlaySoundW");
  return play ? play(sound, nullptr, flags) : FALSE;
}

BOOL comdlgGetOpenFileName(OPENFILENAMEW* chooser) {
  static const OpenFileFunction open = comdlg32.function<OpenFileFunction>("GetOpenFileNameW");
  return open ? open(chooser) : FALSE;
}

BOOL comdlgChooseColor(CHOOSECOLORW* chooser) {
  static const ChooseColorFunction choose = comdlg32.function<ChooseColorFunction>("ChooseColorW");
  return choose ? choose(chooser) : FALSE;
}

BOOL comdlgChooseFont(CHOOSEFONTW* chooser) {
  static const ChooseFontFunction choose = comdlg32.function<ChooseFontFunction>("ChooseFontW");
  return choose ? choose(chooser) : FALSE;
}
