// The three screens painted into a memory bitmap, checked pixel by pixel.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "layout.h"
#include "painter.h"
#include "recording_fakes.h"
#include "screen_bitmap.h"
#include "text.h"
#include "wide_text.h"

namespace {

using ddtest::inkBounds;
using ddtest::inkIn;
using ddtest::Rgb;
using ddtest::rgbOf;
using ddtest::ScreenBitmap;

const Rgb kBlack = rgbOf(dd::kBlack);
const Rgb kBlue = rgbOf(dd::kBlue);
const Rgb kRed = rgbOf(dd::kRed);
const Rgb kGreen = rgbOf(dd::kGreen);
const Rgb kSilver = rgbOf(dd::kSilver);
const Rgb kGrey = rgbOf(dd::kGrey);

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dd::initialiseLayout(layout);
    // Item 1 opens with a quotation mark and has both translations.
    records.state.currentItem = 1;
  }

  std::unique_ptr<ddtest::FakeDrill> drill = std::make_unique<ddtest::FakeDrill>();
  dd::DrillRecords& records = drill->records;
  dd::DrillState& state = records.state;
  dd::PracticeSettings& settings = records.settings;
  dd::PracticeItem& item() { return records.catalogue.items[state.currentItem]; }

  // Each paint starts from the default attributes, as a paint device context does.
  void paint() {
    bitmap.erase();
    int saved = SaveDC(bitmap.dc());
    dd::paintScreen(bitmap.dc(), records, layout);
    RestoreDC(bitmap.dc(), saved);
  }

  // A typing screen part-way through the sentence, with everything that can be shown shown.
  void showTyping() {
    state.screen = dd::Typing;
    settings.presentation = 0;
    dd::copyText(state.shownText, "\x81gIs there a");
    state.elapsedMs = 4321;
    item().bestTimeMs = 9800;
    state.checked[state.currentItem] = 1;
    state.checkedInRange = 1;
  }

  void showResult() {
    showTyping();
    state.screen = dd::Result;
    state.elapsedMs = 9800;
  }

  // The text in rect is drawn in colour (smoothing allowed), and in nothing else.
  void expectTextIn(const RECT& rect, Rgb colour, const char* what) {
    ddtest::Ink ink = inkIn(bitmap, rect, colour);
    EXPECT_GT(ink.inked, 0) << what << ": nothing drawn";
    EXPECT_GT(ink.exact, 0) << what << ": no pixel of exactly " << colour;
    EXPECT_EQ(ink.foreign, 0) << what << ": pixel " << ink.firstForeign << " is no tint of "
                              << colour;
  }

  bool blank(const RECT& rect) { return inkIn(bitmap, rect, kBlack).inked == 0; }

  dd::Layout layout{};
  ScreenBitmap bitmap;
};

// ---- Frames ----------------------------------------------------------------------------------

struct Outline {
  const char* name;
  RECT box;  // as passed to Rectangle or RoundRect: right and bottom exclusive
  bool rounded;
};

const Outline kSettingFrames[] = {
    {"order", {7, 237, 113, 263}, false},
    {"range", {117, 237, 253, 263}, false},
    {"presentation", {257, 237, 363, 263}, false},
    {"speed", {367, 237, 423, 263}, false},
};
const Outline kRoundedFrames[] = {
    {"id", {10, 5, 90, 40}, true},
    {"japanese", {95, 5, 540, 115}, true},
    {"english", {10, 120, 540, 230}, true},
};

// The straight parts of an outline are black one pixel wide, with white on both sides; a
// rounded outline has its corner pixels cut away.
void expectOutline(const ScreenBitmap& bitmap, const Outline& o) {
  const RECT& b = o.box;
  const int skip = o.rounded ? 6 : 0;  // corner arcs of the 10 x 10 ellipse
  for (int x = b.left + skip; x < b.right - skip; ++x) {
    for (int y : {b.top, b.bottom - 1}) {
      EXPECT_EQ(bitmap.at(x, y), kBlack) << o.name << " edge at " << x << "," << y;
    }
    EXPECT_EQ(bitmap.at(x, b.top - 1), ddtest::kWhitePixel) << o.name << " above at " << x;
    EXPECT_EQ(bitmap.at(x, b.bottom), ddtest::kWhitePixel) << o.name << " below at " << x;
    if (x > b.left && x < b.right - 1) {
      EXPECT_EQ(bitmap.at(x, b.top + 1), ddtest::kWhitePixel) << o.name << " inside at " << x;
    }
  }
  for (int y = b.top + skip; y < b.bottom - skip; ++y) {
    for (int x : {b.left, b.right - 1}) {
      EXPECT_EQ(bitmap.at(x, y), kBlack) << o.name << " edge at " << x << "," << y;
    }
    EXPECT_EQ(bitmap.at(b.left - 1, y), ddtest::kWhitePixel) << o.name << " left of " << y;
    EXPECT_EQ(bitmap.at(b.right, y), ddtest::kWhitePixel) << o.name << " right of " << y;
    if (y > b.top && y < b.bottom - 1) {
      EXPECT_EQ(bitmap.at(b.left + 1, y), ddtest::kWhitePixel) << o.name << " inside at " << y;
    }
  }
  Rgb corner = bitmap.at(b.left, b.top);
  if (o.rounded) {
    EXPECT_EQ(corner, ddtest::kWhitePixel) << o.name << " corner is not rounded";
  } else {
    EXPECT_EQ(corner, kBlack) << o.name << " corner";
  }
}

void expectSeparator(const ScreenBitmap& bitmap) {
  for (int x = 5; x < 535; ++x) {
    EXPECT_EQ(bitmap.at(x, 270), kBlack) << "separator at " << x;
    EXPECT_EQ(bitmap.at(x, 269), ddtest::kWhitePixel) << "above separator at " << x;
    EXPECT_EQ(bitmap.at(x, 271), ddtest::kWhitePixel) << "below separator at " << x;
  }
  EXPECT_EQ(bitmap.at(4, 270), ddtest::kWhitePixel);
  EXPECT_EQ(bitmap.at(535, 270), ddtest::kWhitePixel);
}

TEST_F(PaintTest, MenuHasSeparatorAndSettingFrames) {
  paint();
  expectSeparator(bitmap);
  for (const Outline& o : kSettingFrames) expectOutline(bitmap, o);
}

// No rounded frame, id, check label, translation, English or time: only the separator, the
// setting frames, the title and the help lines leave ink.
TEST_F(PaintTest, MenuDrawsNothingOutsideItsFramesAndTexts) {
  state.checked[state.currentItem] = 1;  // a stale check mark must not show on the menu
  item().bestTimeMs = 9800;
  state.elapsedMs = 4321;
  paint();
  const RECT drawn[] = {
      {5, 270, 535, 271},  // separator
      kSettingFrames[0].box, kSettingFrames[1].box, kSettingFrames[2].box, kSettingFrames[3].box,
      layout.japaneseRect,   layout.helpRect1,      layout.helpRect2,
  };
  for (int y = 0; y < ScreenBitmap::kHeight; ++y) {
    for (int x = 0; x < ScreenBitmap::kWidth; ++x) {
      POINT p{x, y};
      bool allowed = false;
      for (const RECT& r : drawn) allowed = allowed || PtInRect(&r, p);
      if (!allowed) {
        ASSERT_EQ(bitmap.at(x, y), ddtest::kWhitePixel) << "at " << x << "," << y;
      }
    }
  }
}

TEST_F(PaintTest, ItemScreensHaveEveryFrameAtItsPlace) {
  for (dd::Screen screen : {dd::Typing, dd::Result}) {
    SCOPED_TRACE(screen == dd::Typing ? "typing" : "result");
    showTyping();
    state.screen = screen;
    paint();
    expectSeparator(bitmap);
    for (const Outline& o : kSettingFrames) expectOutline(bitmap, o);
    for (const Outline& o : kRoundedFrames) expectOutline(bitmap, o);
  }
}

TEST_F(PaintTest, UnknownScreenDrawsNothing) {
  showTyping();
  state.screen = static_cast<dd::Screen>(3);
  paint();
  RECT all{0, 0, ScreenBitmap::kWidth, ScreenBitmap::kHeight};
  EXPECT_TRUE(blank(all));
}

// ---- Texts and their colours -------------------------------------------------------------------

struct ColouredText {
  RECT dd::Layout::*rect;
  const char* name;
  Rgb colour;
};

TEST_F(PaintTest, MenuTextsHaveTheirColours) {
  paint();
  const ColouredText texts[] = {
      {&dd::Layout::japaneseRect, "title", kRed},
      {&dd::Layout::orderRect, "order", kGreen},
      {&dd::Layout::rangeRect, "range", kGreen},
      {&dd::Layout::presentationRect, "presentation", kGreen},
      {&dd::Layout::speedRect, "speed", kGreen},
      {&dd::Layout::helpRect1, "help 1", kGrey},
      {&dd::Layout::helpRect2, "help 2", kGrey},
  };
  for (const ColouredText& t : texts) expectTextIn(layout.*t.rect, t.colour, t.name);
  // The title sits at the top left of its rectangle.
  RECT title = inkBounds(bitmap, layout.japaneseRect);
  EXPECT_LT(title.left, layout.japaneseRect.left + 4);
  EXPECT_LT(title.top, layout.japaneseRect.top + 6);
  EXPECT_LT(title.bottom, layout.japaneseRect.top + 25) << "the title is one line";
}

TEST_F(PaintTest, TypingTextsHaveTheirColours) {
  showTyping();
  paint();
  const ColouredText texts[] = {
      {&dd::Layout::idRect, "id", kBlack},
      {&dd::Layout::japaneseRect, "translation", kBlack},
      {&dd::Layout::englishRect, "revealed English", kBlack},
      {&dd::Layout::checkRect, "check label", kRed},
      {&dd::Layout::orderRect, "order", kGreen},
      {&dd::Layout::rangeRect, "range", kGreen},
      {&dd::Layout::presentationRect, "presentation", kGreen},
      {&dd::Layout::speedRect, "speed", kGreen},
      {&dd::Layout::timeRect, "elapsed time", kSilver},
      {&dd::Layout::bestRect, "best time", kSilver},
      {&dd::Layout::helpRect1, "help 1", kGrey},
      {&dd::Layout::helpRect2, "help 2", kGrey},
  };
  for (const ColouredText& t : texts) expectTextIn(layout.*t.rect, t.colour, t.name);
}

TEST_F(PaintTest, ResultTextsHaveTheirColours) {
  showResult();  // elapsed equals the best: red
  paint();
  const ColouredText texts[] = {
      {&dd::Layout::idRect, "id", kBlue},
      {&dd::Layout::japaneseRect, "translation", kBlue},
      {&dd::Layout::englishRect, "English", kBlue},
      {&dd::Layout::checkRect, "check label", kRed},
      {&dd::Layout::orderRect, "order", kGreen},
      {&dd::Layout::rangeRect, "range", kGreen},
      {&dd::Layout::presentationRect, "presentation", kGreen},
      {&dd::Layout::speedRect, "speed", kGreen},
      {&dd::Layout::timeRect, "elapsed time", kRed},
      {&dd::Layout::bestRect, "best time", kBlack},
      {&dd::Layout::helpRect1, "help 1", kGrey},
      {&dd::Layout::helpRect2, "help 2", kGrey},
  };
  for (const ColouredText& t : texts) expectTextIn(layout.*t.rect, t.colour, t.name);
}

TEST_F(PaintTest, UncheckedItemShowsNoCheckLabel) {
  for (dd::Screen screen : {dd::Typing, dd::Result}) {
    showTyping();
    state.screen = screen;
    state.checked[state.currentItem] = 0;
    paint();
    EXPECT_TRUE(blank(layout.checkRect)) << "screen " << screen;
  }
}

TEST_F(PaintTest, TranslationOnTypingFollowsPresentationButAlwaysShowsOnResult) {
  struct Case {
    dd::Screen screen;
    int32_t presentation;
    bool shown;
  };
  const Case cases[] = {
      {dd::Typing, 0, true}, {dd::Typing, 1, false}, {dd::Typing, 2, true},
      {dd::Result, 0, true}, {dd::Result, 1, true},  {dd::Result, 2, true},
  };
  for (const Case& c : cases) {
    showTyping();
    state.screen = c.screen;
    settings.presentation = c.presentation;
    paint();
    EXPECT_EQ(!blank(layout.japaneseRect), c.shown)
        << "screen " << c.screen << ", presentation " << c.presentation;
  }
}

TEST_F(PaintTest, HiddenTimerHidesBothTimesWhileTypingOnly) {
  struct Case {
    dd::Screen screen;
    int32_t timerHidden;
    bool shown;
  };
  const Case cases[] = {
      {dd::Typing, 0, true}, {dd::Typing, 1, false}, {dd::Result, 0, true}, {dd::Result, 1, true}};
  for (const Case& c : cases) {
    showTyping();
    state.screen = c.screen;
    settings.timerHidden = c.timerHidden;
    paint();
    EXPECT_EQ(!blank(layout.timeRect), c.shown)
        << "screen " << c.screen << ", hidden " << c.timerHidden;
    EXPECT_EQ(!blank(layout.bestRect), c.shown)
        << "screen " << c.screen << ", hidden " << c.timerHidden;
  }
}

TEST_F(PaintTest, NoBestTimeShowsNothingInBestRect) {
  for (dd::Screen screen : {dd::Typing, dd::Result}) {
    showTyping();
    state.screen = screen;
    item().bestTimeMs = 0;
    paint();
    EXPECT_TRUE(blank(layout.bestRect)) << "screen " << screen;
    EXPECT_FALSE(blank(layout.timeRect)) << "screen " << screen;
  }
}

// Red only for an unassisted attempt equal to the best in whole tenths of a second.
TEST_F(PaintTest, ResultElapsedTimeIsRedOnlyWhenItMatchesTheBestInTenths) {
  struct Case {
    int32_t best;
    int32_t elapsed;
    bool assisted;
    Rgb colour;
  };
  const Case cases[] = {
      {12260, 12300, false, kGrey},  // shown alike as 12.3, yet 123 tenths differ from 122
      {12300, 12300, false, kRed},   // the new best
      {12300, 12399, false, kRed},   // same tenth, a few milliseconds slower
      {12399, 12300, false, kRed},   // same tenth, faster: the best was kept
      {12300, 12300, true, kGrey},   // helped attempts are never red
      {9800, 15000, false, kGrey},   // slower than the best
      {0, 50, false, kRed},          // no best yet: both are 0 tenths
      {0, 150, false, kGrey},
  };
  for (const Case& c : cases) {
    showResult();
    item().bestTimeMs = c.best;
    state.elapsedMs = c.elapsed;
    state.assisted = c.assisted;
    paint();
    SCOPED_TRACE(testing::Message() << "best " << c.best << ", elapsed " << c.elapsed
                                    << (c.assisted ? ", assisted" : ""));
    expectTextIn(layout.timeRect, c.colour, "elapsed time");
  }
}

// The numbers as they should read, drawn by hand with the same placement, as the oracle.
TEST_F(PaintTest, TimesReadInSecondsWithOneDecimal) {
  struct Case {
    dd::Screen screen;
    int32_t elapsed;
    int32_t best;
    const wchar_t* elapsedText;
    const wchar_t* bestText;
  };
  const Case cases[] = {
      {dd::Typing, 12345, 9800, L"12.3", L" [9.8]"},
      {dd::Typing, 0, 12260, L"0.0", L" [12.3]"},
      {dd::Typing, 600000, 600000, L"600.0", L" [600.0]"},
      {dd::Result, 12300, 12260, L"12.3", L" [12.3]"},
  };
  for (const Case& c : cases) {
    showTyping();
    state.screen = c.screen;
    state.elapsedMs = c.elapsed;
    item().bestTimeMs = c.best;
    paint();
    ScreenBitmap expected;
    COLORREF timeColour = c.screen == dd::Typing ? dd::kSilver : dd::kGrey;
    COLORREF bestColour = c.screen == dd::Typing ? dd::kSilver : dd::kBlack;
    RECT timeArea = layout.timeRect;
    RECT bestArea = layout.bestRect;
    SetTextColor(expected.dc(), timeColour);
    DrawTextW(expected.dc(), c.elapsedText, -1, &timeArea, DT_RIGHT);
    SetTextColor(expected.dc(), bestColour);
    DrawTextW(expected.dc(), c.bestText, -1, &bestArea, 0);
    EXPECT_TRUE(bitmap.sameIn(expected, layout.timeRect)) << "elapsed " << c.elapsed;
    EXPECT_TRUE(bitmap.sameIn(expected, layout.bestRect)) << "best " << c.best;
  }
}

// ---- The revealed text -------------------------------------------------------------------------

TEST_F(PaintTest, EnglishRectIsEmptyAtTheStartOfAnAttemptAndShowsTheMarkFromTheFirstHit) {
  // Item 1 opens with a quotation mark before its first letter.
  ASSERT_EQ(static_cast<unsigned char>(item().english[0]), 0x81);
  state.screen = dd::Typing;
  dd::beginAttempt(drill->controller, true);
  paint();
  EXPECT_TRUE(blank(layout.englishRect));
  expectOutline(bitmap, kRoundedFrames[2]);

  dd::onChar(drill->controller, static_cast<unsigned char>(item().english[state.nextTarget]));
  paint();
  RECT shown = inkBounds(bitmap, layout.englishRect);
  EXPECT_FALSE(IsRectEmpty(&shown));
  EXPECT_EQ(std::string(state.shownText, 3), "\x81gI");
}

// ---- Japanese on a Shift-JIS system ------------------------------------------------------------

// With code page 932 the wide drawing must give exactly what the ANSI call gives.
TEST_F(PaintTest, JapaneseMatchesTheAnsiDrawingOnAShiftJisSystem) {
  ASSERT_EQ(GetACP(), dd::kShiftJisCodePage) << "run this test with LANG=ja_JP.UTF-8";
  struct Case {
    dd::Screen screen;
    int32_t style;
    const char* text;
    RECT dd::Layout::*rect;
    UINT format;
    COLORREF colour;
  };
  showTyping();
  const Case cases[] = {
      {dd::Typing, 0, item().naturalJapanese, &dd::Layout::japaneseRect, DT_WORDBREAK, dd::kBlack},
      {dd::Typing, 1, item().literalJapanese, &dd::Layout::japaneseRect, DT_WORDBREAK, dd::kBlack},
      {dd::Result, 1, item().literalJapanese, &dd::Layout::japaneseRect, DT_WORDBREAK, dd::kBlue},
      {dd::Result, 0, item().english, &dd::Layout::englishRect, DT_WORDBREAK, dd::kBlue},
      {dd::Typing, 0, dd::helpLines1[dd::Typing], &dd::Layout::helpRect1, DT_WORDBREAK, dd::kGrey},
      {dd::Result, 0, dd::helpLines2[dd::Result], &dd::Layout::helpRect2, DT_WORDBREAK, dd::kGrey},
      {dd::Typing, 0, dd::orderNames[1], &dd::Layout::orderRect, DT_CENTER, dd::kGreen},
      {dd::Typing, 0, dd::presentationNames[0], &dd::Layout::presentationRect, DT_CENTER,
       dd::kGreen},
      {dd::Result, 0, dd::checkLabels[1], &dd::Layout::checkRect, DT_CENTER, dd::kRed},
      {dd::Typing, 0,
       "L 001-004 (\x81\x99"
       "1)",
       &dd::Layout::rangeRect, DT_CENTER, dd::kGreen},
  };
  for (const Case& c : cases) {
    showTyping();
    state.screen = c.screen;
    settings.japaneseStyle = c.style;
    paint();
    ScreenBitmap expected;
    RECT area = layout.*c.rect;
    SetTextColor(expected.dc(), c.colour);
    DrawTextA(expected.dc(), c.text, lstrlenA(c.text), &area, c.format);
    EXPECT_TRUE(bitmap.sameIn(expected, layout.*c.rect)) << c.text;
  }
}

TEST(WideTextTest, ConvertsShiftJisExactlyAndOnlyTheGivenBytes) {
  wchar_t wide[dd::kWideTextCapacity];
  // "表" ends in the byte of a backslash; it must stay one character.
  EXPECT_EQ(dd::shiftJisToWide("\x95\x5C", 2, wide, dd::kWideTextCapacity), 1);
  EXPECT_EQ(wide[0], L'\x8868');
  // The quotation marks of the English texts.
  ASSERT_EQ(dd::shiftJisToWide("\x81gA\x81h", 5, wide, dd::kWideTextCapacity), 3);
  EXPECT_EQ(wide[0], L'\x201C');
  EXPECT_EQ(wide[1], L'A');
  EXPECT_EQ(wide[2], L'\x201D');
  // Only length bytes count, not the terminator.
  EXPECT_EQ(dd::shiftJisToWide("abc", 2, wide, dd::kWideTextCapacity), 2);
  EXPECT_EQ(dd::shiftJisToWide("", 0, wide, dd::kWideTextCapacity), 0);
  // The longest key-help line fits.
  for (const auto& line : dd::helpLines1) {
    int length = static_cast<int>(dd::boundedLength(line, sizeof line));
    EXPECT_GT(dd::shiftJisToWide(line, length, wide, dd::kWideTextCapacity), 0);
  }
}

}  // namespace
