// The drill row by row: the next screen, the state changes and the exact sequence of host and
// sound calls of every event.
#include "controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "matcher.h"
#include "order.h"
#include "rig.h"
#include "text.h"

namespace {

using dd::kCharBackslash;
using dd::kKeyBack;
using dd::kKeyControl;
using dd::kKeyDelete;
using dd::kKeyEscape;
using dd::kKeyReturn;
using dd::kKeySpace;
using dd::kKeyTab;
using ddtest::Rig;
using Calls = std::vector<std::string>;

constexpr uint32_t kEventClock = 7000;

enum class Kind { Key, Char, Tick };
struct Event {
  Kind kind;
  uint32_t code;
};
Event key(uint32_t vk) { return {Kind::Key, vk}; }
Event chr(uint32_t code) { return {Kind::Char, code}; }
Event tick() { return {Kind::Tick, 0}; }

void send(Rig& rig, Event event) {
  switch (event.kind) {
    case Kind::Key:
      rig.key(event.code);
      break;
    case Kind::Char:
      rig.chr(event.code);
      break;
    case Kind::Tick:
      rig.tick();
      break;
  }
}

// The state a fresh attempt at item leaves, with the clock read at kEventClock.
void begun(dd::DrillRecords& want, int32_t item) {
  want.state.screen = dd::Typing;
  want.state.currentItem = item;
  want.state.shownText[0] = 0;
  want.state.nextTarget = dd::findNextTarget(want.catalogue.items[item].english, 0);
  want.state.startTimeMs = kEventClock;
  want.state.elapsedMs = 0;
  want.state.assisted = 0;
}

// Reveals one more step on the expected records, as a hit or a hint does.
void revealed(dd::DrillRecords& want) {
  dd::advanceReveal(want.state, want.catalogue.items[want.state.currentItem].english);
}

const Calls kBegin = {"close", "play", "nowMs", "startTick", "invalidateAll"};
const Calls kFinish = {"stopTick", "play", "invalidateAll"};

struct Row {
  const char* name;
  std::function<void(Rig&)> arrange;
  Event event;
  dd::Screen next;
  Calls calls;
  std::function<void(dd::DrillRecords&)> change;  // what the event changes, nothing if empty
  bool tickAfter;
};

void onMenu(Rig&) {}
// The Menu after a run that left a partly revealed sentence, a time and a speed behind.
void onMenuAfterRun(Rig& rig) {
  rig.typingAt(2);
  rig.hit();
  rig.host.clock += 2500;
  rig.tick();
  rig.key(kKeyEscape);
}
void onTyping(Rig& rig) { rig.typingAt(1); }
void onTypingFirst(Rig& rig) { rig.typingAt(0); }
void onTypingMidway(Rig& rig) {
  rig.typingAt(1);
  rig.hit();
  rig.host.clock += 1200;
  rig.tick();
}
void onTypingLastTarget(Rig& rig) {
  rig.typingAt(1);
  rig.host.clock += 1200;
  rig.tick();
  rig.typeAllButLast();
}
void onResult(Rig& rig) { rig.resultAt(1); }
void onResultLast(Rig& rig) { rig.resultAt(3); }

std::vector<Row> stateTable() {
  auto item = [](int32_t i) { return [i](dd::DrillRecords& w) { begun(w, i); }; };
  auto toMenu = [](dd::DrillRecords& w) { w.state.screen = dd::Menu; };
  auto japaneseOnly = [](std::function<void(Rig&)> arrange) {
    return [arrange](Rig& rig) {
      arrange(rig);
      rig.settings.presentation = 2;
    };
  };
  auto audioAndJapanese = [](std::function<void(Rig&)> arrange) {
    return [arrange](Rig& rig) {
      arrange(rig);
      rig.settings.presentation = 0;
    };
  };
  auto flipSpeed = [](dd::DrillRecords& w) { w.settings.speed ^= 1; };
  auto flipStyle = [](dd::DrillRecords& w) { w.settings.japaneseStyle ^= 1; };

  std::vector<Row> rows = {
      {"Menu Enter, first gives an item", onMenuAfterRun, key(kKeyReturn), dd::Typing, kBegin,
       item(0), true},
      {"Menu Enter, first gives an item, Japanese only",
       japaneseOnly(onMenu),
       key(kKeyReturn),
       dd::Typing,
       {"close", "nowMs", "startTick", "invalidateAll"},
       item(0),
       true},
      {"Menu Enter, random order",
       [](Rig& rig) {
         rig.settings.orderMode = dd::RandomOrder;
         dd::seedRandom(rig.records.random, 7);
       },
       key(kKeyReturn), dd::Typing, kBegin,
       [](dd::DrillRecords& w) {
         const int32_t first = dd::first(w);  // the shuffle the controller must have made
         begun(w, first);
       },
       true},
      {"Menu Enter, checked only, item 2 checked",
       [](Rig& rig) {
         rig.settings.orderMode = dd::CheckedOnly;
         rig.state.checked[2] = 1;
         rig.state.checkedInRange = 1;
       },
       key(kKeyReturn), dd::Typing, kBegin, item(2), true},
      {"Menu Enter, checked only, none checked",
       [](Rig& rig) {
         rig.settings.orderMode = dd::CheckedOnly;
         rig.state.checked[7] = 1;  // outside the range
       },
       key(kKeyReturn),
       dd::Menu,
       {"invalidateAll"},
       nullptr,
       false},
      {"Menu Escape",
       onMenu,
       key(kKeyEscape),
       dd::Menu,
       {"stopTick", "closeWindow"},
       nullptr,
       false},
      {"Menu Tab", onMenu, key(kKeyTab), dd::Menu, {"openSettingsDialog"}, nullptr, false},
      {"Menu Space", onMenu, key(kKeySpace), dd::Menu, {"openProgressDialog"}, nullptr, false},
      {"Menu Backspace", onMenuAfterRun, key(kKeyBack), dd::Menu, {}, nullptr, false},
      {"Menu Ctrl", onMenuAfterRun, key(kKeyControl), dd::Menu, {}, nullptr, false},
      {"Menu Delete", onMenu, key(kKeyDelete), dd::Menu, {}, nullptr, false},
      {"Menu backslash", onMenuAfterRun, chr(kCharBackslash), dd::Menu, {}, nullptr, false},
      {"Menu letter", onMenuAfterRun, chr('Y'), dd::Menu, {}, nullptr, false},
      {"Menu digit", onMenu, chr('4'), dd::Menu, {}, nullptr, false},

      {"Typing miss", onTypingMidway, chr('z'), dd::Typing, {"playMiss"}, nullptr, true},
      {"Typing miss, capital for a small letter",
       onTypingMidway,
       chr('I'),
       dd::Typing,
       {"playMiss"},
       nullptr,
       true},
      {"Typing hit, targets left",
       onTyping,
       chr('H'),
       dd::Typing,
       {"playHit", "invalidateRect:englishRect"},
       revealed,
       true},
      {"Typing hit, small letter for a capital",
       onTyping,
       chr('h'),
       dd::Typing,
       {"playHit", "invalidateRect:englishRect"},
       revealed,
       true},
      {"Typing hit on the last target",
       onTypingLastTarget,
       chr('u'),
       dd::Result,
       {"playHit", "stopTick", "play", "invalidateAll"},
       [](dd::DrillRecords& w) {
         revealed(w);
         w.state.screen = dd::Result;
         w.catalogue.items[1].bestTimeMs = 1200;
       },
       false},
      {"Typing hint, targets left",
       onTypingMidway,
       chr(kCharBackslash),
       dd::Typing,
       {"invalidateRect:englishRect"},
       [](dd::DrillRecords& w) {
         revealed(w);
         w.state.assisted = 1;
       },
       true},
      {"Typing hint on the last target", onTypingLastTarget, chr(kCharBackslash), dd::Result,
       kFinish,
       [](dd::DrillRecords& w) {
         revealed(w);
         w.state.screen = dd::Result;
       },
       false},
      {"Typing Enter", onTypingMidway, key(kKeyReturn), dd::Result, kFinish,
       [](dd::DrillRecords& w) {
         w.state.screen = dd::Result;
         w.state.assisted = 1;
       },
       false},
      {"Typing tick, auto reveal due",
       [](Rig& rig) {
         onTypingMidway(rig);
         rig.settings.autoRevealSeconds = 3;
         rig.host.clock = rig.state.startTimeMs + 3001;
       },
       tick(),
       dd::Result,
       {"nowMs", "stopTick", "play", "invalidateAll"},
       [](dd::DrillRecords& w) {
         w.state.screen = dd::Result;
         w.state.elapsedMs = 3000;
       },
       false},
      {"Typing tick, otherwise",
       [](Rig& rig) {
         onTypingMidway(rig);
         rig.settings.autoRevealSeconds = 3;
         rig.host.clock = rig.state.startTimeMs + 3000;
       },
       tick(),
       dd::Typing,
       {"nowMs", "invalidateRect:timeRect"},
       [](dd::DrillRecords& w) { w.state.elapsedMs = 3000; },
       true},
      {"Typing Backspace, previous gives an item",
       onTypingMidway,
       key(kKeyBack),
       dd::Typing,
       {"close", "play", "nowMs", "invalidateAll"},
       item(0),
       true},
      {"Typing Backspace, previous gives an item, Japanese only",
       japaneseOnly(onTypingMidway),
       key(kKeyBack),
       dd::Typing,
       {"close", "nowMs", "invalidateAll"},
       item(0),
       true},
      {"Typing Backspace, previous gives none",
       onTypingFirst,
       key(kKeyBack),
       dd::Menu,
       {"close", "stopTick", "invalidateAll"},
       toMenu,
       false},
      {"Typing Escape",
       onTypingMidway,
       key(kKeyEscape),
       dd::Menu,
       {"stopTick", "close", "invalidateAll"},
       toMenu,
       false},
      {"Typing Space, audio only",
       onTypingMidway,
       key(kKeySpace),
       dd::Typing,
       {"play"},
       nullptr,
       true},
      {"Typing Space, audio and Japanese",
       audioAndJapanese(onTypingMidway),
       key(kKeySpace),
       dd::Typing,
       {"play"},
       nullptr,
       true},
      {"Typing Space, Japanese only",
       japaneseOnly(onTypingMidway),
       key(kKeySpace),
       dd::Typing,
       {},
       nullptr,
       true},

      {"Result Enter, next gives an item", onResult, key(kKeyReturn), dd::Typing, kBegin, item(2),
       true},
      {"Result Enter, next gives none",
       onResultLast,
       key(kKeyReturn),
       dd::Menu,
       {"close", "invalidateAll"},
       toMenu,
       false},
      {"Result Backspace", onResult, key(kKeyBack), dd::Typing, kBegin, item(1), true},
      {"Result Backspace, Japanese only",
       japaneseOnly(onResult),
       key(kKeyBack),
       dd::Typing,
       {"close", "nowMs", "startTick", "invalidateAll"},
       item(1),
       true},
      {"Result Escape",
       onResult,
       key(kKeyEscape),
       dd::Menu,
       {"stopTick", "close", "invalidateAll"},
       toMenu,
       false},
      {"Result backslash",
       onResult,
       chr(kCharBackslash),
       dd::Result,
       {"invalidateRect:checkRect", "invalidateRect:rangeRect"},
       [](dd::DrillRecords& w) {
         w.state.checked[1] = 1;
         w.state.checkedInRange = 1;
       },
       false},
      {"Result Space", onResult, key(kKeySpace), dd::Result, {"play"}, nullptr, false},
      {"Result Space, Japanese only",
       japaneseOnly(onResult),
       key(kKeySpace),
       dd::Result,
       {"play"},
       nullptr,
       false},
      {"Result letter", onResult, chr('c'), dd::Result, {}, nullptr, false},
      {"Result digit", onResult, chr('0'), dd::Result, {}, nullptr, false},

      {"Typing Ctrl", onTypingMidway, key(kKeyControl), dd::Typing, {"togglePause"}, nullptr, true},
      {"Result Ctrl", onResult, key(kKeyControl), dd::Result, {"togglePause"}, nullptr, false},
      {"Typing Tab",
       onTypingMidway,
       key(kKeyTab),
       dd::Typing,
       {"close", "invalidateRect:speedRect"},
       flipSpeed,
       true},
      {"Result Tab, back to slow",
       [](Rig& rig) {
         onResult(rig);
         rig.settings.speed = 1;
       },
       key(kKeyTab),
       dd::Result,
       {"close", "invalidateRect:speedRect"},
       flipSpeed,
       false},
      {"Typing Delete",
       onTypingMidway,
       key(kKeyDelete),
       dd::Typing,
       {"invalidateRect:japaneseRect"},
       flipStyle,
       true},
      {"Result Delete",
       [](Rig& rig) {
         onResult(rig);
         rig.settings.japaneseStyle = 1;
       },
       key(kKeyDelete),
       dd::Result,
       {"invalidateRect:japaneseRect"},
       flipStyle,
       false},
  };

  // Any other key-down or character does nothing on any screen: the keys of letters, digits and
  // the backslash, Shift, F1, and the characters of Enter, Tab, Backspace, Escape and Space,
  // punctuation, a byte above 127 and codes beyond one byte.
  const struct {
    const char* name;
    std::function<void(Rig&)> arrange;
    dd::Screen screen;
    bool tick;
  } screens[] = {
      {"Menu", onMenuAfterRun, dd::Menu, false},
      {"Typing", onTypingMidway, dd::Typing, true},
      {"Result", onResult, dd::Result, false},
  };
  const Event others[] = {
      key('A'),
      key('0'),
      key(0xDC),
      key(0x10),
      key(0x70),
      key(0),
      key(0x12E),
      chr(0x0D),
      chr(0x09),
      chr(0x08),
      chr(0x1B),
      chr(0x20),
      chr('.'),
      chr(0x81),
      chr(0xFF),
      chr(0x100 + 'o'),
      chr(0x100 + kCharBackslash),
      chr(0x7F),
      chr(0),
  };
  for (const auto& s : screens) {
    for (const Event& e : others) {
      rows.push_back({s.name, s.arrange, e, s.screen, {}, nullptr, s.tick});
    }
  }
  return rows;
}

TEST(StateTable, EveryRow) {
  for (const Row& row : stateTable()) {
    SCOPED_TRACE(std::string(row.name) + ", event code " + std::to_string(row.event.code));
    Rig rig;
    row.arrange(rig);
    if (row.event.kind != Kind::Tick) rig.host.clock = kEventClock;  // ticks set their own
    auto want = std::make_unique<dd::DrillRecords>(rig.records);
    if (row.change) row.change(*want);
    rig.clearCalls();

    send(rig, row.event);

    EXPECT_EQ(rig.state.screen, row.next);
    EXPECT_EQ(rig.calls(), row.calls);
    EXPECT_EQ(ddtest::differences(*want, rig.records), Calls{});
    EXPECT_EQ(rig.host.tickRunning, row.tickAfter);
  }
}

TEST(StateTable, EscapeOnTheMenuClosesTheWindowAtOnce) {
  Rig rig;
  rig.key(kKeyEscape);
  EXPECT_TRUE(rig.host.windowClosed);
  EXPECT_FALSE(rig.host.tickRunning);
}

// The four ways in differ only in what they do to the best time and to assisted.
TEST(FinishAttempt, FourWaysIn) {
  struct Case {
    dd::FinishWay way;
    uint8_t assistedBefore;
    int32_t bestBefore;
    int32_t bestAfter;
    uint8_t assistedAfter;
  } cases[] = {
      {dd::FinishWay::LastTargetTyped, 0, 0, 4200, 0},
      {dd::FinishWay::LastTargetTyped, 0, 5000, 4200, 0},
      {dd::FinishWay::LastTargetTyped, 1, 0, 0, 1},
      {dd::FinishWay::LastTargetTyped, 1, 5000, 5000, 1},
      {dd::FinishWay::GaveUp, 0, 0, 0, 1},
      {dd::FinishWay::GaveUp, 0, 5000, 5000, 1},
      {dd::FinishWay::HintOnLastTarget, 0, 0, 0, 0},
      {dd::FinishWay::HintOnLastTarget, 1, 5000, 5000, 1},
      {dd::FinishWay::AutoReveal, 0, 0, 0, 0},
      {dd::FinishWay::AutoReveal, 1, 5000, 5000, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.way) * 100 + c.assistedBefore * 10 + (c.bestBefore != 0));
    Rig rig;
    rig.typingAt(2);
    rig.hit();
    rig.state.elapsedMs = 4200;
    rig.state.assisted = c.assistedBefore;
    rig.records.catalogue.items[2].bestTimeMs = c.bestBefore;
    const int32_t nextTarget = rig.state.nextTarget;
    const std::string shown = rig.state.shownText;
    rig.clearCalls();

    dd::finishAttempt(rig.fake->controller, c.way);

    EXPECT_EQ(rig.state.screen, dd::Result);
    EXPECT_EQ(rig.calls(), kFinish);
    EXPECT_FALSE(rig.host.tickRunning);
    EXPECT_EQ(rig.records.catalogue.items[2].bestTimeMs, c.bestAfter);
    EXPECT_EQ(rig.state.assisted, c.assistedAfter);
    EXPECT_EQ(rig.state.elapsedMs, 4200);
    EXPECT_EQ(rig.state.nextTarget, nextTarget);  // finishing reveals nothing by itself
    EXPECT_EQ(rig.state.shownText, shown);
  }
}

// Whole tenths of a second decide; the full millisecond value is kept.
TEST(RecordBestTime, ComparesWholeTenths) {
  struct Case {
    int32_t best, elapsed, after;
  } cases[] = {
      {950, 999, 950},
      {950, 899, 899},
      {950, 900, 950},
      {950, 950, 950},
      {950, 10, 10},
      {0, 123456, 123456},
      {0, 0, 0},
      {0, 600000, 600000},
      {1000, 999, 999},
      {600000, 599999, 599999},
      {599950, 599900, 599950},
      {99, 0, 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.best) + " " + std::to_string(c.elapsed));
    Rig rig;
    rig.resultAt(3);
    rig.records.catalogue.items[3].bestTimeMs = c.best;
    rig.state.elapsedMs = c.elapsed;
    rig.clearCalls();
    dd::recordBestTime(rig.fake->controller);
    EXPECT_EQ(rig.records.catalogue.items[3].bestTimeMs, c.after);
    EXPECT_EQ(rig.calls(), Calls{});
  }
}

// One tick at a given clock after an attempt began at a given clock.
TEST(OnTick, LimitAutoRevealAndWrapAround) {
  struct Case {
    const char* name;
    int32_t autoRevealSeconds;
    uint32_t start;
    uint32_t now;
    int32_t elapsed;
    bool revealed;
  } cases[] = {
      {"no reveal, plain", 0, 5000, 5100, 100, false},
      {"no reveal, limit", 0, 5000, 5000 + 700000, 600000, false},
      {"no reveal, just under the limit", 0, 5000, 5000 + 599999, 599999, false},
      {"599, at 599000 exactly", 599, 5000, 5000 + 599000, 599000, false},
      {"599, one past", 599, 5000, 5000 + 599001, 599000, true},
      {"599, far past", 599, 5000, 5000 + 900000, 599000, true},
      {"600, at the limit", 600, 5000, 5000 + 600000, 600000, false},
      {"600, far past: the limit comes first", 600, 5000, 5000 + 3600000, 600000, false},
      {"1, at 1000", 1, 5000, 6000, 1000, false},
      {"1, at 1001", 1, 5000, 6001, 1000, true},
      {"wrap-around", 0, 0xFFFFFF00u, 0x100u, 0x200, false},
      {"wrap-around, reveal", 5, 0xFFFFF000u, 0xFFFFF000u + 5001u, 5000, true},
      {"wrap-around to the limit", 0, 0xFFFF0000u, 0x000F0000u, 600000, false},
      {"clock set back: counts from 0", 0, 5000, 4000, 0, false},
      {"clock set back, with a reveal time", 1, 0x10u, 0xFFFFFFF0u, 0, false},
      {"2^31 ahead reads as set back", 0, 0, 0x80000000u, 0, false},
      {"just under 2^31 ahead", 0, 0, 0x7FFFFFFFu, 600000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.settings.autoRevealSeconds = c.autoRevealSeconds;
    rig.host.clock = c.start;
    rig.typingAt(0);
    ASSERT_EQ(rig.state.startTimeMs, c.start);
    rig.host.clock = c.now;
    rig.clearCalls();
    rig.tick();
    EXPECT_EQ(rig.state.elapsedMs, c.elapsed);
    EXPECT_EQ(rig.state.screen, c.revealed ? dd::Result : dd::Typing);
    const Calls revealCalls = {"nowMs", "stopTick", "play", "invalidateAll"};
    const Calls timeCalls = {"nowMs", "invalidateRect:timeRect"};
    EXPECT_EQ(rig.calls(), c.revealed ? revealCalls : timeCalls);
    EXPECT_EQ(rig.records.catalogue.items[0].bestTimeMs, 0);
  }
}

struct EdgeCase : ::testing::Test {
  Rig rig;
  void typeRest() {
    while (rig.state.screen == dd::Typing && rig.state.nextTarget >= 0) rig.hit();
  }
  int32_t best(int32_t item) const { return rig.records.catalogue.items[item].bestTimeMs; }
};

TEST_F(EdgeCase, TimeStopsAtTheLimitAndCompletionRecordsIt) {
  rig.typingAt(0);
  for (uint32_t t = 100; t <= 700000; t += 100) {
    rig.host.clock = 1000 + t;
    rig.tick();
    ASSERT_LE(rig.state.elapsedMs, 600000);
  }
  EXPECT_EQ(rig.state.screen, dd::Typing);
  EXPECT_EQ(rig.state.elapsedMs, 600000);
  typeRest();
  EXPECT_EQ(rig.state.screen, dd::Result);
  EXPECT_EQ(best(0), 600000);
}

TEST_F(EdgeCase, TheTimeOfTheLastTickIsTaken) {
  rig.typingAt(0);
  rig.host.clock += 2345;
  rig.tick();
  rig.host.clock += 99;  // no tick after this: the clock is not read again at completion
  rig.clearCalls();
  typeRest();
  EXPECT_EQ(best(0), 2345);
  for (const std::string& call : rig.calls()) EXPECT_NE(call, "nowMs");
}

TEST_F(EdgeCase, CompletionBeforeTheFirstTickRecordsZero) {
  rig.records.catalogue.items[0].bestTimeMs = 4000;
  rig.typingAt(0);
  typeRest();
  EXPECT_EQ(best(0), 0);
}

TEST_F(EdgeCase, AHintThatLeftTargetsKeepsTheBestTime) {
  rig.typingAt(0);
  rig.chr(kCharBackslash);
  EXPECT_EQ(rig.state.assisted, 1);
  rig.host.clock += 800;
  rig.tick();
  typeRest();
  EXPECT_EQ(rig.state.screen, dd::Result);
  EXPECT_EQ(best(0), 0);
}

TEST_F(EdgeCase, AHintOnTheLastTargetEndsUnassistedWithoutABestTime) {
  rig.typingAt(3);  // "AB."
  rig.hit();
  rig.host.clock += 500;
  rig.tick();
  rig.chr(kCharBackslash);
  EXPECT_EQ(rig.state.screen, dd::Result);
  EXPECT_EQ(rig.state.assisted, 0);
  EXPECT_STREQ(rig.state.shownText, "AB.");
  EXPECT_EQ(best(3), 0);
}

TEST_F(EdgeCase, EnterOnTypingNeverChangesTheBestTime) {
  rig.records.catalogue.items[1].bestTimeMs = 9000;
  rig.typingAt(1);
  rig.hit();
  rig.host.clock += 300;
  rig.tick();
  const std::string shown = rig.state.shownText;
  rig.key(kKeyReturn);
  EXPECT_EQ(rig.state.screen, dd::Result);
  EXPECT_EQ(rig.state.elapsedMs, 300);
  EXPECT_EQ(rig.state.shownText, shown);
  EXPECT_EQ(best(1), 9000);
}

TEST_F(EdgeCase, BackspaceOnTheFirstSentenceEndsTheRunInEveryOrder) {
  for (int32_t mode : {dd::RandomOrder, dd::InOrder, dd::CheckedOnly}) {
    SCOPED_TRACE(mode);
    Rig r;
    r.settings.orderMode = mode;
    r.state.checked[1] = r.state.checked[3] = 1;
    r.state.checkedInRange = 2;
    r.key(kKeyReturn);
    ASSERT_EQ(r.state.screen, dd::Typing);
    const uint32_t randomBefore = r.records.random.state;
    r.key(kKeyBack);
    EXPECT_EQ(r.state.screen, dd::Menu);
    EXPECT_FALSE(r.host.tickRunning);
    EXPECT_FALSE(r.sound.deviceOpen);
    r.key(kKeyReturn);  // a new run
    EXPECT_EQ(r.state.screen, dd::Typing);
    EXPECT_TRUE(r.host.tickRunning);
    if (mode == dd::RandomOrder) {
      EXPECT_NE(r.records.random.state, randomBefore);  // a fresh shuffle drew numbers
      EXPECT_EQ(r.state.shufflePos, 0);
    }
  }
}

TEST_F(EdgeCase, BackspaceMidRunKeepsTheTickRunning) {
  rig.typingAt(2);
  rig.host.clock += 1500;
  rig.tick();
  const int starts = rig.host.tickStarts;
  rig.key(kKeyBack);
  EXPECT_EQ(rig.state.currentItem, 1);
  EXPECT_EQ(rig.state.elapsedMs, 0);
  EXPECT_EQ(rig.state.startTimeMs, rig.host.clock);
  EXPECT_TRUE(rig.host.tickRunning);
  EXPECT_EQ(rig.host.tickStarts, starts);  // not restarted: no pause between ticks
}

TEST_F(EdgeCase, BackspaceOnResultRepeatsWithoutMovingTheShuffle) {
  rig.settings.orderMode = dd::RandomOrder;
  rig.key(kKeyReturn);
  rig.key(kKeyReturn);
  rig.key(kKeyReturn);  // the second item of the shuffle
  rig.hit();
  rig.key(kKeyReturn);
  const int32_t item = rig.state.currentItem;
  const int32_t pos = rig.state.shufflePos;
  ASSERT_EQ(pos, 1);
  rig.host.clock += 4000;
  rig.key(kKeyBack);
  EXPECT_EQ(rig.state.screen, dd::Typing);
  EXPECT_EQ(rig.state.currentItem, item);
  EXPECT_EQ(rig.state.shufflePos, pos);
  EXPECT_EQ(rig.state.shownText[0], 0);
  EXPECT_EQ(rig.state.elapsedMs, 0);
  EXPECT_EQ(rig.state.startTimeMs, rig.host.clock);
  EXPECT_EQ(rig.state.assisted, 0);
}

TEST_F(EdgeCase, EnterAfterTheLastResultClosesTheRecording) {
  rig.resultAt(3);
  EXPECT_TRUE(rig.sound.deviceOpen);
  rig.key(kKeyReturn);
  EXPECT_EQ(rig.state.screen, dd::Menu);
  EXPECT_FALSE(rig.sound.deviceOpen);
}

TEST_F(EdgeCase, BackslashTwiceOnResultLeavesTheMarkAsItWas) {
  for (int32_t before : {0, 1}) {
    Rig r;
    r.state.checked[2] = before;
    r.state.checkedInRange = before;
    r.resultAt(2);
    r.chr(kCharBackslash);
    EXPECT_EQ(r.state.checked[2], 1 - before);
    EXPECT_EQ(r.state.checkedInRange, 1 - before);
    r.chr(kCharBackslash);
    EXPECT_EQ(r.state.checked[2], before);
    EXPECT_EQ(r.state.checkedInRange, before);
  }
}

TEST_F(EdgeCase, SpaceAfterCtrlPlaysFromTheStart) {
  rig.typingAt(0);
  rig.key(kKeyControl);
  EXPECT_TRUE(rig.sound.paused);
  rig.key(kKeySpace);
  EXPECT_FALSE(rig.sound.paused);
  rig.clearCalls();
  rig.key(kKeyControl);
  rig.key(kKeyControl);
  EXPECT_EQ(rig.calls(), (Calls{"togglePause", "togglePause"}));
  EXPECT_FALSE(rig.sound.paused);
}

TEST_F(EdgeCase, HoldingEnterWalksThroughTheScreens) {
  const dd::Screen walk[] = {dd::Typing, dd::Result, dd::Typing, dd::Result, dd::Typing,
                             dd::Result, dd::Typing, dd::Result, dd::Menu,   dd::Typing};
  const int32_t items[] = {0, 0, 1, 1, 2, 2, 3, 3, 3, 0};
  for (size_t i = 0; i < std::size(walk); ++i) {
    SCOPED_TRACE(i);
    rig.key(kKeyReturn);
    EXPECT_EQ(rig.state.screen, walk[i]);
    if (walk[i] != dd::Menu) {
      EXPECT_EQ(rig.state.currentItem, items[i]);
    }
    EXPECT_EQ(rig.host.tickRunning, walk[i] == dd::Typing);
  }
}

TEST_F(EdgeCase, TabAndDeleteTwiceReturnToTheFirstValues) {
  rig.typingAt(1);
  rig.key(kKeyTab);
  rig.key(kKeyDelete);
  EXPECT_EQ(rig.settings.speed, 1);
  EXPECT_EQ(rig.settings.japaneseStyle, 1);
  EXPECT_FALSE(rig.sound.deviceOpen);  // Tab stops the recording and starts nothing
  rig.key(kKeyTab);
  rig.key(kKeyDelete);
  EXPECT_EQ(rig.settings.speed, 0);
  EXPECT_EQ(rig.settings.japaneseStyle, 0);
  EXPECT_TRUE(rig.host.tickRunning);  // the clock runs on meanwhile
}

// A sentence without letters or digits: nothing can be typed, and the byte before the text
// (the end of the id field) is never taken for the expected one.
TEST_F(EdgeCase, ASentenceWithoutTargets) {
  for (const char* text : {"...", "", "\x81\x67?!\x81\x68"}) {
    SCOPED_TRACE(text);
    Rig r;
    dd::PracticeItem& item = r.records.catalogue.items[0];
    dd::copyText(item.english, text);
    item.id[dd::kIdSize - 1] = 'q';
    r.typingAt(0);
    EXPECT_EQ(r.state.nextTarget, -1);
    r.clearCalls();
    for (uint32_t c : {'q', 'Q', 'a', '0'}) r.chr(c);
    EXPECT_EQ(r.calls(), (Calls{"playMiss", "playMiss", "playMiss", "playMiss"}));
    EXPECT_EQ(r.state.screen, dd::Typing);
    EXPECT_EQ(r.state.shownText[0], 0);
    r.clearCalls();
    r.chr(kCharBackslash);  // the hint shows the whole text and ends the attempt
    EXPECT_EQ(r.state.screen, dd::Result);
    EXPECT_STREQ(r.state.shownText, text);
    EXPECT_EQ(r.state.assisted, 0);
    EXPECT_EQ(r.calls(), kFinish);
  }
}

TEST_F(EdgeCase, QuotationMarksAndDigitsAreRevealedWithTheirLetters) {
  rig.typingAt(2);  // “Yes,” I'm 42.
  EXPECT_EQ(rig.state.nextTarget, 2);
  for (char c : std::string("yes")) rig.chr(static_cast<unsigned char>(c));  // y for Y
  EXPECT_STREQ(rig.state.shownText, "\x81\x67Yes,\x81\x68 ");
  rig.chr('i');  // a small letter where I is expected is accepted
  EXPECT_STREQ(rig.state.shownText, "\x81\x67Yes,\x81\x68 I'");
  rig.chr('M');  // a capital where m is expected is a miss
  EXPECT_STREQ(rig.state.shownText, "\x81\x67Yes,\x81\x68 I'");
  for (char c : std::string("m42")) rig.chr(static_cast<unsigned char>(c));
  EXPECT_EQ(rig.state.screen, dd::Result);
  EXPECT_STREQ(rig.state.shownText, "\x81\x67Yes,\x81\x68 I'm 42.");
}

}  // namespace
