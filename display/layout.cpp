#include "display/layout.h"

#include <cwchar>

namespace {

enum class Text { First, Second, Hours, Minutes, Seconds, Days, DayHour, DHour, Colon };
enum class Row { Top, OneDown, Second };

// A fraction of the span e: x0 + (n * e) / d, with separate values for italic faces.
struct Frac {
  int n, d;
};

struct FontSpec {
  Frac height;        // of H
  Frac width, widthItalic;  // of e
};

struct PieceSpec {
  Text text;
  Frac x, xItalic;
  Row row;
  int font;
};

struct LayoutSpec {
  Frac span, spanItalic;  // e as a fraction of W
  Frac secondRow;         // y2 as a fraction of H (unused by one-row forms)
  FontSpec fonts[3];
  PieceSpec pieces[5];
  int pieceCount;
};

constexpr Frac ZERO{0, 1};
constexpr Frac FULL{1, 1};

// Layout A (hours : minutes) and B (minutes : seconds) share their geometry; A puts the
// colon and the second pair one pixel lower.
constexpr LayoutSpec pairsLayout(Row second) {
  return {{19, 20}, {171, 200}, ZERO,
          {{FULL, {2, 9}, {2, 9}}},
          {{Text::First, ZERO, ZERO, Row::Top, 0},
           {Text::Colon, {7, 18}, {7, 18}, second, 0},
           {Text::Second, {5, 9}, {5, 9}, second, 0}},
          3};
}
constexpr LayoutSpec layoutA = pairsLayout(Row::OneDown);
constexpr LayoutSpec layoutB = pairsLayout(Row::Top);

constexpr LayoutSpec layoutC1 = {
    {19, 20}, {133, 150}, ZERO,
    {{FULL, {1, 7}, {1, 7}}},
    {{Text::Hours, ZERO, ZERO, Row::Top, 0},
     {Text::Minutes, {5, 14}, {5, 14}, Row::Top, 0},
     {Text::Seconds, {5, 7}, {5, 7}, Row::Top, 0},
     {Text::Colon, {1, 4}, {1, 4}, Row::Top, 0},
     {Text::Colon, {17, 28}, {17, 28}, Row::Top, 0}},
    5};

constexpr LayoutSpec layoutC2 = {
    {19, 20}, {95, 109}, {3, 5},
    {{FULL, {1, 4}, {1, 4}}, {{3, 5}, {1, 5}, {9, 50}}, {{2, 5}, {2, 15}, {3, 25}}},
    {{Text::Hours, ZERO, ZERO, Row::Top, 0},
     {Text::Colon, {9, 20}, {1, 2}, Row::Top, 1},
     {Text::Minutes, {3, 5}, {16, 25}, Row::Top, 1},
     {Text::Colon, {19, 30}, {7, 10}, Row::Second, 2},
     {Text::Seconds, {11, 15}, {79, 100}, Row::Second, 2}},
    5};

constexpr LayoutSpec layoutD1 = {
    {19, 20}, {57, 64}, ZERO,
    {{FULL, {2, 15}, {2, 15}}},
    {{Text::DayHour, ZERO, ZERO, Row::Top, 0},
     {Text::Colon, {19, 30}, {19, 30}, Row::Top, 0},
     {Text::Minutes, {11, 15}, {11, 15}, Row::Top, 0}},
    3};

constexpr LayoutSpec layoutD2 = {
    {19, 20}, {38, 43}, {3, 5},
    {{FULL, {1, 4}, {1, 4}}, {{3, 5}, {1, 6}, {3, 20}}, {{2, 5}, {2, 15}, {1, 10}}},
    {{Text::Days, ZERO, ZERO, Row::Top, 0},
     {Text::DHour, {1, 2}, {11, 20}, Row::Top, 1},
     {Text::Colon, {19, 30}, {3, 4}, Row::Second, 2},
     {Text::Minutes, {11, 15}, {33, 40}, Row::Second, 2}},
    4};

constexpr LayoutSpec layoutE1 = {
    {19, 20}, {19, 21}, ZERO,
    {{FULL, {1, 10}, {1, 10}}},
    {{Text::DayHour, ZERO, ZERO, Row::Top, 0},
     {Text::Minutes, {11, 20}, {11, 20}, Row::Top, 0},
     {Text::Seconds, {4, 5}, {4, 5}, Row::Top, 0},
     {Text::Colon, {19, 40}, {19, 40}, Row::Top, 0},
     {Text::Colon, {29, 40}, {29, 40}, Row::Top, 0}},
    5};

constexpr LayoutSpec layoutE2 = {
    {19, 20}, {19, 22}, {1, 2},
    {{{1, 2}, {1, 5}, {1, 5}}},
    {{Text::DayHour, ZERO, ZERO, Row::Top, 0},
     {Text::Minutes, {1, 10}, {1, 10}, Row::Second, 0},
     {Text::Seconds, {3, 5}, {3, 5}, Row::Second, 0},
     {Text::Colon, {-1, 20}, {-1, 20}, Row::Second, 0},
     {Text::Colon, {9, 20}, {9, 20}, Row::Second, 0}},
    5};

int frac(const Frac& f, int v) { return (f.n * v) / f.d; }

std::wstring two(int v) {
  wchar_t buf[12];
  swprintf(buf, 12, L"%02d", v);
  return buf;
}

std::wstring pieceText(Text t, Layout layout, const ReadoutFields& f) {
  wchar_t buf[12];
  switch (t) {
    case Text::First: return two(layout == Layout::A ? f.hours : f.minutes);
    case Text::Second: return two(layout == Layout::A ? f.minutes : f.seconds);
    case Text::Hours: return two(f.hours);
    case Text::Minutes: return two(f.minutes);
    case Text::Seconds: return two(f.seconds);
    case Text::Days: return two(f.days);
    case Text::DayHour:
      swprintf(buf, 12, L"%02dd", f.days);
      return buf + two(f.hours);
    case Text::DHour:
      swprintf(buf, 12, L"d%02d", f.hours);
      return buf;
    case Text::Colon: return L":";
  }
  return L"";
}

const LayoutSpec& specFor(Layout layout, bool twoRows) {
  switch (layout) {
    case Layout::A: return layoutA;
    case Layout::B: return layoutB;
    case Layout::C: return twoRows ? layoutC2 : layoutC1;
    case Layout::D: return twoRows ? layoutD2 : layoutD1;
    case Layout::E: break;
  }
  return twoRows ? layoutE2 : layoutE1;
}

}  // namespace

ReadoutFields fieldsFromRemaining(uint32_t d) {
  ReadoutFields f;
  f.days = (int)((d / 3600000u) / 24u);
  f.hours = (int)((d / 3600000u) % 24u);
  f.minutes = (int)((d % 3600000u) / 60000u);
  f.seconds = (int)((d % 60000u) / 1000u);
  return f;
}

ReadoutFields fieldsFromInterval(int hours, int minutes, int seconds) {
  return {hours / 24, hours % 24, minutes, seconds};
}

Layout chooseLayout(bool running, uint32_t remainingMs, bool showSeconds) {
  if (!running) return Layout::E;
  if (showSeconds) {
    if (remainingMs >= 86400000u) return Layout::E;
    if (remainingMs < 3600000u) return Layout::B;
    return Layout::C;
  }
  if (remainingMs >= 86400000u) return Layout::D;
  if (remainingMs < 60000u) return Layout::B;
  return Layout::A;
}

bool useTwoRows(int ratioW, int ratioH, int outerWidth, int outerHeight) {
  // A window of zero height has no meaningful ratio: the test fails and one row is used.
  if (outerHeight <= 0 || ratioH <= 0) return false;
  return (long long)ratioW * outerHeight > (long long)outerWidth * ratioH;
}

bool layoutHasTwoRows(Layout layout) {
  return layout == Layout::C || layout == Layout::D || layout == Layout::E;
}

std::vector<TextPiece> layoutPieces(Layout layout, bool twoRows, bool italic, int W, int H,
                                    const ReadoutFields& fields) {
  if (!layoutHasTwoRows(layout)) twoRows = false;
  const LayoutSpec& s = specFor(layout, twoRows);
  const int e = frac(italic ? s.spanItalic : s.span, W);
  const int x0 = W / 40;
  const int y2 = frac(s.secondRow, H);
  std::vector<TextPiece> out;
  out.reserve(s.pieceCount);
  for (int i = 0; i < s.pieceCount; ++i) {
    const PieceSpec& p = s.pieces[i];
    const FontSpec& font = s.fonts[p.font];
    int y = p.row == Row::Top ? 0 : (p.row == Row::OneDown ? 1 : y2);
    out.push_back({pieceText(p.text, layout, fields), x0 + frac(italic ? p.xItalic : p.x, e), y,
                   frac(font.height, H), frac(italic ? font.widthItalic : font.width, e)});
  }
  return out;
}
