#include "settings.h"

#include "text.h"

namespace dd {

const char orderNames[3][32] = {"ランダム", "順序どおり", "チェック済"};
const char presentationNames[3][32] = {"音声と日本語", "音声のみ", "日本語のみ"};
const char speedNames[2][32] = {"Slow", "Natural"};
const char checkLabels[2][32] = {"", "☆check!"};
const char speedPrefix[2][260] = {"\\S", "\\N"};
const char rangeFormat[1][128] = {"L %03d-%03d (☆%d)"};

// The runs of spaces between the segments are part of the drawn text.
const char helpLines1[kScreenCount][512] = {
    "[Space] 進度集計"
    "    "
    "[Tab] 設定画面を開く"
    "        "
    "[\\] チェック音声コピー",
    "[Space] 音声再生"
    "   "
    "[Ctrl] 音声一時停止・再開"
    "    "
    "[\\] 1文字ヒント表示",
    "[Space] 音声再生"
    "   "
    "[Ctrl] 音声一時停止・再開"
    "    "
    "[\\] チェックON/OFF",
};
const char helpLines2[kScreenCount][512] = {
    "[Enter] スタート！"
    "                                            "
    "[Esc] 終了します",
    "[Enter] 全文完成"
    "     "
    "[BkSp] 前の文へ"
    "               "
    "[Esc] メニューへ戻る",
    "[Enter] 次の文へ"
    "     "
    "[BkSp] もう一度"
    "               "
    "[Esc] メニューへ戻る",
};

void initialiseSettings(PracticeSettings& settings, DrillState& state) {
  settings.orderMode = 1;
  settings.presentation = 1;
  settings.japaneseStyle = 0;
  settings.speed = 0;
  settings.hitSound = 1;
  settings.missSound = 1;
  settings.timerHidden = 0;
  settings.autoRevealSeconds = 0;
  settings.chapterSelect = 0;
  settings.chapter = 1;
  settings.rangeFirstLesson = 1;
  settings.rangeLastLesson = 4;

  state.screen = Menu;
  state.currentItem = 0;
  state.nextTarget = 0;
  for (char& c : state.shownText) c = 0;
  state.assisted = 0;
  state.startTimeMs = 0;
  state.elapsedMs = 0;
  for (int32_t& flag : state.checked) flag = 0;
  state.checkedInRange = 0;
  for (int32_t& entry : state.shuffleOrder) entry = 0;
  state.shufflePos = 0;
}

namespace {
// Lesson numbers outside 1..419 are pulled to the nearest lesson so the table is never overrun.
int32_t clampLesson(int32_t lesson) {
  if (lesson < 0) return 0;
  if (lesson > kItemCount) return kItemCount;
  return lesson;
}
}  // namespace

int32_t rangeBeginItem(const PracticeSettings& settings, const ItemCatalogue& catalogue) {
  return catalogue.lessonItem[clampLesson(settings.rangeFirstLesson - 1)];
}

int32_t rangeEndItem(const PracticeSettings& settings, const ItemCatalogue& catalogue) {
  return catalogue.lessonItem[clampLesson(settings.rangeLastLesson)];
}

int32_t countCheckedInRange(const PracticeSettings& settings, const ItemCatalogue& catalogue,
                            const DrillState& state) {
  int32_t count = 0;
  const int32_t end = rangeEndItem(settings, catalogue);
  for (int32_t i = rangeBeginItem(settings, catalogue); i < end; ++i) {
    if (state.checked[i] == 1) ++count;
  }
  return count;
}

}  // namespace dd
