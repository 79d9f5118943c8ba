#include "common/data_folder.h"

#include <shlobj.h>

#include <cwchar>

#include "common/message_async.h"
#include "common/settings.h"

wchar_t dataDirectory[1024];

namespace {

DataFolder settledFolder = DataFolder::BesideProgram;
bool perUserFolderIsNew = false;
wchar_t perUserFolder[1024];

bool formatInto(wchar_t* out, size_t size, const wchar_t* format, const wchar_t* a, const wchar_t* b, int n = 0) {
  const int written = _snwprintf(out, size, format, a, b, n);
  return written >= 0 && (size_t)written < size;
}

// The file beside the program is the per-user folder's starting point; one already there wins.
// A copy that fails (a full disk) leaves no file behind.
bool seedFile(const wchar_t* format, int slot, bool required) {
  wchar_t from[1100], to[1100];
  if (!formatInto(from, 1100, format, programDirectory, userName, slot) ||
      !formatInto(to, 1100, format, perUserFolder, userName, slot))
    return false;
  if (GetFileAttributesW(to) != INVALID_FILE_ATTRIBUTES) return true;
  if (GetFileAttributesW(from) == INVALID_FILE_ATTRIBUTES) return true;
  if (CopyFileW(from, to, TRUE)) {
    // A file from a DVD, an ISO or a read-only share keeps its read-only attribute in the copy,
    // and every later write to the copy would fail.
    const DWORD attributes = GetFileAttributesW(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesW(to, attributes & ~FILE_ATTRIBUTE_READONLY);
    return true;
  }
  DeleteFileW(to);
  return !required;
}

bool perUserFolderPath(wchar_t* directory, size_t size) {
  wchar_t base[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if ((n == 0 || n >= MAX_PATH) && FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base)))
    return false;
  const size_t length = wcslen(base);
  return formatInto(directory, size, length && base[length - 1] == L'\\' ? L"%ls%lsVelmora\\" : L"%ls%ls\\Velmora\\",
                    base, L"");
}

bool perUserSettingsExist() {
  wchar_t folder[1024], settings[1100];
  return perUserFolderPath(folder, 1024) && formatInto(settings, 1100, L"%ls%ls Velmora.ini", folder, userName) &&
         GetFileAttributesW(settings) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

DataFolder chooseDataFolder(bool programFolderWritable, bool perUserFolderWritable, bool perUserSettingsExist) {
  if (perUserSettingsExist && perUserFolderWritable) return DataFolder::PerUser;
  if (programFolderWritable) return DataFolder::BesideProgram;
  return perUserFolderWritable ? DataFolder::PerUser : DataFolder::Neither;
}

bool folderWritable(const wchar_t* directory) {
  wchar_t probe[1100];
  if (_snwprintf(probe, 1100, L"%lsvelmora-probe-%lu.tmp", directory, GetCurrentProcessId()) < 0) return false;
  HANDLE file = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool perUserDirectory(wchar_t* directory, size_t size) {
  if (!perUserFolderPath(directory, size)) return false;
  if (CreateDirectoryW(directory, nullptr)) perUserFolderIsNew = true;
  return GetFileAttributesW(directory) != INVALID_FILE_ATTRIBUTES;
}

DataFolder settleDataFolder() {
  wcscpy_s(dataDirectory, programDirectory);
  settledFolder = DataFolder::BesideProgram;
  // Once the settings went to the per-user folder they stay there: a start as administrator or
  // with a write-protect switch turned off finds the program's folder writable, and its
  // settings file there is stale or new.
  const bool perUserSettings = perUserSettingsExist();
  const bool programWritable = folderWritable(programDirectory);
  if (programWritable && !perUserSettings) return settledFolder;

  const bool perUser = perUserDirectory(perUserFolder, 1024) && folderWritable(perUserFolder);
  settledFolder = chooseDataFolder(programWritable, perUser, perUserSettings);
  if (settledFolder == DataFolder::BesideProgram) return settledFolder;
  wchar_t settings[1100];
  if (settledFolder == DataFolder::PerUser &&
      formatInto(settings, 1100, L"%ls%ls Velmora.ini", perUserFolder, userName))
    perUserFolderIsNew = perUserFolderIsNew || GetFileAttributesW(settings) == INVALID_FILE_ATTRIBUTES;
  // Without the settings file the per-user folder would start from defaults: rather read the
  // old one and tell the user that nothing is saved.
  if (settledFolder == DataFolder::PerUser && !seedFile(L"%ls%ls Velmora.ini", 0, true))
    settledFolder = DataFolder::Neither;
  if (settledFolder == DataFolder::PerUser) {
    // Into a new folder only: a slot that a move emptied there stays empty, and the recovery
    // of a move cut short finds the slots as the move left them.
    if (perUserFolderIsNew)
      for (int slot = 0; slot < 10; ++slot) seedFile(L"%ls%ls_program_timer_%d.txt", slot, false);
    wcscpy_s(dataDirectory, perUserFolder);
    swprintf_s(settingsFilePath, 1024, L"%ls%ls Velmora.ini", dataDirectory, userName);
  }
  return settledFolder;
}

void tellDataFolder(HWND window) {
  wchar_t text[1400];
  if (settledFolder == DataFolder::PerUser && perUserFolderIsNew) {
    perUserFolderIsNew = false;
    swprintf_s(text, 1400,
               L"プログラムのフォルダーに書き込めないため、設定とプログラムタイマーは次のフォルダーに保存します。\n%ls",
               dataDirectory);
    showMessageAsync(window, text, L"Velmora", MB_ICONINFORMATION);
  } else if (settledFolder == DataFolder::Neither) {
    swprintf_s(text, 1400,
               L"プログラムのフォルダーにも次のフォルダーにも書き込めないため、設定とプログラムタイマーの変更は保存できません。\n%ls",
               perUserFolder[0] ? perUserFolder : L"%LOCALAPPDATA%\\Velmora");
    showMessageAsync(window, text, L"Velmora", MB_ICONWARNING);
  }
}
