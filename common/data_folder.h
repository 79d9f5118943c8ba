// Where the settings file and the program timer files live: beside the program when its
// folder can be written (the portable layout), else in the per-user folder
// %LOCALAPPDATA%\Velmora, which starts from the files found beside the program and, once it
// holds a settings file, is used at every later start.
#pragma once
#include <windows.h>
#include <cstddef>

// The folder of the settings file and the program timer files; ends with a backslash.
extern wchar_t dataDirectory[1024];

enum class DataFolder {
  BesideProgram,  // the program's folder can be written: nothing moves
  PerUser,        // the per-user folder is used
  Neither,        // no folder can be written: the files beside the program are read, not written
};
// Which folder to use for what can be written where; a per-user settings file, once made, wins.
DataFolder chooseDataFolder(bool programFolderWritable, bool perUserFolderWritable, bool perUserSettingsExist = false);
// True when a new file can be made in the folder (a probe file is made and removed at once).
bool folderWritable(const wchar_t* directory);
// "%LOCALAPPDATA%\Velmora\" (made when missing); false when there is no such folder.
bool perUserDirectory(wchar_t* directory, size_t size);
// Start-up, after programDirectory and userName: sets dataDirectory and settingsFilePath, and
// copies the settings and program timer files beside the program into a new per-user folder
// (the copies writable).
DataFolder settleDataFolder();
// Tells the user once where the settings went, or every time when nothing can be saved
// (a box on a thread of its own, so start-up and resume do not wait).
void tellDataFolder(HWND window);
