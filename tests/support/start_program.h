// Starting a Windows program from a test, for the tests and their harness.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

namespace testsupport {

// CreateProcessW for a program file (exe) with the command line "exe" arguments, and no handles
// inherited; an empty directory is the caller's. Under Wine it now and then fails with ERROR_INTERNAL_ERROR: the new process's
// loader ended before the program ran any code of its own (twice in some ten full runs under
// 64-bit Wine, never under 32-bit Wine). That says nothing about the program, so such a start
// is made again, at most twice, and the test's output says so. Any other failure returns false
// at once, with GetLastError().
inline bool startProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& directory,
                         STARTUPINFOW& startup, PROCESS_INFORMATION& info, DWORD flags = 0,
                         void* environment = nullptr) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, environment,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &info))
      return true;
    if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3) return false;
    fwprintf(stderr, L"Wine's loader for %ls ended before the program ran (error 1359); starting it again\n",
             exe.c_str());
    fflush(stderr);
  }
}

}  // namespace testsupport
