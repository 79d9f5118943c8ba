#include "programs/program_file.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "common/data_folder.h"
#include "common/dialog_helpers.h"
#include "common/settings.h"
#include "res/resource.h"

ProgramStep* programSteps = nullptr;
BOOL(WINAPI* flushFileToDisk)(HANDLE) = FlushFileBuffers;

namespace {

const wchar_t kWriteFailure[] = L"プログラムタイマー設定ファイルの書き込みに失敗しました";
const wchar_t kMoveFailure[] = L"プログラムタイマー設定ファイルの移動に失敗しました";

// Formats into path; an empty path when it does not fit (opening it then fails).
void formatPath(wchar_t* path, size_t size, const wchar_t* format, int slot) {
  if (!size) return;
  int written = _snwprintf(path, size, format, dataDirectory, userName, slot);
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

ProgramLoad loadProgramStepsFrom(const wchar_t* path, ProgramStep** holder) {
  FILE* file = nullptr;
  // "ccs=UTF-16LE" reads like "ccs=UNICODE" is documented to (a UTF-8 or UTF-16 mark decides,
  // no mark means UTF-16LE); Wine's runtime reads "ccs=UNICODE" without a mark as ANSI.
  if (!path[0] || _wfopen_s(&file, path, L"r, ccs=UTF-16LE") != 0 || !file) {
    makeEmptyList(holder);
    // Only a file that is not there at all is an empty program timer.
    bool missing = path[0] && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES &&
                   (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    return missing ? ProgramLoad::Whole : ProgramLoad::Unreadable;
  }
  size_t capacity = 64;
  if (!resizeBlock(holder, capacity)) {
    fclose(file);
    makeEmptyList(holder);
    return ProgramLoad::Cut;
  }
  ProgramLoad result = ProgramLoad::Whole;
  size_t count = 0;
  wchar_t line[1024];
  ProgramStep step;
  while (fgetws(line, 1024, file)) {
    if (!parseProgramStepLine(line, &step)) continue;
    if (count + 1 >= capacity) {
      size_t grown = grownCapacity(capacity);
      // Out of memory or at the step limit: the list ends with the steps read so far.
      if (grown <= capacity || !resizeBlock(holder, grown)) {
        result = ProgramLoad::Cut;
        break;
      }
      capacity = grown;
    }
    (*holder)[count++] = step;
  }
  (*holder)[count].waitMs = 0;
  fclose(file);
  return result;
}

ProgramLoad loadProgramSteps(ProgramStep** holder) {
  wchar_t path[1024];
  programTimerFilePath(PROGRAM_TIMER_NO, path, 1024);
  return loadProgramStepsFrom(path, holder);
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
  // On the disk before it replaces the old file: after a power cut the slot then holds the
  // old content or the new one, never an empty file.
  if (ok && !flushFileToDisk(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) ok = false;
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

namespace {

const wchar_t kProgramSection[] = L"PROGRAM_TIMER";
const wchar_t kMoveKey[] = L"MOVE";
const wchar_t kLeftoverKept[] =
    L"中断された移動の一時ファイルが残っているため、プログラムタイマーを移動できません。\n"
    L"一時ファイルはそのまま残してあります。\n%ls";
const wchar_t kRecoveryFailure[] =
    L"中断されたプログラムタイマーの移動を元に戻せませんでした。\n"
    L"ファイルはそのまま残してあります。\n%ls";

// A move under way, as PROGRAM_TIMER/MOVE holds it:
//   from,to,stage,hadTo,n;pid,started,<from's name><to's name>|
// n is the length of from's name; pid and started (its creation time, 16 hex digits) name the
// instance that makes the move. The closing "|" keeps the names whole: the profile functions trim trailing
// white space from what they read. A record of the older form "from,to,stage,hadTo,n,<names>"
// (no owner, no mark) is read too.
// Stage 1: the renames are under way; a move cut short here is undone. Stage 2: from's file
// has reached slot to; the temporary file, if any, is the last to move, then the names.
struct MoveRecord {
  int from, to, stage, hadTo;
  wchar_t fromName[128], toName[128];
  DWORD ownerId;
  uint64_t ownerStart;
};

uint64_t processStart(HANDLE process) {
  FILETIME created{}, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (uint64_t)created.dwHighDateTime << 32 | created.dwLowDateTime;
}

// The record belongs to another instance that is still running: its move may be under way.
bool ownedByAnotherInstance(const MoveRecord& r) {
  if (r.ownerId == 0 || r.ownerId == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, r.ownerId);
  if (!process) return false;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  const bool same = running && processStart(process) == r.ownerStart;
  CloseHandle(process);
  return same;
}

struct MovePaths {
  wchar_t from[1024], to[1024], temporary[1024];
};

bool fileExists(const wchar_t* path) { return PathFileExistsW(path) != FALSE; }

bool movePaths(const MoveRecord& r, MovePaths* p) {
  programTimerFilePath(r.from, p->from, 1024);
  programTimerFilePath(r.to, p->to, 1024);
  programTimerTempPath(p->temporary, 1024);
  return p->from[0] && p->to[0] && p->temporary[0];
}

bool writeMoveRecord(const MoveRecord& r) {
  wchar_t value[340];
  const uint64_t started = processStart(GetCurrentProcess());
  int n = _snwprintf(value, 340, L"%d,%d,%d,%d,%d;%lu,%08lX%08lX,%ls%ls|", r.from, r.to, r.stage, r.hadTo,
                     (int)wcslen(r.fromName), (unsigned long)GetCurrentProcessId(), (unsigned long)(started >> 32),
                     (unsigned long)(started & 0xFFFFFFFFu), r.fromName, r.toName);
  if (n < 0 || n >= 340) return false;
  return writeSettingString(kProgramSection, kMoveKey, value) != FALSE;
}

bool readMoveRecord(MoveRecord* r) {
  wchar_t value[340] = L"";
  GetPrivateProfileStringW(kProgramSection, kMoveKey, L"", value, 340, settingsFilePath);
  int length = -1, consumed = 0;
  if (swscanf(value, L"%d,%d,%d,%d,%d%n", &r->from, &r->to, &r->stage, &r->hadTo, &length, &consumed) != 5 ||
      consumed == 0)
    return false;
  const wchar_t* names = value + consumed;
  size_t total = 0;
  r->ownerId = 0;
  r->ownerStart = 0;
  if (*names == L';') {
    wchar_t* end = nullptr;
    r->ownerId = (DWORD)wcstoul(names + 1, &end, 10);
    if (*end != L',') return false;
    r->ownerStart = wcstoull(end + 1, &end, 16);
    if (*end != L',') return false;
    names = end + 1;
    total = wcslen(names);
    if (total == 0 || names[total - 1] != L'|') return false;
    --total;
  } else if (*names == L',') {
    total = wcslen(++names);
  } else {
    return false;
  }
  if (r->from < 0 || r->from > 9 || (r->to != r->from + 1 && r->to != r->from - 1) || r->to < 0 || r->to > 9 ||
      (r->stage != 1 && r->stage != 2) || length < 0 || length > 127 || (size_t)length > total ||
      total - length > 127)
    return false;
  wmemcpy(r->fromName, names, length);
  r->fromName[length] = L'\0';
  wmemcpy(r->toName, names + length, total - length);
  r->toName[total - length] = L'\0';
  return true;
}

void clearMoveRecord() { WritePrivateProfileStringW(kProgramSection, kMoveKey, nullptr, settingsFilePath); }

// Puts both slots' files back where they were before the move, from whatever state its
// renames reached. False when a rename failed.
bool undoMoveRenames(const MoveRecord& r, const MovePaths& p) {
  const bool temporary = fileExists(p.temporary);
  // With the temporary file there (or when slot to had no file), a file in slot to next to an
  // empty slot from is from's own file: it goes back first and frees slot to.
  if ((temporary || !r.hadTo) && !fileExists(p.from) && fileExists(p.to) && !MoveFileW(p.to, p.from)) return false;
  return !temporary || MoveFileW(p.temporary, p.to);
}

bool writeName(int slot) {
  wchar_t key[16];
  swprintf(key, 16, L"NAME_%d", slot);
  return writeSettingString(kProgramSection, key, programTimerNames[slot]) != FALSE;
}

// A slot's name goes over to its new holder while it still holds what it held before the move
// (or already the new one): a rename since the move stays.
void followName(int slot, const wchar_t* before, const wchar_t* after) {
  if (wcscmp(programTimerNames[slot], before) == 0) wcscpy_s(programTimerNames[slot], after);
}

// The files have changed places: the names follow and slot to becomes the selected one, each
// only while it is as the move left it (a recovery may come long after). The record goes only
// when everything is written, so a later recovery can write it all again.
bool commitMove(const MoveRecord& r) {
  followName(r.from, r.fromName, r.toName);
  followName(r.to, r.toName, r.fromName);
  if (PROGRAM_TIMER_NO == r.from) PROGRAM_TIMER_NO = r.to;
  if (!writeName(r.from) || !writeName(r.to) || !writeSettingInt(kProgramSection, L"NO", PROGRAM_TIMER_NO))
    return false;
  clearMoveRecord();
  return true;
}

void showPathMessage(HWND window, const wchar_t* format, const wchar_t* path) {
  wchar_t text[1400];
  _snwprintf(text, 1400, format, path);
  text[1399] = L'\0';
  MessageBoxW(window, text, L"Velmora", MB_ICONERROR);
}

void moveProgramTimer(HWND window, int from, int to) {
  wchar_t temporary[1024];
  switch (moveProgramTimerSlot(from, to)) {
    case MoveResult::Moved: break;
    case MoveResult::NamesNotSaved: showSettingsWriteFailure(window); break;
    case MoveResult::Failed: MessageBoxW(window, kMoveFailure, L"Velmora", MB_ICONERROR); break;
    case MoveResult::LeftoverKept:
      programTimerTempPath(temporary, 1024);
      showPathMessage(window, kLeftoverKept, temporary);
      break;
  }
}

}  // namespace

bool recoverProgramTimerMove() {
  MoveRecord r{};
  MovePaths p{};
  if (!readMoveRecord(&r)) return true;
  // Another running instance may be making this move right now: it is its own to finish.
  if (ownedByAnotherInstance(r)) return true;
  if (!movePaths(r, &p)) return false;
  // Every rename done: only the names are left to write.
  if (r.stage == 2 && !fileExists(p.temporary)) {
    commitMove(r);
    return true;
  }
  if (!undoMoveRenames(r, p)) return false;
  clearMoveRecord();
  return true;
}

void recoverProgramTimerMoveAtStart(HWND window) {
  if (recoverProgramTimerMove()) return;
  wchar_t temporary[1024];
  programTimerTempPath(temporary, 1024);
  showPathMessage(window, kRecoveryFailure, temporary);
}

MoveResult moveProgramTimerSlot(int from, int to) {
  MoveRecord r{from, to, 1, 0, {}, {}, 0, 0};
  if (readMoveRecord(&r) && ownedByAnotherInstance(r)) return MoveResult::Failed;
  if (!recoverProgramTimerMove()) return MoveResult::LeftoverKept;
  r = MoveRecord{from, to, 1, 0, {}, {}, 0, 0};
  MovePaths p{};
  if (!movePaths(r, &p)) return MoveResult::Failed;
  // A temporary file nothing accounts for is somebody's program timer: never overwritten, and
  // never given a slot's name by guess.
  if (fileExists(p.temporary)) return MoveResult::LeftoverKept;
  r.hadTo = fileExists(p.to) ? 1 : 0;
  wcscpy_s(r.fromName, programTimerNames[from]);
  wcscpy_s(r.toName, programTimerNames[to]);
  if (!writeMoveRecord(r)) return MoveResult::Failed;

  bool moved = (!r.hadTo || MoveFileW(p.to, p.temporary)) && (!fileExists(p.from) || MoveFileW(p.from, p.to));
  if (moved) {
    r.stage = 2;
    moved = writeMoveRecord(r) && (!fileExists(p.temporary) || MoveFileW(p.temporary, p.from));
  }
  if (!moved) {
    // Stage 1 first: should the undo itself fail, the next recovery finishes undoing it.
    r.stage = 1;
    writeMoveRecord(r);
    if (undoMoveRenames(r, p)) clearMoveRecord();
    return MoveResult::Failed;
  }
  return commitMove(r) ? MoveResult::Moved : MoveResult::NamesNotSaved;
}

namespace {

void onRenameInit(HWND dialog) {
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
  static const OkCancelDialog handlers = {onRenameInit, onRenameOk};
  return okCancelDialogMessage(dialog, message, wParam, handlers);
}
