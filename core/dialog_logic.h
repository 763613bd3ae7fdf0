// What the settings and progress dialogs decide, without any window: the radio groups, the OK
// step and the per-chapter counts.
#pragma once

#include <cstdint>

#include "records.h"

namespace dd {

enum SettingField : int32_t {
  OrderField = 0,
  PresentationField,
  JapaneseStyleField,
  SpeedField,
  HitSoundField,
  MissSoundField,
  TimerField,
};
constexpr int kRadioGroupCount = 7;

// One group of radio buttons: which button writes which code, and which button is turned on
// for a value that no button names.
struct RadioGroup {
  SettingField field;
  int32_t count;
  int32_t buttonIds[3];
  int32_t codes[3];
  int32_t fallbackButtonId;
};

extern const RadioGroup radioGroups[kRadioGroupCount];

// The settings field a group stands for.
int32_t& settingField(PracticeSettings& settings, SettingField field);

// The group that holds the button, or nullptr.
const RadioGroup* groupOfButton(int32_t controlId);

// The button to turn on when the dialog opens with this value.
int32_t buttonForValue(const RadioGroup& group, int32_t value);

// Writes the code of a clicked radio button into its field; false for any other control.
bool applyRadioClick(PracticeSettings& settings, int32_t controlId);

// Reads an edit text as the dialog does: leading blanks, one sign, then digits; no digits
// give 0 and values beyond 32 bits the nearer bound.
int32_t parseEditNumber(const char* text, int32_t capacity);

constexpr int32_t kAutoRevealMaxSeconds = 600;

// The OK step: fixes the range to lessons 1-4 and chapter 1, takes the auto-reveal time (0 when
// outside 0..600) and recounts the checked items of the range.
void confirmSettings(DrillRecords& records, const char* autoRevealText);

// Number of the chapter's items (chapter 1..20) that have a best time.
int32_t countChapterDone(const ItemCatalogue& catalogue, int32_t chapter);

// The count as the progress dialog shows it: with the mark "●" in front when all are done.
void formatDoneCount(char (&text)[256], int32_t done, int32_t size);

}  // namespace dd
