// The fixed practice material: 419 lessons in 20 chapters, four of them with real texts.
#pragma once

#include <cstdint>

namespace dd {

constexpr int kItemCount = 419;
constexpr int kChapterCount = 20;
constexpr int kIdSize = 64;
constexpr int kTextSize = 256;

struct PracticeItem {
  char id[kIdSize];                    // "001".."004"; placeholders carry "001"
  char english[kTextSize];             // Shift-JIS; ASCII apart from the quotation marks
  char naturalJapanese[kTextSize];     // Shift-JIS
  char literalJapanese[kTextSize];     // Shift-JIS, phrases separated by the full-width slash
  int32_t bestTimeMs;                  // 0 until an unassisted completion
};

struct ItemCatalogue {
  PracticeItem items[kItemCount];
  int32_t lessonItem[kItemCount + 1];  // first item index of each lesson, then one past the end
};

extern const int32_t chapterFirstLesson[kChapterCount];
extern const int32_t chapterLastLesson[kChapterCount];
extern const int32_t chapterSize[kChapterCount];

// The build's own texts for the first items, in catalogue order.
struct DemoText {
  const char* id;
  const char* english;
  const char* naturalJapanese;
  const char* literalJapanese;
};
constexpr int kDemoCount = 4;
extern const DemoText demoTexts[kDemoCount];

// Fills the catalogue: placeholders everywhere, the demo texts in items 0-3, identity lessons.
void initialiseCatalogue(ItemCatalogue& catalogue);

}  // namespace dd
