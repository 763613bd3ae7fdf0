#include "dialog_logic.h"

#include <cstdio>

#include "../resources/resource_ids.h"

namespace dd {

const RadioGroup radioGroups[kRadioGroupCount] = {
    {OrderField, 3, {IDC_ORDER_RANDOM, IDC_ORDER_IN_ORDER, IDC_ORDER_CHECKED}, {0, 1, 2},
     IDC_ORDER_CHECKED},
    {PresentationField, 3,
     {IDC_SHOW_JAPANESE_ONLY, IDC_SHOW_AUDIO_ONLY, IDC_SHOW_AUDIO_AND_JAPANESE}, {2, 1, 0},
     IDC_SHOW_AUDIO_ONLY},
    {JapaneseStyleField, 2, {IDC_STYLE_NATURAL, IDC_STYLE_LITERAL, 0}, {0, 1, 0},
     IDC_STYLE_LITERAL},
    {SpeedField, 2, {IDC_SPEED_SLOW, IDC_SPEED_NATURAL, 0}, {0, 1, 0}, IDC_SPEED_NATURAL},
    {HitSoundField, 3, {IDC_HIT_NONE, IDC_HIT_STANDARD, IDC_HIT_POP}, {0, 1, 2}, IDC_HIT_POP},
    {MissSoundField, 3, {IDC_MISS_NONE, IDC_MISS_STANDARD, IDC_MISS_MEOW}, {0, 1, 2},
     IDC_MISS_MEOW},
    {TimerField, 2, {IDC_TIMER_SHOWN, IDC_TIMER_HIDDEN, 0}, {0, 1, 0}, IDC_TIMER_HIDDEN},
};

int32_t& settingField(PracticeSettings& settings, SettingField field) {
  switch (field) {
    case OrderField:
      return settings.orderMode;
    case PresentationField:
      return settings.presentation;
    case JapaneseStyleField:
      return settings.japaneseStyle;
    case SpeedField:
      return settings.speed;
    case HitSoundField:
      return settings.hitSound;
    case MissSoundField:
      return settings.missSound;
    case TimerField:
      break;
  }
  return settings.timerHidden;
}

const RadioGroup* groupOfButton(int32_t controlId) {
  for (const RadioGroup& group : radioGroups) {
    for (int32_t i = 0; i < group.count; ++i) {
      if (group.buttonIds[i] == controlId) return &group;
    }
  }
  return nullptr;
}

int32_t buttonForValue(const RadioGroup& group, int32_t value) {
  for (int32_t i = 0; i < group.count; ++i) {
    if (group.codes[i] == value) return group.buttonIds[i];
  }
  return group.fallbackButtonId;
}

bool applyRadioClick(PracticeSettings& settings, int32_t controlId) {
  const RadioGroup* group = groupOfButton(controlId);
  if (group == nullptr) return false;
  for (int32_t i = 0; i < group->count; ++i) {
    if (group->buttonIds[i] == controlId) settingField(settings, group->field) = group->codes[i];
  }
  return true;
}

int32_t parseEditNumber(const char* text, int32_t capacity) {
  int32_t i = 0;
  auto at = [&](int32_t k) -> char { return k < capacity ? text[k] : 0; };
  while (at(i) == ' ' || (at(i) >= '\t' && at(i) <= '\r')) ++i;
  bool negative = false;
  if (at(i) == '+' || at(i) == '-') {
    negative = at(i) == '-';
    ++i;
  }
  int64_t value = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  for (; at(i) >= '0' && at(i) <= '9'; ++i) {
    value = value * 10 + (at(i) - '0');
    if (value > limit) value = limit;  // stays at the bound however many digits follow
  }
  return static_cast<int32_t>(negative ? -value : value);
}

void confirmSettings(DrillRecords& records, const char* autoRevealText) {
  PracticeSettings& settings = records.settings;
  settings.chapter = 1;
  settings.rangeFirstLesson = 1;
  settings.rangeLastLesson = 4;
  const int32_t seconds = parseEditNumber(autoRevealText, 256);
  settings.autoRevealSeconds = seconds >= 0 && seconds <= kAutoRevealMaxSeconds ? seconds : 0;
  records.state.checkedInRange = countCheckedInRange(settings, records.catalogue, records.state);
}

int32_t countChapterDone(const ItemCatalogue& catalogue, int32_t chapter) {
  if (chapter < 1 || chapter > kChapterCount) return 0;
  const int32_t size = chapterSize[chapter - 1];
  if (size <= 0) return 0;
  const int32_t firstItem = catalogue.lessonItem[chapterFirstLesson[chapter - 1] - 1];
  int32_t done = 0;
  for (int32_t item = firstItem; item < firstItem + size && item < kItemCount; ++item) {
    if (catalogue.items[item].bestTimeMs > 0) ++done;
  }
  return done;
}

void formatDoneCount(char (&text)[256], int32_t done, int32_t size) {
  std::snprintf(text, sizeof text, done == size ? "●%d" : "%d", done);
}

}  // namespace dd
