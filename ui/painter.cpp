#include "painter.h"

#include <cstdio>

#include "text.h"
#include "wide_text.h"

namespace dd {

const char kWindowTitle[] = "Dictaline DEMO";

namespace {

constexpr int kNumberSize = 256;

template <std::size_t N>
void drawText(HDC dc, const char (&text)[N], const RECT& rect, UINT format) {
  drawShiftJis(dc, text, static_cast<int>(boundedLength(text, N)), rect, format);
}

void drawRoundFrame(HDC dc, const RECT& r) {
  RoundRect(dc, r.left - 10, r.top - 10, r.right + 10, r.bottom + 10, 10, 10);
}

void drawSettingFrame(HDC dc, const RECT& r) {
  Rectangle(dc, r.left - 3, r.top - 3, r.right + 3, r.bottom + 3);
}

void drawSeparator(HDC dc, const Layout& layout) {
  const RECT& r = layout.helpRect1;
  MoveToEx(dc, r.left - 5, r.top - 5, nullptr);
  LineTo(dc, r.right + 5, r.top - 5);
}

void drawSettingFrames(HDC dc, const Layout& layout) {
  drawSettingFrame(dc, layout.orderRect);
  drawSettingFrame(dc, layout.rangeRect);
  drawSettingFrame(dc, layout.presentationRect);
  drawSettingFrame(dc, layout.speedRect);
}

// Rounded frames, separator and setting frames: everything but the texts of the item screens.
void drawItemFrames(HDC dc, const Layout& layout) {
  drawRoundFrame(dc, layout.idRect);
  drawRoundFrame(dc, layout.japaneseRect);
  drawRoundFrame(dc, layout.englishRect);
  drawSeparator(dc, layout);
  drawSettingFrames(dc, layout);
}

void drawSettingTexts(HDC dc, const DrillRecords& records, const Layout& layout) {
  const PracticeSettings& settings = records.settings;
  char range[kNumberSize];
  std::snprintf(range, sizeof range, rangeFormat[0], settings.rangeFirstLesson,
                settings.rangeLastLesson, records.state.checkedInRange);
  SetTextColor(dc, kGreen);
  drawText(dc, orderNames[settings.orderMode], layout.orderRect, DT_CENTER);
  drawText(dc, range, layout.rangeRect, DT_CENTER);
  drawText(dc, presentationNames[settings.presentation], layout.presentationRect, DT_CENTER);
  drawText(dc, speedNames[settings.speed], layout.speedRect, DT_CENTER);
}

void drawHelpLines(HDC dc, const DrillRecords& records, const Layout& layout) {
  SetTextColor(dc, kGrey);
  drawText(dc, helpLines1[records.state.screen], layout.helpRect1, DT_WORDBREAK);
  drawText(dc, helpLines2[records.state.screen], layout.helpRect2, DT_WORDBREAK);
}

void drawCheckLabel(HDC dc, const DrillRecords& records, const Layout& layout) {
  SetTextColor(dc, kRed);
  drawText(dc, checkLabels[records.state.checked[records.state.currentItem]], layout.checkRect,
           DT_CENTER);
}

const char (&japaneseText(const DrillRecords& records, const PracticeItem& item))[kTextSize] {
  return records.settings.japaneseStyle == 0 ? item.naturalJapanese : item.literalJapanese;
}

void drawElapsedTime(HDC dc, const DrillRecords& records, const Layout& layout) {
  char text[kNumberSize];
  std::snprintf(text, sizeof text, "%3.1f", records.state.elapsedMs / 1000.0);
  drawText(dc, text, layout.timeRect, DT_RIGHT);
}

void drawBestTime(HDC dc, const PracticeItem& item, const Layout& layout) {
  if (item.bestTimeMs == 0) return;
  char text[kNumberSize];
  std::snprintf(text, sizeof text, " [%3.1f]", item.bestTimeMs / 1000.0);
  drawText(dc, text, layout.bestRect, 0);
}

void paintMenu(HDC dc, const DrillRecords& records, const Layout& layout) {
  drawSeparator(dc, layout);
  drawSettingFrames(dc, layout);
  SetTextColor(dc, kRed);
  drawText(dc, kWindowTitle, layout.japaneseRect, DT_WORDBREAK);
  drawSettingTexts(dc, records, layout);
  drawHelpLines(dc, records, layout);
}

void paintTyping(HDC dc, const DrillRecords& records, const Layout& layout) {
  const PracticeItem& item = records.catalogue.items[records.state.currentItem];
  drawItemFrames(dc, layout);
  drawText(dc, item.id, layout.idRect, DT_CENTER);
  if (records.settings.presentation != 1) {
    drawText(dc, japaneseText(records, item), layout.japaneseRect, DT_WORDBREAK);
  }
  drawText(dc, records.state.shownText, layout.englishRect, DT_WORDBREAK);
  drawCheckLabel(dc, records, layout);
  drawSettingTexts(dc, records, layout);
  if (records.settings.timerHidden == 0) {
    SetTextColor(dc, kSilver);
    drawElapsedTime(dc, records, layout);
    drawBestTime(dc, item, layout);
  }
  drawHelpLines(dc, records, layout);
}

void paintResult(HDC dc, const DrillRecords& records, const Layout& layout) {
  const DrillState& state = records.state;
  const PracticeItem& item = records.catalogue.items[state.currentItem];
  drawItemFrames(dc, layout);
  SetTextColor(dc, kBlue);
  drawText(dc, item.id, layout.idRect, DT_CENTER);
  drawText(dc, japaneseText(records, item), layout.japaneseRect, DT_WORDBREAK);
  drawText(dc, item.english, layout.englishRect, DT_WORDBREAK);
  drawCheckLabel(dc, records, layout);
  drawSettingTexts(dc, records, layout);
  // Whole tenths, as the best-time rule compares them: red marks a new or matched best.
  bool matchesBest = !state.assisted && state.elapsedMs / 100 == item.bestTimeMs / 100;
  SetTextColor(dc, matchesBest ? kRed : kGrey);
  drawElapsedTime(dc, records, layout);
  SetTextColor(dc, kBlack);
  drawBestTime(dc, item, layout);
  drawHelpLines(dc, records, layout);
}

}  // namespace

void paintScreen(HDC dc, const DrillRecords& records, const Layout& layout) {
  switch (records.state.screen) {
    case Menu:
      paintMenu(dc, records, layout);
      break;
    case Typing:
      paintTyping(dc, records, layout);
      break;
    case Result:
      paintResult(dc, records, layout);
      break;
  }
}

}  // namespace dd
