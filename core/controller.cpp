#include "controller.h"

#include "matcher.h"
#include "order.h"

namespace dd {

namespace {

constexpr int32_t kAutoRevealUnitMs = 1000;
constexpr int32_t kBestTimeGrainMs = 100;
constexpr int32_t kJapaneseOnly = 2;

const SentenceText& currentText(const DrillController& drill) {
  return drill.records.catalogue.items[drill.records.state.currentItem].english;
}

// Flips a 0/1 option; any other value counts as 1, so the result is always 0 or 1.
int32_t flipped(int32_t flag) { return flag == 0 ? 1 : 0; }

// Enters Typing on item from the Menu or the Result screen, so the tick starts.
void startTyping(DrillController& drill, int32_t item) {
  DrillState& state = drill.records.state;
  state.currentItem = item;
  state.screen = Typing;
  beginAttempt(drill, true);
}

void flipSpeed(DrillController& drill) {
  PracticeSettings& settings = drill.records.settings;
  settings.speed = flipped(settings.speed);
  drill.sound.close();
  drill.host.invalidateRect(SpeedArea);
}

void flipJapaneseStyle(DrillController& drill) {
  PracticeSettings& settings = drill.records.settings;
  settings.japaneseStyle = flipped(settings.japaneseStyle);
  drill.host.invalidateRect(JapaneseArea);
}

void menuKey(DrillController& drill, uint32_t virtualKey) {
  switch (virtualKey) {
    case kKeyReturn: {
      const int32_t item = first(drill.records);
      if (item == kNoItem) {
        drill.host.invalidateAll();
      } else {
        startTyping(drill, item);
      }
      break;
    }
    case kKeyEscape:
      drill.host.stopTick();
      drill.host.closeWindow();
      break;
    case kKeyTab:
      drill.host.openSettingsDialog();
      break;
    case kKeySpace:
      drill.host.openProgressDialog();
      break;
    default:
      break;
  }
}

// The keys that act alike on the typing and the result screen.
void sharedKey(DrillController& drill, uint32_t virtualKey) {
  switch (virtualKey) {
    case kKeyControl:
      drill.sound.togglePause();
      break;
    case kKeyTab:
      flipSpeed(drill);
      break;
    case kKeyDelete:
      flipJapaneseStyle(drill);
      break;
    default:
      break;
  }
}

void typingKey(DrillController& drill, uint32_t virtualKey) {
  DrillState& state = drill.records.state;
  switch (virtualKey) {
    case kKeyReturn:
      finishAttempt(drill, FinishWay::GaveUp);
      break;
    case kKeyBack: {
      const int32_t item = previous(drill.records, state.currentItem);
      if (item == kNoItem) {
        returnToMenu(drill, TickStop::AfterClose);
      } else {
        state.currentItem = item;
        beginAttempt(drill, false);
      }
      break;
    }
    case kKeyEscape:
      returnToMenu(drill, TickStop::BeforeClose);
      break;
    case kKeySpace:
      if (drill.records.settings.presentation != kJapaneseOnly) drill.sound.play();
      break;
    default:
      sharedKey(drill, virtualKey);
      break;
  }
}

void resultKey(DrillController& drill, uint32_t virtualKey) {
  DrillState& state = drill.records.state;
  switch (virtualKey) {
    case kKeyReturn: {
      const int32_t item = next(drill.records, state.currentItem);
      if (item == kNoItem) {
        returnToMenu(drill, TickStop::None);
      } else {
        startTyping(drill, item);
      }
      break;
    }
    case kKeyBack:
      startTyping(drill, state.currentItem);
      break;
    case kKeyEscape:
      returnToMenu(drill, TickStop::BeforeClose);
      break;
    case kKeySpace:
      drill.sound.play();
      break;
    default:
      sharedKey(drill, virtualKey);
      break;
  }
}

void typingChar(DrillController& drill, uint32_t code) {
  DrillState& state = drill.records.state;
  const SentenceText& text = currentText(drill);
  if (code == kCharBackslash) {
    if (advanceReveal(state, text)) {
      finishAttempt(drill, FinishWay::HintOnLastTarget);
    } else {
      state.assisted = 1;
      drill.host.invalidateRect(EnglishArea);
    }
    return;
  }
  if (!isTargetChar(code)) return;
  // expectedByte is 0 when no target is left, and no key matches 0: every key is then a miss
  // and english is never read before its start.
  if (!keyMatches(code, expectedByte(state, text))) {
    drill.sound.playMiss();
    return;
  }
  drill.sound.playHit();
  if (advanceReveal(state, text)) {
    finishAttempt(drill, FinishWay::LastTargetTyped);
  } else {
    drill.host.invalidateRect(EnglishArea);
  }
}

}  // namespace

void beginAttempt(DrillController& drill, bool startTick) {
  DrillState& state = drill.records.state;
  resetReveal(state, currentText(drill));
  drill.sound.close();
  if (drill.records.settings.presentation != kJapaneseOnly) drill.sound.play();
  state.startTimeMs = drill.host.nowMs();
  state.elapsedMs = 0;
  state.assisted = 0;
  if (startTick) drill.host.startTick();
  drill.host.invalidateAll();
}

void finishAttempt(DrillController& drill, FinishWay way) {
  DrillState& state = drill.records.state;
  state.screen = Result;
  drill.host.stopTick();
  if (way == FinishWay::LastTargetTyped) {
    if (state.assisted == 0) recordBestTime(drill);
  } else if (way == FinishWay::GaveUp) {
    state.assisted = 1;
  }
  drill.sound.play();
  drill.host.invalidateAll();
}

void recordBestTime(DrillController& drill) {
  DrillState& state = drill.records.state;
  int32_t& best = drill.records.catalogue.items[state.currentItem].bestTimeMs;
  const int32_t elapsed = state.elapsedMs;
  if (best == 0 || elapsed / kBestTimeGrainMs < best / kBestTimeGrainMs) best = elapsed;
}

void returnToMenu(DrillController& drill, TickStop tickStop) {
  drill.records.state.screen = Menu;
  if (tickStop == TickStop::BeforeClose) drill.host.stopTick();
  drill.sound.close();
  if (tickStop == TickStop::AfterClose) drill.host.stopTick();
  drill.host.invalidateAll();
}

void toggleCheck(DrillController& drill) {
  DrillState& state = drill.records.state;
  int32_t& flag = state.checked[state.currentItem];
  if (flag != 0) {
    flag = 0;
    state.checkedInRange -= 1;
  } else {
    flag = 1;
    state.checkedInRange += 1;
  }
  drill.host.invalidateRect(CheckArea);
  drill.host.invalidateRect(RangeArea);
}

void onKeyDown(DrillController& drill, uint32_t virtualKey) {
  switch (drill.records.state.screen) {
    case Menu:
      menuKey(drill, virtualKey);
      break;
    case Typing:
      typingKey(drill, virtualKey);
      break;
    case Result:
      resultKey(drill, virtualKey);
      break;
  }
}

void onChar(DrillController& drill, uint32_t code) {
  switch (drill.records.state.screen) {
    case Typing:
      typingChar(drill, code);
      break;
    case Result:
      if (code == kCharBackslash) toggleCheck(drill);
      break;
    case Menu:
      break;
  }
}

void onTick(DrillController& drill) {
  DrillState& state = drill.records.state;
  // The difference modulo 2^32, read as signed, survives the clock's wrap-around. A negative
  // reading means the clock was set back before the start; the attempt then counts from 0.
  int32_t elapsed = static_cast<int32_t>(drill.host.nowMs() - state.startTimeMs);
  if (elapsed < 0) elapsed = 0;
  if (elapsed > kElapsedLimitMs) elapsed = kElapsedLimitMs;
  state.elapsedMs = elapsed;
  // Wider arithmetic: a seconds value beyond its 0..600 range must not overflow.
  const int64_t revealMs =
      static_cast<int64_t>(drill.records.settings.autoRevealSeconds) * kAutoRevealUnitMs;
  if (revealMs >= kAutoRevealUnitMs && elapsed > revealMs) {
    state.elapsedMs = static_cast<int32_t>(revealMs);
    finishAttempt(drill, FinishWay::AutoReveal);
    return;
  }
  drill.host.invalidateRect(TimeArea);
}

}  // namespace dd
