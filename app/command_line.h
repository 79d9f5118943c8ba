// The count-down length given on the command line: how the argument is read, and what is
// shown when it cannot be read.
#pragma once
#include <string>

// What the argument asks for.
struct ArgumentLength {
  enum Kind { Nothing, Length, Refused } kind;
  long long seconds;  // with Length: at least 1
};

// Every argument after the program's name, joined by single blanks: people type "1h 30m" as
// two arguments. Empty when there is none.
std::wstring argumentText(const wchar_t* commandLine);

// Reads the argument (null when there is none). A plain number is whole seconds as _wtoi
// reads it, and asks for nothing below 1; "90s", "25m", "2h", "1h30m15s" (either case, or
// 時間, 分, 秒) and "m:ss", "h:mm:ss" are lengths; anything else is refused.
ArgumentLength lengthFromArgument(const wchar_t* argument);

// Interval from the argument: hours capped at 1193, minutes and seconds from the uncapped
// division.
struct CommandLineInterval {
  bool given;    // a length of at least one second
  bool refused;  // the argument is not a length
  int hours, minutes, seconds;
};
CommandLineInterval intervalFromArgument(const wchar_t* argument);

// The message that refuses the argument and names the forms that are read.
std::wstring refusedArgumentMessage(const wchar_t* argument);
