#include "catalogue.h"

#include "text.h"

namespace dd {

const int32_t chapterFirstLesson[kChapterCount] = {1,   18,  31,  60,  73,  93,  125,
                                                   145, 163, 187, 211, 218, 238, 256,
                                                   282, 311, 332, 356, 367, 395};
const int32_t chapterLastLesson[kChapterCount] = {17,  30,  59,  72,  92,  124, 144,
                                                  162, 186, 210, 217, 237, 255, 281,
                                                  310, 331, 355, 366, 394, 419};
const int32_t chapterSize[kChapterCount] = {17, 13, 29, 13, 20, 32, 20, 18, 24, 24,
                                            7,  20, 18, 26, 29, 21, 24, 11, 28, 25};

void initialiseCatalogue(ItemCatalogue& catalogue) {
  for (PracticeItem& item : catalogue.items) item.bestTimeMs = 0;
  for (PracticeItem& item : catalogue.items) {
    copyText(item.id, "001");
    copyText(item.english, "demo");
    copyText(item.literalJapanese, "デモ");
    copyText(item.naturalJapanese, "デモ");
  }
  for (int i = 0; i < kDemoCount; ++i) {
    PracticeItem& item = catalogue.items[i];
    copyText(item.id, demoTexts[i].id);
    copyText(item.english, demoTexts[i].english);
    copyText(item.literalJapanese, demoTexts[i].literalJapanese);
    copyText(item.naturalJapanese, demoTexts[i].naturalJapanese);
  }
  for (int k = 0; k < kItemCount; ++k) catalogue.lessonItem[k] = k;
  catalogue.lessonItem[kItemCount] = kItemCount;
}

}  // namespace dd
