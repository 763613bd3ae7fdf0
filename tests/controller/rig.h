// A drill on recording fakes with short texts of the tests' own, and ways to walk it.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controller.h"
#include "matcher.h"
#include "recording_fakes.h"
#include "text.h"

namespace ddtest {

// Items 0-3 of the practice range: a plain sentence, a comma, the quotation marks with an
// apostrophe and digits, and two capitals.
constexpr const char* kRigTexts[4] = {
    "Go on.",
    "Hi, you.",
    "\x81\x67Yes,\x81\x68 I'm 42.",
    "AB.",
};

struct Rig {
  std::unique_ptr<FakeDrill> fake;
  dd::DrillRecords& records;
  dd::DrillState& state;
  dd::PracticeSettings& settings;
  RecordingHost& host;
  RecordingSound& sound;

  explicit Rig(uint32_t seed = 1)
      : fake(std::make_unique<FakeDrill>(seed)),
        records(fake->records),
        state(records.state),
        settings(records.settings),
        host(fake->host),
        sound(fake->sound) {
    for (int i = 0; i < 4; ++i) dd::copyText(records.catalogue.items[i].english, kRigTexts[i]);
    host.clock = 1000;
  }

  void key(uint32_t virtualKey) { dd::onKeyDown(fake->controller, virtualKey); }
  void chr(uint32_t code) { dd::onChar(fake->controller, code); }
  void tick() { dd::onTick(fake->controller); }

  const dd::SentenceText& english(int32_t item) const {
    return records.catalogue.items[item].english;
  }
  uint8_t expected() const { return dd::expectedByte(state, english(state.currentItem)); }
  // Types the expected character.
  void hit() { chr(expected()); }
  // Types every target but the last.
  void typeAllButLast() {
    const dd::SentenceText& text = english(state.currentItem);
    while (state.nextTarget >= 0 && dd::findNextTarget(text, state.nextTarget + 1) >= 0) hit();
  }
  // Typing on item, reached in order from the Menu by giving up on the items before it.
  void typingAt(int32_t item) {
    key(dd::kKeyReturn);
    while (state.currentItem != item) {
      key(dd::kKeyReturn);
      key(dd::kKeyReturn);
    }
  }
  void resultAt(int32_t item) {
    typingAt(item);
    key(dd::kKeyReturn);
  }

  void clearCalls() { fake->log.clear(); }
  std::vector<std::string> calls() const {
    std::vector<std::string> names;
    for (int i = 0; i < fake->log.count; ++i) names.emplace_back(callName(fake->log.calls[i]));
    if (fake->log.dropped != 0) names.emplace_back("(dropped)");
    return names;
  }
};

// The names of the fields in which two sets of records differ; empty when they agree.
inline std::vector<std::string> differences(const dd::DrillRecords& want,
                                            const dd::DrillRecords& got) {
  std::vector<std::string> out;
  auto field = [&out](const char* name, bool same) {
    if (!same) out.emplace_back(name);
  };
  const dd::PracticeSettings& ws = want.settings;
  const dd::PracticeSettings& gs = got.settings;
  field("orderMode", ws.orderMode == gs.orderMode);
  field("presentation", ws.presentation == gs.presentation);
  field("japaneseStyle", ws.japaneseStyle == gs.japaneseStyle);
  field("speed", ws.speed == gs.speed);
  field("hitSound", ws.hitSound == gs.hitSound);
  field("missSound", ws.missSound == gs.missSound);
  field("timerHidden", ws.timerHidden == gs.timerHidden);
  field("autoRevealSeconds", ws.autoRevealSeconds == gs.autoRevealSeconds);
  field("chapterSelect", ws.chapterSelect == gs.chapterSelect);
  field("chapter", ws.chapter == gs.chapter);
  field("rangeFirstLesson", ws.rangeFirstLesson == gs.rangeFirstLesson);
  field("rangeLastLesson", ws.rangeLastLesson == gs.rangeLastLesson);
  const dd::DrillState& w = want.state;
  const dd::DrillState& g = got.state;
  field("screen", w.screen == g.screen);
  field("currentItem", w.currentItem == g.currentItem);
  field("nextTarget", w.nextTarget == g.nextTarget);
  field("shownText", std::strncmp(w.shownText, g.shownText, dd::kTextSize) == 0);
  field("assisted", w.assisted == g.assisted);
  field("startTimeMs", w.startTimeMs == g.startTimeMs);
  field("elapsedMs", w.elapsedMs == g.elapsedMs);
  field("checked", std::memcmp(w.checked, g.checked, sizeof w.checked) == 0);
  field("checkedInRange", w.checkedInRange == g.checkedInRange);
  field("shuffleOrder", std::memcmp(w.shuffleOrder, g.shuffleOrder, sizeof w.shuffleOrder) == 0);
  field("shufflePos", w.shufflePos == g.shufflePos);
  field("random", want.random.state == got.random.state);
  bool sameBest = true;
  for (int i = 0; i < dd::kItemCount; ++i) {
    sameBest = sameBest && want.catalogue.items[i].bestTimeMs == got.catalogue.items[i].bestTimeMs;
  }
  field("bestTimeMs", sameBest);
  return out;
}

}  // namespace ddtest
