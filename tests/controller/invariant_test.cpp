// Long seeded streams of every kind of event, with the drill's invariants checked after
// each one. Run under the sanitizers too, where any read or write outside a buffer fails.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "controller.h"
#include "deferred_sound.h"
#include "invariants.h"
#include "matcher.h"
#include "order.h"
#include "rig.h"
#include "text.h"

namespace {

using ddtest::Rig;

// Items beyond the four of the rig, so that some ranges hold texts without targets, a text
// filling its field, and a one-letter text.
std::string longText() {
  std::string text;
  while (text.size() < dd::kTextSize - 1)
    text +=
        "Ab, \x81\x67"
        "c9\x81\x68. ";
  text.resize(dd::kTextSize - 1);
  return text;
}

struct Range {
  int32_t firstLesson, lastLesson;
};
constexpr Range kRanges[] = {{1, 4}, {1, 4}, {1, 1}, {3, 10}, {5, 7}, {1, 419}, {417, 419}};

struct Stream {
  Rig rig;
  std::mt19937 random;
  dd::DrillController controller;  // the rig's drill, with the rig's sound unless told
  int64_t events = 0;
  std::string last;  // the last event, for failure messages

  explicit Stream(uint32_t seed, dd::DrillSound* sound = nullptr)
      : rig(seed),
        random(seed),
        controller{rig.records, rig.host, sound != nullptr ? *sound : rig.sound} {
    const std::string full = longText();
    const char* extra[] = {"",           "...!?",   "\x81\x67Hi,\x81\x68 she said.",
                           full.c_str(), "I'm 42.", "A"};
    for (int i = 0; i < 6; ++i) dd::copyText(rig.records.catalogue.items[4 + i].english, extra[i]);
    rig.host.settingsDialog = &Stream::settingsDialog;
    rig.host.settingsContext = this;
  }

  uint32_t pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); }

  // What the settings dialog may do while it is open: click any option, then OK, which sets
  // the range and the auto-reveal time and recounts the check marks. The range varies here
  // (the real dialog fixes lessons 1 to 4) to walk ranges of one item and of the whole course.
  static void settingsDialog(void* context) {
    Stream& s = *static_cast<Stream*>(context);
    dd::PracticeSettings& settings = s.rig.settings;
    settings.orderMode = static_cast<int32_t>(s.pick(3));
    settings.presentation = static_cast<int32_t>(s.pick(3));
    settings.japaneseStyle = static_cast<int32_t>(s.pick(2));
    settings.speed = static_cast<int32_t>(s.pick(2));
    settings.hitSound = static_cast<int32_t>(s.pick(3));
    settings.missSound = static_cast<int32_t>(s.pick(3));
    settings.timerHidden = static_cast<int32_t>(s.pick(2));
    const int32_t reveal[] = {0, 0, 1, 2, 5, 599, 600};
    settings.autoRevealSeconds = reveal[s.pick(std::size(reveal))];
    const Range range = kRanges[s.pick(std::size(kRanges))];
    settings.rangeFirstLesson = range.firstLesson;
    settings.rangeLastLesson = range.lastLesson;
    s.rig.state.checkedInRange =
        dd::countCheckedInRange(settings, s.rig.records.catalogue, s.rig.state);
  }

  void key(uint32_t virtualKey) { dd::onKeyDown(controller, virtualKey); }
  void chr(uint32_t code) { dd::onChar(controller, code); }
  void tick() { dd::onTick(controller); }

  void step() {
    ++events;
    const uint32_t roll = pick(100);
    if (roll < 30) {
      // The expected character, or a letter when nothing is expected.
      const uint8_t expected = rig.expected();
      const uint32_t code = expected != 0 ? expected : 'a' + pick(26);
      last = "hit " + std::to_string(code);
      chr(code);
    } else if (roll < 38) {
      const uint32_t codes[] = {'a',  'Z',  '0',  '9',  'q',  'P',  0x0D,        0x09,
                                0x08, 0x1B, 0x20, '.',  0x81, 0xFF, 0x100 + 'a', 0x15C,
                                '\'', 0,    '\\', 0x67, 0x68, 0x7F};
      const uint32_t code = codes[pick(std::size(codes))];
      last = "char " + std::to_string(code);
      chr(code);
    } else if (roll < 43) {
      last = "hint";
      chr(dd::kCharBackslash);
    } else if (roll < 68) {
      const uint32_t keys[] = {dd::kKeyReturn,
                               dd::kKeyReturn,
                               dd::kKeyReturn,
                               dd::kKeyBack,
                               dd::kKeyBack,
                               dd::kKeyTab,
                               dd::kKeyControl,
                               dd::kKeyEscape,
                               dd::kKeySpace,
                               dd::kKeyDelete,
                               'A',
                               0x70,
                               0xDC,
                               0x10};
      const uint32_t vk = keys[pick(std::size(keys))];
      last = "key " + std::to_string(vk);
      key(vk);
    } else if (roll < 97) {
      // The tick comes only while it runs; time passes either way.
      rig.host.clock += 90 + pick(21);
      last = "tick at " + std::to_string(rig.host.clock);
      if (rig.host.tickRunning) tick();
    } else {
      const uint32_t jumps[] = {0u - 5000u, 0u - 1u,     600000u,     599001u,
                                3600000u,   0x80000000u, 0x7FFFFFFFu, 0u - rig.host.clock - 50u};
      rig.host.clock += jumps[pick(std::size(jumps))];
      last = "clock " + std::to_string(rig.host.clock);
    }
  }

  // Every invariant, as a failure message naming the first one broken; empty when all hold.
  std::string broken() const {
    const char* fault = ddtest::brokenInvariant(*rig.fake);
    return fault == nullptr ? "" : fault;
  }
};

TEST(Invariants, HoldOverLongRandomStreams) {
  constexpr int kStreams = 6;
  constexpr int kEventsPerStream = 20000;
  int64_t total = 0;
  int results = 0;
  int menus = 0;
  for (uint32_t seed = 1; seed <= kStreams; ++seed) {
    Stream stream(seed);
    stream.rig.settings.orderMode = static_cast<int32_t>(seed % 3);
    stream.rig.settings.presentation = static_cast<int32_t>((seed / 3) % 3);
    for (int i = 0; i < kEventsPerStream; ++i) {
      const dd::Screen before = stream.rig.state.screen;
      stream.rig.clearCalls();
      stream.step();
      const std::string fault = stream.broken();
      ASSERT_EQ(fault, "") << "seed " << seed << ", event " << i << ": " << stream.last;
      results += before == dd::Typing && stream.rig.state.screen == dd::Result;
      menus += before != dd::Menu && stream.rig.state.screen == dd::Menu;
    }
    total += stream.events;
  }
  EXPECT_GE(total, 100000);
  // The stream must really walk the drill, not sit on one screen.
  EXPECT_GT(results, 1000);
  EXPECT_GT(menus, 1000);
}

// What a sound operation reads of the drill when it is called: the item and its recording's
// speed, and the clip settings.
struct SoundCall {
  char operation;
  int32_t item, speed, hitSound, missSound;
  bool operator==(const SoundCall&) const = default;
};

class ReadingSound final : public dd::DrillSound {
 public:
  void play() override { add('p'); }
  void close() override { add('c'); }
  void togglePause() override { add('t'); }
  void playHit() override { add('h'); }
  void playMiss() override { add('m'); }
  const dd::DrillRecords* records = nullptr;  // the drill it reads, set once it exists
  std::vector<SoundCall> calls;

 private:
  void add(char operation) {
    const dd::PracticeSettings& s = records->settings;
    calls.push_back({operation, records->state.currentItem, s.speed, s.hitSound, s.missSound});
  }
};

// The window starts the sound an event asked for only after the event (and its paint): held
// until then, every operation must still see the drill as it was when the drill called it.
TEST(DeferredSound, HeldOperationsSeeWhatTheyWouldHaveSeenAtOnce) {
  constexpr int kEvents = 30000;
  for (uint32_t seed = 1; seed <= 2; ++seed) {
    // Both streams walk the same events from the same seed.
    ReadingSound direct;
    Stream atOnce(seed, &direct);
    direct.records = &atOnce.rig.records;
    ReadingSound target;
    dd::DeferredSound deferred(target);
    Stream held(seed, &deferred);
    target.records = &held.rig.records;
    int64_t operations = 0;
    for (int i = 0; i < kEvents; ++i) {
      direct.calls.clear();
      target.calls.clear();
      atOnce.step();
      held.step();
      EXPECT_TRUE(target.calls.empty()) << "started before the event was over: " << held.last;
      deferred.flush();
      ASSERT_EQ(target.calls, direct.calls)
          << "seed " << seed << ", event " << i << ": " << held.last;
      operations += static_cast<int64_t>(direct.calls.size());
    }
    EXPECT_GT(operations, kEvents / 4);
  }
}

}  // namespace
