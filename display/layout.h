// The read-out's layouts as pure arithmetic: which layout, one row or two, and where each
// piece of text goes with which font size. The painter turns the pieces into GDI calls.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class Layout { A, B, C, D, E };  // HM, MS, HMS, DHM, DHMS

// The four numbers of the read-out.
struct ReadoutFields {
  int days, hours, minutes, seconds;
};

// One piece of text: drawn with TextOutW at (x, y) in a font of the given height and width.
struct TextPiece {
  std::wstring text;
  int x, y;
  int fontHeight, fontWidth;
  bool operator==(const TextPiece&) const = default;
};

// Fields of a running timer from the remaining milliseconds (partial seconds dropped).
ReadoutFields fieldsFromRemaining(uint32_t remainingMs);
// Fields of the idle read-out from the interval setting.
ReadoutFields fieldsFromInterval(int hours, int minutes, int seconds);
// Layout for the state: idle always E; otherwise by remaining time and seconds shown.
Layout chooseLayout(bool running, uint32_t remainingMs, bool showSeconds);
// Two rows when the switching ratio ratioW : ratioH is greater than the outer window's
// width / height. Compared exactly (cross-multiplied), so a window of exactly the switching
// shape uses one row whatever the floating-point unit does with the quotients.
bool useTwoRows(int ratioW, int ratioH, int outerWidth, int outerHeight);
// Whether the layout has a two-row form, and which ratio decides it (hms for C and D, dhms for E).
bool layoutHasTwoRows(Layout layout);
// All pieces of a layout in drawing order, for a client area of W x H.
std::vector<TextPiece> layoutPieces(Layout layout, bool twoRows, bool italic, int W, int H,
                                    const ReadoutFields& fields);
