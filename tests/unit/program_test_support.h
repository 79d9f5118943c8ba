// A private program folder for program timer tests: programDirectory, userName and the
// settings file point into a fresh temporary folder that is removed afterwards.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tests/support/whole_file.h"

#include "common/data_folder.h"
#include "common/settings.h"
#include "programs/program_file.h"

namespace program_test {

// CR LF, lone CR and lone LF all as CR LF.
inline std::wstring asCrLf(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      out += L"\r\n";
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

class ProgramFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    dir_ = std::wstring(temp) + L"velmora-prog-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L"\\";
    CreateDirectoryW(dir_.c_str(), nullptr);
    wcscpy_s(programDirectory, dir_.c_str());
    wcscpy_s(dataDirectory, dir_.c_str());
    wcscpy_s(userName, L"tester");
    swprintf_s(settingsFilePath, 1024, L"%lstester Velmora.ini", dir_.c_str());
    for (auto& name : programTimerNames) name[0] = L'\0';
    PROGRAM_TIMER_NO = 0;
  }
  void TearDown() override {
    std::wstring from = dir_;
    from.pop_back();
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
    freeProgramSteps();
  }

  std::wstring path(const std::wstring& name) const { return dir_ + name; }
  static std::wstring slotName(int slot) { return L"tester_program_timer_" + std::to_wstring(slot) + L".txt"; }
  std::wstring slotPath(int slot) const { return path(slotName(slot)); }

  bool writeBytes(const std::wstring& name, const std::string& bytes) const {
    return testsupport::writeWholeFile(path(name), bytes);
  }
  static std::string utf16(const std::wstring& text, bool bom = true) {
    std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return out;
  }
  static std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
  }
  // Text with LF line ends, written as the program writes it (CR LF on disk).
  bool writeSlot(int slot, const std::wstring& text) const {
    std::wstring crlf;
    for (wchar_t c : text) {
      if (c == L'\n') crlf += L'\r';
      crlf += c;
    }
    return writeBytes(slotName(slot), utf16(crlf));
  }
  std::string readBytes(const std::wstring& name) const { return testsupport::readWholeFile(path(name)); }
  bool exists(const std::wstring& name) const {
    return GetFileAttributesW(path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  // Files of the folder (names only), for failure messages.
  std::wstring listing() const {
    std::wstring out;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir_ + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
      if (data.cFileName[0] != L'.') out += std::wstring(data.cFileName) + L"|";
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return out;
  }

  std::wstring dir_;
};

}  // namespace program_test
