// Program timer files: the UTF-16 step lists beside the program, their names, moving a slot
// up or down, and the rename dialog (209).
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// One step of a program timer. A step list is one process-heap block of these, ended by a
// record whose waitMs is 0 (only that field of the terminating record is meaningful).
struct ProgramStep {
  uint32_t waitMs;         // 1..4294967295; 0 only in the terminating record
  int32_t repeat;          // nonzero: the step's sound loops until stopped
  wchar_t soundFile[512];  // empty: no sound
  wchar_t message[256];    // CR LF line breaks; empty: no message
};

// The runner's step list (also filled by resume); null before the first load.
extern ProgramStep* programSteps;

// Most steps a list holds; lines after that are not read (keeps a runaway file from taking
// the whole address space of the process).
constexpr int maxProgramSteps = 100000;

// How much of a file a load got into the list.
enum class ProgramLoad {
  Whole,       // every line (a missing file is an empty program timer)
  Unreadable,  // the file is there but could not be opened: the list is empty
  Cut,         // the list ends early (step limit or memory): the file holds more
};
// Reads the selected slot's file (PROGRAM_TIMER/NO) into the holder's block, resizing it
// (it may move) or allocating one. A missing or unreadable file gives an empty list.
ProgramLoad loadProgramSteps(ProgramStep** holder);
// The same from a named file.
ProgramLoad loadProgramStepsFrom(const wchar_t* path, ProgramStep** holder);
// Number of steps before the terminating record; 0 for a null holder.
int programStepCount(const ProgramStep* steps);
// Parses one line (LF or NUL ended; the text is cut up in place) into step. False when the
// line has no wait of at least 1 ms and so is skipped.
bool parseProgramStepLine(wchar_t* line, ProgramStep* step);

// Texts of one editor row as they are written: wait, sound file, repeat column, escaped message.
struct ProgramRowText {
  wchar_t wait[512];
  wchar_t sound[512];
  wchar_t repeat[512];
  wchar_t message[512];
};
// Supplies row index into row; false stops the write as a failure.
using ProgramRowSource = bool (*)(void* context, int index, ProgramRowText* row);
// Writes count rows to path through a temporary file beside it that replaces path only when
// complete and on the disk. TRUE on success; on failure path is untouched and the temporary
// file is removed.
BOOL writeProgramTimerFile(const wchar_t* path, int count, ProgramRowSource source, void* context);
// Forces a written file's data to the disk (FlushFileBuffers; tests put a recorder in).
extern BOOL(WINAPI* flushFileToDisk)(HANDLE file);
// Editor OK / 適用: the list view's rows to the selected slot's file; shows the failure message.
BOOL saveProgramTimer(HWND owner, HWND listView);

// Message escaping for the file: CR LF, lone CR and lone LF become "\n", "\" becomes "\\".
// In place; a result longer than capacity - 1 is cut before the escape sequence that does
// not fit. False when it was cut.
bool escapeMessage(wchar_t* text, size_t capacity = 256);
// "\n" becomes CR LF, "\\" becomes "\"; any other backslash stays. In place; never grows.
void unescapeMessage(wchar_t* text, size_t capacity);

// "%s%s_program_timer_%d.txt" from dataDirectory, userName and the slot.
void programTimerFilePath(int slot, wchar_t* path, size_t size);
// "%s%s_program_timer.tmp", used while two slots swap files.
void programTimerTempPath(wchar_t* path, size_t size);
// The slot's name, or "プログラム_%d" when it is empty.
void programTimerDisplayName(int slot, wchar_t* name, size_t size);

// Frees the loaded step list (at exit).
void freeProgramSteps();
// Commands 9 and 10: swap the selected slot's file and name with the previous / next slot's,
// keeping the same program timer selected. A move that fails is undone and reported.
void moveProgramTimerUp(HWND window);
void moveProgramTimerDown(HWND window);

enum class MoveResult {
  Moved,
  NamesNotSaved,  // files and names swapped, but the settings file refused the names
  Failed,         // nothing changed (a rename or the settings file failed)
  LeftoverKept,   // a temporary file of unknown origin is in the way; nothing changed
};
// Swaps the files, names and selection of slots from and to (to = from ± 1), all or nothing.
// The move is recorded in PROGRAM_TIMER/MOVE while it runs, so a move cut short by a kill
// can be put right by recoverProgramTimerMove.
MoveResult moveProgramTimerSlot(int from, int to);
// Puts right a move that was cut short: undoes its renames, or finishes its names when the
// files were already in place. False when a rename failed (the files stay, the record too).
bool recoverProgramTimerMove();
// At start-up: recoverProgramTimerMove, telling the user when the files had to stay.
void recoverProgramTimerMoveAtStart(HWND window);
INT_PTR CALLBACK renameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
