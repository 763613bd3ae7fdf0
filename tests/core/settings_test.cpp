#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "records.h"
#include "settings.h"

namespace {

std::string spaces(int n) { return std::string(static_cast<size_t>(n), ' '); }

TEST(Settings, StartValues) {
  auto records = std::make_unique<dd::DrillRecords>();
  std::memset(records.get(), 0x7F, sizeof(dd::DrillRecords));
  dd::initialiseRecords(*records, 0);
  const dd::PracticeSettings& s = records->settings;
  struct Field {
    const char* name;
    int32_t actual;
    int32_t expected;
  } fields[] = {
      {"orderMode", s.orderMode, 1},         {"presentation", s.presentation, 1},
      {"japaneseStyle", s.japaneseStyle, 0}, {"speed", s.speed, 0},
      {"hitSound", s.hitSound, 1},           {"missSound", s.missSound, 1},
      {"timerHidden", s.timerHidden, 0},     {"autoRevealSeconds", s.autoRevealSeconds, 0},
      {"chapterSelect", s.chapterSelect, 0}, {"chapter", s.chapter, 1},
      {"rangeFirstLesson", s.rangeFirstLesson, 1}, {"rangeLastLesson", s.rangeLastLesson, 4},
  };
  for (const Field& f : fields) EXPECT_EQ(f.actual, f.expected) << f.name;

  const dd::DrillState& st = records->state;
  EXPECT_EQ(st.screen, dd::Menu);
  EXPECT_EQ(st.currentItem, 0);
  EXPECT_EQ(st.nextTarget, 0);
  EXPECT_EQ(st.shownText[0], 0);
  EXPECT_EQ(st.assisted, 0);
  EXPECT_EQ(st.startTimeMs, 0u);
  EXPECT_EQ(st.elapsedMs, 0);
  for (int32_t flag : st.checked) ASSERT_EQ(flag, 0);
  EXPECT_EQ(st.checkedInRange, 0);
  for (int32_t entry : st.shuffleOrder) ASSERT_EQ(entry, 0);
  EXPECT_EQ(st.shufflePos, 0);
}

TEST(Settings, RangeTurnsLessonsIntoItems) {
  auto records = std::make_unique<dd::DrillRecords>();
  dd::initialiseRecords(*records, 0);
  struct Case {
    int32_t firstLesson, lastLesson, begin, end;
  } cases[] = {{1, 4, 0, 4}, {1, 419, 0, 419}, {419, 419, 418, 419}, {10, 50, 9, 50}};
  for (const Case& c : cases) {
    records->settings.rangeFirstLesson = c.firstLesson;
    records->settings.rangeLastLesson = c.lastLesson;
    EXPECT_EQ(dd::rangeBeginItem(records->settings, records->catalogue), c.begin);
    EXPECT_EQ(dd::rangeEndItem(records->settings, records->catalogue), c.end);
  }
}

TEST(Settings, CheckedInRangeCountsOnlyTheRange) {
  auto records = std::make_unique<dd::DrillRecords>();
  dd::initialiseRecords(*records, 0);
  records->state.checked[1] = 1;
  records->state.checked[3] = 1;
  records->state.checked[4] = 1;  // outside lessons 1-4
  EXPECT_EQ(dd::countCheckedInRange(records->settings, records->catalogue, records->state), 2);
}

TEST(DisplayTables, NamesByCode) {
  struct Case {
    const char* actual;
    const char* expected;
  } cases[] = {
      {dd::orderNames[0], "ランダム"},        {dd::orderNames[1], "順序どおり"},
      {dd::orderNames[2], "チェック済"},      {dd::presentationNames[0], "音声と日本語"},
      {dd::presentationNames[1], "音声のみ"}, {dd::presentationNames[2], "日本語のみ"},
      {dd::speedNames[0], "Slow"},            {dd::speedNames[1], "Natural"},
      {dd::checkLabels[0], ""},               {dd::checkLabels[1], "\x81\x99" "check!"},
      {dd::speedPrefix[0], "\\S"},            {dd::speedPrefix[1], "\\N"},
      {dd::rangeFormat[0], "L %03d-%03d (\x81\x99%d)"},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string(c.actual), std::string(c.expected));
  // "ランダム" in Shift-JIS, pinned byte for byte.
  EXPECT_EQ(std::string(dd::orderNames[0]), std::string("\x83\x89\x83\x93\x83\x5f\x83\x80"));
}

TEST(DisplayTables, HelpLinesWithTheirSpaceRuns) {
  struct Case {
    const char* actual;
    std::string expected;
  } cases[] = {
      {dd::helpLines1[dd::Menu],
       "[Space] 進度集計" + spaces(4) + "[Tab] 設定画面を開く" + spaces(8) + "[\\] チェック音声コピー"},
      {dd::helpLines1[dd::Typing], "[Space] 音声再生" + spaces(3) + "[Ctrl] 音声一時停止・再開" +
                                       spaces(4) + "[\\] 1文字ヒント表示"},
      {dd::helpLines1[dd::Result], "[Space] 音声再生" + spaces(3) + "[Ctrl] 音声一時停止・再開" +
                                       spaces(4) + "[\\] チェックON/OFF"},
      {dd::helpLines2[dd::Menu], "[Enter] スタート！" + spaces(44) + "[Esc] 終了します"},
      {dd::helpLines2[dd::Typing],
       "[Enter] 全文完成" + spaces(5) + "[BkSp] 前の文へ" + spaces(15) + "[Esc] メニューへ戻る"},
      {dd::helpLines2[dd::Result],
       "[Enter] 次の文へ" + spaces(5) + "[BkSp] もう一度" + spaces(15) + "[Esc] メニューへ戻る"},
  };
  for (const Case& c : cases) EXPECT_EQ(std::string(c.actual), c.expected);
}

TEST(DisplayTables, RangeTextAtStart) {
  char text[256];
  std::snprintf(text, sizeof text, dd::rangeFormat[0], 1, 4, 0);
  EXPECT_EQ(std::string(text), std::string("L 001-004 (\x81\x99" "0)"));
}

}  // namespace
