#include "display/look_icons.h"

#include "res/resource.h"

namespace {

LookIcons loadLookIcons(HINSTANCE instance, int id) {
  auto load = [&](int width, int height) {
    return (HICON)LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(width),
                             GetSystemMetrics(height), 0);
  };
  return {load(SM_CXICON, SM_CYICON), load(SM_CXSMICON, SM_CYSMICON)};
}

}  // namespace

LookIcons lookIcons(HINSTANCE instance, int id) {
  // Loaded once and kept for the run: the window classes and the tray icon hold them.
  static const LookIcons idle = loadLookIcons(instance, IDI_IDLE);
  static const LookIcons running = loadLookIcons(instance, IDI_RUNNING);
  static const LookIcons paused = loadLookIcons(instance, IDI_PAUSED);
  return id == IDI_RUNNING ? running : id == IDI_PAUSED ? paused : idle;
}

WNDCLASSEXW programWindowClass(HINSTANCE instance, WNDPROC procedure, HBRUSH background, const wchar_t* name) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  const LookIcons icons = lookIcons(instance, IDI_IDLE);
  wc.hIcon = icons.large;
  wc.hIconSm = icons.small;
  wc.hCursor = (HCURSOR)LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return wc;
}
