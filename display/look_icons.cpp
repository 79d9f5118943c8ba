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
