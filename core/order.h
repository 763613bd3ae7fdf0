// Which item of the practice range comes first, next and before, in the three order modes.
#pragma once

#include <cstdint>

#include "records.h"

namespace dd {

constexpr int32_t kNoItem = -1;

enum OrderMode : int32_t { RandomOrder = 0, InOrder = 1, CheckedOnly = 2 };

// Refills shuffleOrder with the range in a fresh random order, followed by -1.
void shuffleRange(DrillRecords& records);

// The item that starts a run, or kNoItem.
int32_t first(DrillRecords& records);
// The item after current in this run, or kNoItem.
int32_t next(DrillRecords& records, int32_t current);
// The item before current in this run, or kNoItem.
int32_t previous(DrillRecords& records, int32_t current);

}  // namespace dd
