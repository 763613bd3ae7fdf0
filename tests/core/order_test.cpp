#include "order.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct OrderTest : ::testing::Test {
  std::unique_ptr<dd::DrillRecords> records = std::make_unique<dd::DrillRecords>();
  void SetUp() override { dd::initialiseRecords(*records, 1); }
  void setRange(int32_t firstLesson, int32_t lastLesson) {
    records->settings.rangeFirstLesson = firstLesson;
    records->settings.rangeLastLesson = lastLesson;
  }
  std::vector<int32_t> shuffled() {
    std::vector<int32_t> list;
    for (int32_t entry : records->state.shuffleOrder) {
      list.push_back(entry);
      if (entry == -1) break;
    }
    return list;
  }
};

TEST(RandomSource, KnownValues) {
  dd::RandomSource random{};
  dd::seedRandom(random, 1);
  EXPECT_EQ(dd::nextRandom(random), 41);
  dd::seedRandom(random, 0);
  EXPECT_EQ(dd::nextRandom(random), 38);
  dd::seedRandom(random, 0xFFFFFFFFu);
  for (int i = 0; i < 1000; ++i) {
    const int32_t r = dd::nextRandom(random);
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
}

TEST_F(OrderTest, ShuffleExampleWithSeedOne) {
  dd::shuffleRange(*records);
  EXPECT_EQ(shuffled(), (std::vector<int32_t>{0, 3, 2, 1, -1}));
}

TEST_F(OrderTest, ShuffleOfTheWholeCourseIsAPermutation) {
  setRange(1, 419);
  dd::shuffleRange(*records);
  std::vector<int32_t> list = shuffled();
  ASSERT_EQ(list.size(), 420u);
  EXPECT_EQ(list.back(), -1);
  std::vector<int> seen(dd::kItemCount, 0);
  for (size_t i = 0; i + 1 < list.size(); ++i) ++seen.at(static_cast<size_t>(list[i]));
  for (int count : seen) ASSERT_EQ(count, 1);
}

TEST_F(OrderTest, RandomRunWalksTheShuffleBothWays) {
  records->settings.orderMode = dd::RandomOrder;
  EXPECT_EQ(dd::first(*records), 0);
  EXPECT_EQ(records->state.shufflePos, 0);
  EXPECT_EQ(dd::next(*records, 0), 3);
  EXPECT_EQ(dd::next(*records, 3), 2);
  EXPECT_EQ(dd::previous(*records, 2), 3);
  EXPECT_EQ(dd::next(*records, 3), 2);
  EXPECT_EQ(dd::next(*records, 2), 1);
  EXPECT_EQ(dd::next(*records, 1), dd::kNoItem);
  EXPECT_EQ(records->state.shufflePos, 4);  // on the end mark
  EXPECT_EQ(dd::next(*records, 1), dd::kNoItem);
  EXPECT_EQ(records->state.shufflePos, 4);
}

TEST_F(OrderTest, RandomPreviousFromTheFirstLeavesMinusOne) {
  records->settings.orderMode = dd::RandomOrder;
  const int32_t item = dd::first(*records);
  EXPECT_EQ(dd::previous(*records, item), dd::kNoItem);
  EXPECT_EQ(records->state.shufflePos, -1);
  EXPECT_EQ(dd::previous(*records, item), dd::kNoItem);
  EXPECT_EQ(records->state.shufflePos, -1);
  // The next run draws new numbers from the same sequence.
  dd::first(*records);
  EXPECT_EQ(records->state.shufflePos, 0);
  EXPECT_NE(shuffled(), (std::vector<int32_t>{0, 3, 2, 1, -1}));
}

TEST_F(OrderTest, OneItemRange) {
  setRange(3, 3);
  for (int32_t mode : {0, 1}) {
    records->settings.orderMode = mode;
    EXPECT_EQ(dd::first(*records), 2) << mode;
    EXPECT_EQ(dd::next(*records, 2), dd::kNoItem) << mode;
    if (mode == 0) dd::first(*records);
    EXPECT_EQ(dd::previous(*records, 2), dd::kNoItem) << mode;
  }
}

TEST_F(OrderTest, InOrderAndCheckedOnly) {
  records->state.checked[1] = 1;
  records->state.checked[3] = 1;
  records->state.checked[4] = 1;  // outside the range, never chosen
  struct Case {
    int32_t mode;
    int32_t first;
    int32_t nextOf[4];
    int32_t previousOf[4];
  } cases[] = {
      {dd::InOrder, 0, {1, 2, 3, -1}, {-1, 0, 1, 2}},
      {dd::CheckedOnly, 1, {1, 3, 3, -1}, {-1, -1, 1, 1}},
  };
  for (const Case& c : cases) {
    records->settings.orderMode = c.mode;
    EXPECT_EQ(dd::first(*records), c.first) << c.mode;
    for (int32_t item = 0; item < 4; ++item) {
      EXPECT_EQ(dd::next(*records, item), c.nextOf[item]) << c.mode << " next " << item;
      EXPECT_EQ(dd::previous(*records, item), c.previousOf[item]) << c.mode << " previous " << item;
    }
  }
}

TEST_F(OrderTest, CheckedOnlyWithNothingCheckedAndLiveFlags) {
  records->settings.orderMode = dd::CheckedOnly;
  EXPECT_EQ(dd::first(*records), dd::kNoItem);
  records->state.checked[2] = 1;
  EXPECT_EQ(dd::first(*records), 2);
  records->state.checked[3] = 1;  // marked during the run: counts at once
  EXPECT_EQ(dd::next(*records, 2), 3);
  records->state.checked[3] = 0;
  EXPECT_EQ(dd::next(*records, 2), dd::kNoItem);
}

}  // namespace
