#include "common/sound_files.h"

#include <cwchar>

#include "common/late_libraries.h"

bool chooseSoundFile(HWND owner, const wchar_t* title, wchar_t* file, int* filterIndex) {
  if (*filterIndex < 0) *filterIndex = filterIndexForPath(file);
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpstrFilter = soundFileFilter();
  chooser.nFilterIndex = (DWORD)*filterIndex;
  chooser.lpstrFile = file;
  chooser.nMaxFile = 520;
  chooser.lpstrTitle = title;
  chooser.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!comdlgGetOpenFileName(&chooser)) return false;
  *filterIndex = (int)chooser.nFilterIndex;
  return true;
}

int filterIndexForPath(const wchar_t* path) {
  const wchar_t* start = path;
  const wchar_t* tail = path + wcslen(path);
  while (tail > start && *tail != L'.') tail = CharPrevW(start, tail);
  static const wchar_t* const extensions[] = {L".wav", L".mp3", L".wma", L".mid"};
  for (int i = 0; i < 4; ++i)
    if (lstrcmpiW(tail, extensions[i]) == 0) return i + 1;
  return 5;
}

const wchar_t* soundFileFilter() {
  return L"Wave サウンド (*.wav)\0*.wav\0"
         L"MP3 形式サウンド (*.mp3)\0*.mp3\0"
         L"Windows Media オーディオ ファイル (*.wma)\0*.wma\0"
         L"MIDI シーケンス (*.mid)\0*.mid\0"
         L"全て (*.*)\0*.*\0";
}
