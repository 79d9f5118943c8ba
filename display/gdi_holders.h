// Small scoped holders for GDI resources: each restores or deletes in its destructor and
// cannot be copied (a copy would delete twice); moving hands the handle over.
#pragma once
#include <windows.h>
#include <utility>

// A GDI object that this scope created and must delete.
template <typename H>
class GdiObject {
 public:
  explicit GdiObject(H handle = nullptr) : handle_(handle) {}
  ~GdiObject() { reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  void reset(H handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }
  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  H handle_;
};

// An object selected into a DC for this scope; the previous one is selected back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory DC made for this scope.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A memory DC holding a bitmap of its own, kept from one call to the next (the back buffer,
// the stretched background image). make() replaces both; reset() frees both.
class BitmapDC {
 public:
  BitmapDC() = default;
  ~BitmapDC() { reset(); }
  BitmapDC(const BitmapDC&) = delete;
  BitmapDC& operator=(const BitmapDC&) = delete;

  // A new width x height bitmap compatible with `compatibleWith`; false, and empty, when
  // either cannot be made.
  bool make(HDC compatibleWith, int width, int height) {
    reset();
    if (width <= 0 || height <= 0) return false;
    dc_ = CreateCompatibleDC(compatibleWith);
    bitmap_ = dc_ ? CreateCompatibleBitmap(compatibleWith, width, height) : nullptr;
    previous_ = bitmap_ ? SelectObject(dc_, bitmap_) : nullptr;
    if (!previous_) {
      reset();
      return false;
    }
    width_ = width;
    height_ = height;
    return true;
  }
  void reset() {
    if (previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    width_ = height_ = 0;
  }
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  bool holds(int width, int height) const { return dc_ && width == width_ && height == height_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  int width_ = 0, height_ = 0;
};

// A window DC from GetDC, released at the end of the scope.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};
