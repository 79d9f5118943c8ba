// Shared pieces of the display tests: a private settings file, generated bitmap files,
// pixel reading, pumping messages, and driving a modal dialog from a helper thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/settings.h"

namespace displaytest {

inline std::wstring tempPath(const std::wstring& name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  wchar_t full[MAX_PATH + 64];
  swprintf_s(full, std::size(full), L"%lsvelmora-display-%lu-%ls", dir, GetCurrentProcessId(), name.c_str());
  return full;
}

// Points the program's settings file at a fresh file (UTF-16 with its mark).
inline std::wstring useFreshSettingsFile(const wchar_t* name = L"settings.ini") {
  std::wstring path = tempPath(name);
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n;
  WriteFile(f, "\xFF\xFE", 2, &n, nullptr);
  CloseHandle(f);
  wcscpy_s(settingsFilePath, path.c_str());
  return path;
}

// The whole settings file as text (UTF-16 with the mark dropped).
inline std::wstring settingsText() {
  std::wstring out;
  HANDLE f = CreateFileW(settingsFilePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  std::string bytes;
  char buf[4096];
  DWORD n;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) bytes.append(buf, n);
  CloseHandle(f);
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) bytes.erase(0, 2);
  out.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  return out;
}

// Positions of the keys in the file text, in the order asked; npos for a missing key.
inline std::vector<size_t> keyPositions(const std::wstring& text, const std::vector<std::wstring>& keys) {
  std::vector<size_t> at;
  for (const std::wstring& k : keys) at.push_back(text.find(L"\n" + k + L"="));
  return at;
}

// A 24-bit bottom-up BMP file; pixel(x, y) gives 0x00RRGGBB with y counted from the top.
inline bool writeBmp24(const std::wstring& path, int w, int h, const std::function<uint32_t(int, int)>& pixel) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> data(size_t(stride) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t p = pixel(x, y);
      uint8_t* d = &data[size_t(h - 1 - y) * stride + x * 3];
      d[0] = uint8_t(p), d[1] = uint8_t(p >> 8), d[2] = uint8_t(p >> 16);
    }
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biCompression = BI_RGB;
  ih.biSizeImage = DWORD(data.size());
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + DWORD(data.size());
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD n;
  bool ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) && WriteFile(f, &ih, sizeof ih, &n, nullptr) &&
            WriteFile(f, data.data(), DWORD(data.size()), &n, nullptr);
  CloseHandle(f);
  return ok;
}

// A monochrome BMP of any size, written row by row (for very large images).
inline bool writeBmp1(const std::wstring& path, int w, int h) {
  const int stride = ((w + 31) / 32) * 4;
  BITMAPFILEHEADER fh{};
  struct {
    BITMAPINFOHEADER ih;
    RGBQUAD colours[2];
  } info{};
  info.ih.biSize = sizeof info.ih;
  info.ih.biWidth = w;
  info.ih.biHeight = h;
  info.ih.biPlanes = 1;
  info.ih.biBitCount = 1;
  info.ih.biCompression = BI_RGB;
  info.ih.biSizeImage = DWORD(stride) * h;
  info.colours[1] = RGBQUAD{255, 255, 255, 0};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof info;
  fh.bfSize = fh.bfOffBits + info.ih.biSizeImage;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD n;
  bool ok = WriteFile(f, &fh, sizeof fh, &n, nullptr) && WriteFile(f, &info, sizeof info, &n, nullptr);
  std::vector<uint8_t> row(stride, 0xAA);
  for (int y = 0; ok && y < h; ++y) ok = WriteFile(f, row.data(), DWORD(stride), &n, nullptr);
  CloseHandle(f);
  return ok;
}

// All pixels of a bitmap as 0x00RRGGBB, rows top to bottom; empty when it cannot be read.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> data;
  uint32_t at(int x, int y) const { return data[size_t(y) * width + x]; }
};
inline Pixels readBitmap(HBITMAP bitmap) {
  Pixels p;
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return p;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  p.data.resize(size_t(bm.bmWidth) * bm.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, bm.bmHeight, p.data.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != bm.bmHeight) return Pixels{};
  for (uint32_t& v : p.data) v &= 0xFFFFFF;
  p.width = bm.bmWidth;
  p.height = bm.bmHeight;
  return p;
}

// Screen pixels of a rectangle in screen coordinates (the screen DC), 0x00RRGGBB.
inline Pixels captureScreen(const RECT& r) {
  Pixels p;
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  p.width = w;
  p.height = h;
  p.data.assign((uint32_t*)bits, (uint32_t*)bits + size_t(w) * h);
  for (uint32_t& v : p.data) v &= 0xFFFFFF;
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return p;
}

inline size_t countColour(const Pixels& p, uint32_t rgb) {
  size_t n = 0;
  for (uint32_t v : p.data) n += v == rgb;
  return n;
}

// Dispatches this thread's messages for about ms milliseconds.
inline void pump(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    Sleep(5);
  } while ((LONG)(end - GetTickCount()) > 0);
}

inline void setText(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text);
}
inline void click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
inline bool checked(HWND dialog, int id) {
  return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
inline std::wstring text(HWND dialog, int id) {
  wchar_t buf[600] = L"";
  GetWindowTextW(GetDlgItem(dialog, id), buf, 600);
  return buf;
}

}  // namespace displaytest
