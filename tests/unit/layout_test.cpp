// The read-out's layout arithmetic, checked against worked examples and the choice table.
#include <gtest/gtest.h>

#include "display/layout.h"

namespace {

const ReadoutFields kFields{1, 6, 3, 9};

TEST(Layout, HoursMinutesSecondsTwoRowsUpright400x300) {
  auto p = layoutPieces(Layout::C, true, false, 400, 300, {0, 1, 2, 3});
  std::vector<TextPiece> expected = {
      {L"01", 10, 0, 300, 95}, {L":", 181, 0, 180, 76}, {L"02", 238, 0, 180, 76},
      {L":", 250, 180, 120, 50}, {L"03", 288, 180, 120, 50}};
  EXPECT_EQ(p, expected);
}

TEST(Layout, DaysHoursMinutesSecondsTwoRowsUpright300x200) {
  auto p = layoutPieces(Layout::E, true, false, 300, 200, {0, 0, 3, 0});
  std::vector<TextPiece> expected = {
      {L"00d00", 7, 0, 100, 57}, {L"03", 35, 100, 100, 57}, {L"00", 178, 100, 100, 57},
      {L":", -7, 100, 100, 57}, {L":", 135, 100, 100, 57}};
  EXPECT_EQ(p, expected);
}

TEST(Layout, ItalicHoursMinutesSecondsOneRowAt300) {
  auto p = layoutPieces(Layout::C, false, true, 300, 100, kFields);
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[0].fontWidth, 38);
  EXPECT_EQ(p[2].text, L"09");
  EXPECT_EQ(p[2].x, 197);
}

TEST(Layout, PairsLayoutsDifferOnlyInTheOnePixelDrop) {
  auto a = layoutPieces(Layout::A, false, false, 400, 100, kFields);
  auto b = layoutPieces(Layout::B, false, false, 400, 100, kFields);
  ASSERT_EQ(a.size(), 3u);
  ASSERT_EQ(b.size(), 3u);
  // e = 380: colon at 10 + 147, second pair at 10 + 211, font 100 x 84.
  EXPECT_EQ(a[0], (TextPiece{L"06", 10, 0, 100, 84}));
  EXPECT_EQ(a[1], (TextPiece{L":", 157, 1, 100, 84}));
  EXPECT_EQ(a[2], (TextPiece{L"03", 221, 1, 100, 84}));
  EXPECT_EQ(b[0], (TextPiece{L"03", 10, 0, 100, 84}));
  EXPECT_EQ(b[1].y, 0);
  EXPECT_EQ(b[2], (TextPiece{L"09", 221, 0, 100, 84}));
  // A and B have no two-row form: the flag is ignored.
  EXPECT_EQ(layoutPieces(Layout::A, true, false, 400, 100, kFields), a);
}

TEST(Layout, DaysLayoutsUseTheCompoundTexts) {
  auto one = layoutPieces(Layout::D, false, false, 600, 100, kFields);
  ASSERT_EQ(one.size(), 3u);
  EXPECT_EQ(one[0].text, L"01d06");
  EXPECT_EQ(one[2].text, L"03");
  auto two = layoutPieces(Layout::D, true, false, 600, 100, kFields);
  ASSERT_EQ(two.size(), 4u);
  EXPECT_EQ(two[0].text, L"01");
  EXPECT_EQ(two[1].text, L"d06");
  EXPECT_EQ(two[1].fontHeight, 60);
  EXPECT_EQ(two[3].y, 60);
}

TEST(Layout, ItalicTwoRowFormsUseTheirOwnSpans) {
  // D two rows italic at W = 430: e = (38 * 430) / 43 = 380.
  auto d = layoutPieces(Layout::D, true, true, 430, 100, kFields);
  EXPECT_EQ(d[1].x, 10 + 209);   // 11/20 of e
  EXPECT_EQ(d[1].fontWidth, 57); // 3/20 of e
  EXPECT_EQ(d[3].x, 10 + 313);   // 33/40 of e
  // E two rows italic at W = 440: e = 380.
  auto e = layoutPieces(Layout::E, true, true, 440, 100, kFields);
  EXPECT_EQ(e[0].fontWidth, 76);
  EXPECT_EQ(e[3].x, 11 - 19);
}

struct ChoiceCase {
  bool running;
  uint32_t remaining;
  bool showSeconds;
  Layout expected;
};

TEST(Layout, ChoiceAtItsBoundaries) {
  const ChoiceCase cases[] = {
      {false, 0, true, Layout::E},        {false, 5000, false, Layout::E},
      {true, 86400000, true, Layout::E},  {true, 86399999, true, Layout::C},
      {true, 3600000, true, Layout::C},   {true, 3599999, true, Layout::B},
      {true, 999, true, Layout::B},       {true, 86400000, false, Layout::D},
      {true, 86399999, false, Layout::A}, {true, 60000, false, Layout::A},
      {true, 59999, false, Layout::B},
  };
  for (const auto& c : cases)
    EXPECT_EQ(chooseLayout(c.running, c.remaining, c.showSeconds), c.expected)
        << c.running << " " << c.remaining << " " << c.showSeconds;
}

TEST(Layout, FieldsTruncateAndSplitDays) {
  ReadoutFields f = fieldsFromRemaining(999);
  EXPECT_EQ(f.minutes, 0);
  EXPECT_EQ(f.seconds, 0);
  f = fieldsFromRemaining(3599999);
  EXPECT_EQ(f.minutes, 59);
  EXPECT_EQ(f.seconds, 59);
  f = fieldsFromRemaining(4294967295u);  // 49 d 17 h 2 min 47 s
  EXPECT_EQ(f.days, 49);
  EXPECT_EQ(f.hours, 17);
  EXPECT_EQ(f.minutes, 2);
  EXPECT_EQ(f.seconds, 47);
  f = fieldsFromInterval(30, 4, 5);
  EXPECT_EQ(f.days, 1);
  EXPECT_EQ(f.hours, 6);
  auto p = layoutPieces(Layout::E, false, false, 400, 100, fieldsFromInterval(30, 0, 0));
  EXPECT_EQ(p[0].text, L"01d06");
}

TEST(Layout, RowFormByOuterAspectRatio) {
  EXPECT_TRUE(useTwoRows(16, 10, 300, 200));   // 1.5 < 1.6
  EXPECT_FALSE(useTwoRows(16, 10, 320, 200));  // exactly equal: one row
  EXPECT_FALSE(useTwoRows(16, 10, 400, 200));
  EXPECT_TRUE(useTwoRows(16, 10, 319, 200));
  EXPECT_FALSE(useTwoRows(16, 10, 300, 0));    // zero height: one row
  EXPECT_FALSE(useTwoRows(2, 1, 0, 0));
  EXPECT_FALSE(useTwoRows(1193, 1, 1000000, 1));  // no overflow
}

}  // namespace
