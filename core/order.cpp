#include "order.h"

namespace dd {

namespace {

bool isChecked(const DrillRecords& records, int32_t item) {
  return item >= 0 && item < kItemCount && records.state.checked[item] == 1;
}

int32_t scanCheckedUp(const DrillRecords& records, int32_t from, int32_t end) {
  for (int32_t i = from; i < end; ++i) {
    if (isChecked(records, i)) return i;
  }
  return kNoItem;
}

int32_t scanCheckedDown(const DrillRecords& records, int32_t from, int32_t begin) {
  for (int32_t i = from; i >= begin; --i) {
    if (isChecked(records, i)) return i;
  }
  return kNoItem;
}

}  // namespace

void shuffleRange(DrillRecords& records) {
  DrillState& state = records.state;
  const int32_t begin = rangeBeginItem(records.settings, records.catalogue);
  const int32_t end = rangeEndItem(records.settings, records.catalogue);
  int32_t n = 0;
  for (int32_t item = begin; item < end && n < kItemCount; ++item) state.shuffleOrder[n++] = item;
  state.shuffleOrder[n] = kNoItem;
  for (int32_t j = 0; j < n; ++j) {
    const int32_t k = nextRandom(records.random) % n;
    const int32_t kept = state.shuffleOrder[j];
    state.shuffleOrder[j] = state.shuffleOrder[k];
    state.shuffleOrder[k] = kept;
  }
}

int32_t first(DrillRecords& records) {
  const int32_t begin = rangeBeginItem(records.settings, records.catalogue);
  const int32_t end = rangeEndItem(records.settings, records.catalogue);
  switch (records.settings.orderMode) {
    case RandomOrder:
      shuffleRange(records);
      records.state.shufflePos = 0;
      return records.state.shuffleOrder[0];
    case InOrder:
      return begin < end ? begin : kNoItem;
    default:
      return scanCheckedUp(records, begin, end);
  }
}

int32_t next(DrillRecords& records, int32_t current) {
  const int32_t end = rangeEndItem(records.settings, records.catalogue);
  DrillState& state = records.state;
  switch (records.settings.orderMode) {
    case RandomOrder: {
      // Stay on the end mark once it is reached; never step past the list.
      const bool onEndMark = state.shufflePos >= 0 && state.shufflePos < kShuffleSize &&
                             state.shuffleOrder[state.shufflePos] == kNoItem;
      if (onEndMark || state.shufflePos + 1 >= kShuffleSize) return kNoItem;
      state.shufflePos = state.shufflePos < 0 ? 0 : state.shufflePos + 1;
      return state.shuffleOrder[state.shufflePos];
    }
    case InOrder:
      return current + 1 >= end ? kNoItem : current + 1;
    default:
      return scanCheckedUp(records, current + 1, end);
  }
}

int32_t previous(DrillRecords& records, int32_t current) {
  const int32_t begin = rangeBeginItem(records.settings, records.catalogue);
  DrillState& state = records.state;
  switch (records.settings.orderMode) {
    case RandomOrder:
      if (state.shufflePos <= 0 || state.shufflePos >= kShuffleSize) {
        state.shufflePos = -1;
        return kNoItem;
      }
      state.shufflePos -= 1;
      return state.shuffleOrder[state.shufflePos];
    case InOrder:
      return current - 1 < begin ? kNoItem : current - 1;
    default:
      return scanCheckedDown(records, current - 1, begin);
  }
}

}  // namespace dd
