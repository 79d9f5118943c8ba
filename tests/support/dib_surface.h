// 32-bit device-independent bitmaps for the tests, their harness and the benchmarks: a
// memory DC with a DIB section of its own (the window's stand-in in the paint tests, and
// what screen and window pixels are copied into), and .bmp files to look at.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/whole_file.h"

namespace testsupport {

// The header of a DIB of width x height; a negative height makes its rows run top to bottom.
inline BITMAPINFOHEADER dibHeader(int width, int height, WORD bitCount) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bitCount;
  header.biCompression = BI_RGB;
  return header;
}

// A top-down 32-bit DIB section selected into a memory DC of its own, and its pixel memory.
// The destructor selects the DC's own bitmap back and deletes the section and the DC.
class DibSurface {
 public:
  // compatibleWith: the screen or window DC that pixels come from, or null for the screen.
  DibSurface(HDC compatibleWith, int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader = dibHeader(width, -height, 32);
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(compatibleWith);
    bitmap_ = CreateDIBSection(compatibleWith, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_);
  }
  ~DibSurface() {
    if (previous_) SelectObject(dc_, previous_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  bool ok() const { return previous_ != nullptr; }
  HDC dc() const { return dc_; }
  HBITMAP bitmap() const { return bitmap_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixels as GDI leaves them (call GdiFlush first), rows top to bottom.
  const uint32_t* bits() const { return bits_; }
  // The pixels as 0x00RRGGBB once GDI has finished drawing.
  std::vector<uint32_t> rgb() const {
    GdiFlush();
    std::vector<uint32_t> pixels(bits_, bits_ + size_t(width_) * height_);
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;
    return pixels;
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// Pixels whose colour differs between two surfaces of one size (the fourth byte aside).
inline size_t differingPixels(const DibSurface& a, const DibSurface& b) {
  const std::vector<uint32_t> pa = a.rgb(), pb = b.rgb();
  size_t n = 0;
  for (size_t i = 0; i < pa.size() && i < pb.size(); ++i) n += pa[i] != pb[i];
  return n;
}

// The width x height pixels of `source` (a screen or window DC) from (x, y), as 0x00RRGGBB,
// rows top to bottom; empty when they cannot be read.
inline std::vector<uint32_t> copyPixels(HDC source, int x, int y, int width, int height) {
  if (!source || width <= 0 || height <= 0) return {};
  DibSurface copy(source, width, height);
  if (!copy.ok() || !BitBlt(copy.dc(), 0, 0, width, height, source, x, y, SRCCOPY)) return {};
  return copy.rgb();
}

// The client area of a window as it is on screen (read through its own DC, so it must be
// unobscured), as 0x00RRGGBB; `size` gets its width and height. Empty when it cannot be read.
inline std::vector<uint32_t> clientPixels(HWND window, SIZE* size) {
  RECT client{};
  *size = SIZE{};
  if (!window || !GetClientRect(window, &client)) return {};
  *size = SIZE{client.right, client.bottom};
  HDC windowDC = GetDC(window);
  std::vector<uint32_t> pixels = copyPixels(windowDC, 0, 0, client.right, client.bottom);
  if (windowDC) ReleaseDC(window, windowDC);
  return pixels;
}

// A .bmp file of the header and the pixel rows as they are laid out in memory.
inline bool writeBmpFile(const std::wstring& path, const BITMAPINFOHEADER& header, const void* rows, size_t size) {
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + DWORD(size);
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(static_cast<const char*>(rows), size);
  return writeWholeFile(path, bytes);
}

// A 32-bit top-down .bmp of width x height pixels, to look at what a test or benchmark saw.
inline bool writeBmp32(const std::wstring& path, int width, int height, const uint32_t* pixels) {
  return writeBmpFile(path, dibHeader(width, -height, 32), pixels, size_t(width) * height * 4);
}

// A 24-bit bottom-up .bmp; pixel(x, y) gives 0x00RRGGBB with y counted from the top.
inline bool writeBmp24(const std::wstring& path, int w, int h, const std::function<uint32_t(int, int)>& pixel) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> data(size_t(stride) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t p = pixel(x, y);
      uint8_t* d = &data[size_t(h - 1 - y) * stride + x * 3];
      d[0] = uint8_t(p), d[1] = uint8_t(p >> 8), d[2] = uint8_t(p >> 16);
    }
  BITMAPINFOHEADER header = dibHeader(w, h, 24);
  header.biSizeImage = DWORD(data.size());
  return writeBmpFile(path, header, data.data(), data.size());
}

}  // namespace testsupport
