#include "programs/program_file.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "app/main_window.h"
#include "app/settings.h"
#include "res/resource.h"

ProgramStep* programSteps = nullptr;

namespace {

const wchar_t kWriteFailure[] = L"プログラムタイマー設定ファイルの書き込みに失敗しました";
const wchar_t kMoveFailure[] = L"プログラムタイマー設定ファイルの移動に失敗しました";

// Formats into path; an empty path when it does not fit (opening it then fails).
void formatPath(wchar_t* path, size_t size, const wchar_t* format, int slot) {
  if (!size) return;
  int written = _snwprintf(path, size, format, programDirectory, userName, slot);
  if (written < 0 || (size_t)written >= size) path[0] = L'\0';
}

// Copies at most maxUnits units of source (NUL ended) into target, never leaving half a
// surrogate pair at the end.
void copyCut(wchar_t* target, const wchar_t* source, size_t maxUnits) {
  size_t n = 0;
  while (n < maxUnits && source[n]) ++n;
  if (n == maxUnits && n > 0 && IS_HIGH_SURROGATE(source[n - 1]) && IS_LOW_SURROGATE(source[n])) --n;
  wmemcpy(target, source, n);
  target[n] = L'\0';
}

// Capacity in records for the growth after capacity: whole blocks of 64, half as many again
// once the list is long, so a long file loads in linear time.
size_t grownCapacity(size_t capacity) {
  size_t blocks = capacity / 64;
  size_t added = blocks / 2 < 1 ? 1 : blocks / 2;
  size_t grown = capacity + added * 64;
  size_t most = (size_t)maxProgramSteps + 1;
  return grown > most ? most : grown;
}

// Makes *holder hold records records; false (holder unchanged) when the heap refuses.
bool resizeBlock(ProgramStep** holder, size_t records) {
  HANDLE heap = GetProcessHeap();
  size_t bytes = records * sizeof(ProgramStep);
  void* block = *holder ? HeapReAlloc(heap, 0, *holder, bytes) : HeapAlloc(heap, 0, bytes);
  if (!block) return false;
  *holder = static_cast<ProgramStep*>(block);
  return true;
}

void makeEmptyList(ProgramStep** holder) {
  if (!resizeBlock(holder, 1) && !*holder) return;
  (*holder)[0].waitMs = 0;
}

bool readListRow(void* context, int index, ProgramRowText* row) {
  HWND list = static_cast<HWND>(context);
  wchar_t* columns[4] = {row->wait, row->sound, row->repeat, row->message};
  for (int c = 0; c < 4; ++c) {
    columns[c][0] = L'\0';
    ListView_GetItemText(list, index, c, columns[c], 512);
  }
  return true;
}

}  // namespace

void programTimerFilePath(int slot, wchar_t* path, size_t size) {
  formatPath(path, size, L"%ls%ls_program_timer_%d.txt", slot);
}

void programTimerTempPath(wchar_t* path, size_t size) {
  formatPath(path, size, L"%ls%ls_program_timer.tmp", 0);
}

void programTimerDisplayName(int slot, wchar_t* name, size_t size) {
  if (!size) return;
  if (slot >= 0 && slot < 10 && programTimerNames[slot][0]) {
    copyCut(name, programTimerNames[slot], size - 1);
    return;
  }
  _snwprintf(name, size, L"プログラム_%d", slot);
  name[size - 1] = L'\0';
}

bool escapeMessage(wchar_t* text, size_t capacity) {
  if (!text || capacity == 0) return false;
  wchar_t out[1024];
  if (capacity > 1024) capacity = 1024;
  size_t limit = capacity - 1, in = 0, n = 0;
  bool fit = true;
  while (text[in]) {
    wchar_t c = text[in];
    wchar_t piece[2] = {c, 0};
    size_t take = 1, produce = 1;
    if (c == L'\r' || c == L'\n') {
      piece[0] = L'\\';
      piece[1] = L'n';
      produce = 2;
      if (c == L'\r' && text[in + 1] == L'\n') take = 2;
    } else if (c == L'\\') {
      piece[1] = L'\\';
      produce = 2;
    } else if (IS_HIGH_SURROGATE(c) && IS_LOW_SURROGATE(text[in + 1])) {
      piece[1] = text[in + 1];
      take = produce = 2;
    }
    if (n + produce > limit) {
      fit = false;
      break;
    }
    for (size_t k = 0; k < produce; ++k) out[n++] = piece[k];
    in += take;
  }
  wmemcpy(text, out, n);
  text[n] = L'\0';
  return fit;
}

void unescapeMessage(wchar_t* text, size_t capacity) {
  if (!text || capacity == 0) return;
  size_t r = 0, w = 0;
  while (r < capacity && text[r]) {
    wchar_t next = r + 1 < capacity ? text[r + 1] : L'\0';
    if (text[r] == L'\\' && next == L'n') {
      text[w++] = L'\r';
      text[w++] = L'\n';
      r += 2;
    } else if (text[r] == L'\\' && next == L'\\') {
      text[w++] = L'\\';
      r += 2;
    } else {
      text[w++] = text[r++];
    }
  }
  text[w < capacity ? w : capacity - 1] = L'\0';
}

bool parseProgramStepLine(wchar_t* line, ProgramStep* step) {
  double wait = wcstod(line, nullptr);
  // Below 1 ms (also 0.5, which would truncate to the list's end marker) the line is skipped;
  // the comparison is false for NaN too.
  if (!(wait >= 1.0)) return false;
  step->waitMs = wait >= 4294967295.0 ? 0xFFFFFFFFu : (uint32_t)wait;
  step->repeat = 0;
  step->soundFile[0] = L'\0';
  step->message[0] = L'\0';

  wchar_t* soundStart = nullptr;
  wchar_t* repeatStart = nullptr;
  wchar_t* messageStart = nullptr;
  for (wchar_t* p = line; *p; p = CharNextW(p)) {
    if (*p == L'\n') {
      *p = L'\0';
      break;
    }
    if (*p != L'\t') continue;
    if (repeatStart)
      messageStart = p + 1;
    else if (soundStart)
      repeatStart = p + 1;
    else
      soundStart = p + 1;
  }
  if (messageStart) {
    copyCut(step->message, messageStart, 255);
    unescapeMessage(step->message, 256);
    messageStart[-1] = L'\0';
  }
  if (repeatStart) {
    step->repeat = _wtoi(repeatStart);
    repeatStart[-1] = L'\0';
  }
  if (soundStart) copyCut(step->soundFile, soundStart, 511);
  return true;
}

void loadProgramStepsFrom(const wchar_t* path, ProgramStep** holder) {
  FILE* file = nullptr;
  // "ccs=UTF-16LE" reads like "ccs=UNICODE" is documented to (a UTF-8 or UTF-16 mark decides,
  // no mark means UTF-16LE); Wine's runtime reads "ccs=UNICODE" without a mark as ANSI.
  if (!path[0] || _wfopen_s(&file, path, L"r, ccs=UTF-16LE") != 0 || !file) {
    makeEmptyList(holder);
    return;
  }
  size_t capacity = 64;
  if (!resizeBlock(holder, capacity)) {
    fclose(file);
    makeEmptyList(holder);
    return;
  }
  size_t count = 0;
  wchar_t line[1024];
  ProgramStep step;
  while (fgetws(line, 1024, file)) {
    if (!parseProgramStepLine(line, &step)) continue;
    if (count + 1 >= capacity) {
      size_t grown = grownCapacity(capacity);
      // Out of memory or at the step limit: the list ends with the steps read so far.
      if (grown <= capacity || !resizeBlock(holder, grown)) break;
      capacity = grown;
    }
    (*holder)[count++] = step;
  }
  (*holder)[count].waitMs = 0;
  fclose(file);
}

void loadProgramSteps(ProgramStep** holder) {
  wchar_t path[1024];
  programTimerFilePath(PROGRAM_TIMER_NO, path, 1024);
  loadProgramStepsFrom(path, holder);
}

int programStepCount(const ProgramStep* steps) {
  if (!steps) return 0;
  int n = 0;
  while (steps[n].waitMs != 0) ++n;
  return n;
}

BOOL writeProgramTimerFile(const wchar_t* path, int count, ProgramRowSource source, void* context) {
  wchar_t temporary[1100];
  int written = _snwprintf(temporary, 1100, L"%ls.new", path);
  if (!path[0] || written < 0 || written >= 1100) return FALSE;

  FILE* file = nullptr;
  if (_wfopen_s(&file, temporary, L"w, ccs=UNICODE") != 0 || !file) return FALSE;
  bool ok = true;
  ProgramRowText row;
  for (int i = 0; ok && i < count; ++i) {
    ok = source(context, i, &row);
    if (!ok) break;
    int repeat = wcscmp(row.repeat, L"有") == 0 ? 1 : 0;
    ok = fwprintf(file, L"%ls\t%ls\t%d\t%ls\n", row.wait, row.sound, repeat, row.message) >= 0;
  }
  if (ok && fflush(file) != 0) ok = false;
  if (ferror(file)) ok = false;
  if (fclose(file) != 0) ok = false;
  // The old file is replaced only by a complete new one.
  if (ok && !MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) ok = false;
  if (!ok) DeleteFileW(temporary);
  return ok ? TRUE : FALSE;
}

BOOL saveProgramTimer(HWND owner, HWND listView) {
  wchar_t path[1024];
  programTimerFilePath(PROGRAM_TIMER_NO, path, 1024);
  int count = listView ? ListView_GetItemCount(listView) : 0;
  if (writeProgramTimerFile(path, count, readListRow, listView)) return TRUE;
  MessageBoxW(owner, kWriteFailure, L"Velmora", MB_ICONERROR);
  return FALSE;
}

void freeProgramSteps() {
  if (programSteps) HeapFree(GetProcessHeap(), 0, programSteps);
  programSteps = nullptr;
}

BOOL swapProgramTimerFiles(int a, int b) {
  wchar_t fileA[1024], fileB[1024], temporary[1024];
  programTimerFilePath(a, fileA, 1024);
  programTimerFilePath(b, fileB, 1024);
  programTimerTempPath(temporary, 1024);
  if (!fileA[0] || !fileB[0] || !temporary[0]) return FALSE;
  if (PathFileExistsW(fileB) && !MoveFileW(fileB, temporary)) return FALSE;
  if (PathFileExistsW(fileA) && !MoveFileW(fileA, fileB)) return FALSE;
  if (PathFileExistsW(temporary) && !MoveFileW(temporary, fileA)) return FALSE;
  return TRUE;
}

namespace {

void writeName(int slot) {
  wchar_t key[16];
  swprintf(key, 16, L"NAME_%d", slot);
  writeSettingString(L"PROGRAM_TIMER", key, programTimerNames[slot]);
}

void moveProgramTimer(HWND window, int a, int b) {
  if (!swapProgramTimerFiles(a, b)) {
    MessageBoxW(window, kMoveFailure, L"Velmora", MB_ICONERROR);
    return;
  }
  wchar_t name[128];
  wcscpy_s(name, programTimerNames[a]);
  wcscpy_s(programTimerNames[a], programTimerNames[b]);
  wcscpy_s(programTimerNames[b], name);
  writeName(a);
  writeName(b);
  PROGRAM_TIMER_NO = b;
  writeSettingInt(L"PROGRAM_TIMER", L"NO", b);
}

void onRenameInit(HWND dialog) {
  setDialogSmallIcon(dialog);
  int slot = PROGRAM_TIMER_NO;
  wchar_t name[128];
  if (programTimerNames[slot][0])
    wcscpy_s(name, programTimerNames[slot]);
  else
    swprintf(name, 32, L"プログラム_%d", slot);
  SendDlgItemMessageW(dialog, IDC_RENAME_EDIT, EM_LIMITTEXT, 127, 0);
  SetDlgItemTextW(dialog, IDC_RENAME_EDIT, name);
}

void onRenameOk(HWND dialog) {
  int slot = PROGRAM_TIMER_NO;
  wchar_t name[128] = L"";
  GetDlgItemTextW(dialog, IDC_RENAME_EDIT, name, 128);
  wcscpy_s(programTimerNames[slot], name);
  saveProgramTimerName();
  EndDialog(dialog, 1);
}

}  // namespace

void moveProgramTimerDown(HWND window) {
  int a = PROGRAM_TIMER_NO;
  if (a >= 9 || a < 0) return;
  moveProgramTimer(window, a, a + 1);
}

void moveProgramTimerUp(HWND window) {
  int a = PROGRAM_TIMER_NO;
  if (a <= 0 || a > 9) return;
  moveProgramTimer(window, a, a - 1);
}

INT_PTR CALLBACK renameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: onRenameInit(dialog); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: onRenameOk(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
  }
}
