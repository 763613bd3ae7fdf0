// The user's options, the running state of the drill and the names the screens show for them.
#pragma once

#include <cstdint>

#include "catalogue.h"

namespace dd {

enum Screen : int32_t { Menu = 0, Typing = 1, Result = 2 };
constexpr int kScreenCount = 3;

struct PracticeSettings {
  int32_t orderMode;          // 0 random, 1 in order, 2 checked only
  int32_t presentation;       // 0 audio and Japanese, 1 audio only, 2 Japanese only
  int32_t japaneseStyle;      // 0 natural, 1 literal
  int32_t speed;              // 0 slow, 1 natural speed
  int32_t hitSound;           // 0 none, 1 standard, 2 pop
  int32_t missSound;          // 0 none, 1 standard, 2 meow
  int32_t timerHidden;        // 0 shown while typing, 1 hidden
  int32_t autoRevealSeconds;  // 0..600, 0 = never
  int32_t chapterSelect;      // 0 range by lessons, 1 by chapter
  int32_t chapter;            // 1..20
  int32_t rangeFirstLesson;   // 1..419
  int32_t rangeLastLesson;    // 1..419, inclusive
};

constexpr int kShuffleSize = kItemCount + 1;

struct DrillState {
  Screen screen;
  int32_t currentItem;
  int32_t nextTarget;  // byte index of the next letter or digit in english, -1 when none
  char shownText[kTextSize];
  uint8_t assisted;
  uint32_t startTimeMs;
  int32_t elapsedMs;
  int32_t checked[kItemCount];
  int32_t checkedInRange;
  int32_t shuffleOrder[kShuffleSize];
  int32_t shufflePos;
};

extern const char orderNames[3][32];
extern const char presentationNames[3][32];
extern const char speedNames[2][32];
extern const char checkLabels[2][32];
extern const char speedPrefix[2][260];
extern const char rangeFormat[1][128];
extern const char helpLines1[kScreenCount][512];
extern const char helpLines2[kScreenCount][512];

// Sets every option and every field of the drill state to its start value.
void initialiseSettings(PracticeSettings& settings, DrillState& state);

// First item of the practice range.
int32_t rangeBeginItem(const PracticeSettings& settings, const ItemCatalogue& catalogue);
// One past the last item of the practice range.
int32_t rangeEndItem(const PracticeSettings& settings, const ItemCatalogue& catalogue);

// Number of items in the practice range whose check flag is 1.
int32_t countCheckedInRange(const PracticeSettings& settings, const ItemCatalogue& catalogue,
                            const DrillState& state);

}  // namespace dd
