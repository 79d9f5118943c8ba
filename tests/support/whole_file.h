// Whole files as bytes, for the tests, their harness and the benchmarks.
#pragma once
#include <windows.h>

#include <string>

namespace testsupport {

// The whole file; empty when it cannot be read. Others may go on writing or deleting it.
inline std::string readWholeFile(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

// The file made anew with exactly these bytes; false when it cannot be written whole.
inline bool writeWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  return ok;
}

// A UTF-16LE file as text, its byte-order mark dropped (the settings file as the program writes it).
inline std::wstring readUtf16File(const std::wstring& path) {
  std::string bytes = readWholeFile(path);
  if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) bytes.erase(0, 2);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

}  // namespace testsupport
