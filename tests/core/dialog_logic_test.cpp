#include "dialog_logic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "../resources/resource_ids.h"

namespace {

struct DialogLogicTest : ::testing::Test {
  std::unique_ptr<dd::DrillRecords> records = std::make_unique<dd::DrillRecords>();
  void SetUp() override { dd::initialiseRecords(*records, 0); }
};

TEST_F(DialogLogicTest, AutoRevealTextBecomesSeconds) {
  const std::string manyDigits(255, '9');
  struct Case {
    std::string text;
    int32_t seconds;
  } cases[] = {
      {"600", 600}, {"601", 0},     {"", 0},           {"007", 7},          {"-5", 0},
      {"12abc", 12}, {" 42", 42},   {"+5", 5},         {"4294967302", 0},   {manyDigits, 0},
      {"0", 0},     {"599", 599},   {"\t 1", 1},       {"abc", 0},          {"-0", 0},
      {"2147483647", 0}, {"-2147483649", 0}, {"1 2", 1}, {"+", 0},
  };
  for (const Case& c : cases) {
    records->settings.autoRevealSeconds = 123;  // must be replaced whatever the text
    dd::confirmSettings(*records, c.text.c_str());
    EXPECT_EQ(records->settings.autoRevealSeconds, c.seconds) << '"' << c.text << '"';
  }
}

TEST_F(DialogLogicTest, EditNumberClampsToThe32BitBounds) {
  EXPECT_EQ(dd::parseEditNumber("99999999999999999999", 256), INT32_MAX);
  EXPECT_EQ(dd::parseEditNumber("-99999999999999999999", 256), INT32_MIN);
  EXPECT_EQ(dd::parseEditNumber("-2147483648", 256), INT32_MIN);
  // Only the given capacity is read, even without a terminating zero inside it.
  const char unterminated[3] = {'1', '2', '3'};
  EXPECT_EQ(dd::parseEditNumber(unterminated, 2), 12);
}

TEST_F(DialogLogicTest, OkFixesTheRangeAndRecountsChecks) {
  dd::PracticeSettings& s = records->settings;
  s.chapter = 7;
  s.rangeFirstLesson = 10;
  s.rangeLastLesson = 50;
  records->state.checked[0] = 1;
  records->state.checked[2] = 1;
  records->state.checked[30] = 1;  // outside lessons 1-4
  records->state.checkedInRange = 17;
  dd::confirmSettings(*records, "0");
  EXPECT_EQ(s.chapter, 1);
  EXPECT_EQ(s.rangeFirstLesson, 1);
  EXPECT_EQ(s.rangeLastLesson, 4);
  EXPECT_EQ(records->state.checkedInRange, 2);
}

TEST_F(DialogLogicTest, RadioClicksWriteTheirCodes) {
  struct Case {
    int32_t id;
    int32_t dd::PracticeSettings::*field;
    int32_t code;
  } cases[] = {
      {1001, &dd::PracticeSettings::orderMode, 0},     {1002, &dd::PracticeSettings::orderMode, 1},
      {1020, &dd::PracticeSettings::orderMode, 2},     {1003, &dd::PracticeSettings::presentation, 2},
      {1004, &dd::PracticeSettings::presentation, 1},  {1005, &dd::PracticeSettings::presentation, 0},
      {1015, &dd::PracticeSettings::japaneseStyle, 0}, {1027, &dd::PracticeSettings::japaneseStyle, 1},
      {1008, &dd::PracticeSettings::speed, 0},         {1009, &dd::PracticeSettings::speed, 1},
      {1010, &dd::PracticeSettings::hitSound, 0},      {1011, &dd::PracticeSettings::hitSound, 1},
      {1021, &dd::PracticeSettings::hitSound, 2},      {1022, &dd::PracticeSettings::missSound, 0},
      {1023, &dd::PracticeSettings::missSound, 1},     {1012, &dd::PracticeSettings::missSound, 2},
      {1013, &dd::PracticeSettings::timerHidden, 0},   {1014, &dd::PracticeSettings::timerHidden, 1},
  };
  for (const Case& c : cases) {
    records->settings.*c.field = 99;
    const dd::PracticeSettings before = records->settings;
    EXPECT_TRUE(dd::applyRadioClick(records->settings, c.id)) << c.id;
    EXPECT_EQ(records->settings.*c.field, c.code) << c.id;
    dd::PracticeSettings expected = before;
    expected.*c.field = c.code;
    EXPECT_EQ(std::memcmp(&expected, &records->settings, sizeof expected), 0) << "other fields, " << c.id;
  }
  for (int32_t other : {1, 2, 1006, 1007, 1018, 1024, 1025, 1016, -1}) {
    const dd::PracticeSettings before = records->settings;
    EXPECT_FALSE(dd::applyRadioClick(records->settings, other)) << other;
    EXPECT_EQ(std::memcmp(&before, &records->settings, sizeof before), 0) << other;
  }
}

TEST_F(DialogLogicTest, ButtonTurnedOnAtOpening) {
  struct Case {
    dd::SettingField field;
    int32_t value;
    int32_t button;
  } cases[] = {
      {dd::OrderField, 0, 1001},         {dd::OrderField, 1, 1002},
      {dd::OrderField, 2, 1020},         {dd::OrderField, 7, 1020},
      {dd::PresentationField, 0, 1005},  {dd::PresentationField, 2, 1003},
      {dd::PresentationField, 1, 1004},  {dd::PresentationField, -3, 1004},
      {dd::JapaneseStyleField, 0, 1015}, {dd::JapaneseStyleField, 5, 1027},
      {dd::SpeedField, 0, 1008},         {dd::SpeedField, 1, 1009},
      {dd::HitSoundField, 0, 1010},      {dd::HitSoundField, 1, 1011},
      {dd::HitSoundField, 9, 1021},      {dd::MissSoundField, 0, 1022},
      {dd::MissSoundField, 1, 1023},     {dd::MissSoundField, 2, 1012},
      {dd::TimerField, 0, 1013},         {dd::TimerField, 1, 1014},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dd::buttonForValue(dd::radioGroups[c.field], c.value), c.button)
        << c.field << " " << c.value;
    EXPECT_EQ(dd::radioGroups[c.field].field, c.field);
  }
}

TEST_F(DialogLogicTest, ChapterCountsOnlyItemsWithABestTime) {
  for (int32_t chapter = 1; chapter <= dd::kChapterCount; ++chapter) {
    EXPECT_EQ(dd::countChapterDone(records->catalogue, chapter), 0) << chapter;
  }
  records->catalogue.items[0].bestTimeMs = 5000;
  records->catalogue.items[3].bestTimeMs = -1;  // never a completion
  records->catalogue.items[16].bestTimeMs = 1;  // last lesson of chapter 1
  records->catalogue.items[17].bestTimeMs = 1;  // first lesson of chapter 2
  EXPECT_EQ(dd::countChapterDone(records->catalogue, 1), 2);
  EXPECT_EQ(dd::countChapterDone(records->catalogue, 2), 1);
  EXPECT_EQ(dd::countChapterDone(records->catalogue, 0), 0);
  EXPECT_EQ(dd::countChapterDone(records->catalogue, 21), 0);
}

TEST_F(DialogLogicTest, MarkOnlyForAFullChapterAndTheWholeCourse) {
  for (int32_t item = 0; item < 17; ++item) records->catalogue.items[item].bestTimeMs = 1000;
  records->catalogue.items[17].bestTimeMs = 1000;
  char text[256];
  struct Case {
    int32_t chapter;
    const char* shown;
  } cases[] = {{1, "\x81\x9C" "17"}, {2, "1"}, {6, "0"}};
  for (const Case& c : cases) {
    dd::formatDoneCount(text, dd::countChapterDone(records->catalogue, c.chapter),
                        dd::chapterSize[c.chapter - 1]);
    EXPECT_STREQ(text, c.shown) << c.chapter;
  }
  dd::formatDoneCount(text, 419, dd::kItemCount);
  EXPECT_STREQ(text, "\x81\x9C" "419");
  dd::formatDoneCount(text, 418, dd::kItemCount);
  EXPECT_STREQ(text, "418");
}

}  // namespace
