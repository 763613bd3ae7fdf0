// The controller on arbitrary event streams, with the drill's invariants after every event.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "controller.h"
#include "invariants.h"
#include "matcher.h"
#include "recording_fakes.h"
#include "text.h"

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool more() const { return pos < size; }
  uint8_t byte() { return pos < size ? data[pos++] : 0; }
  uint32_t word() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w = (w << 8) | byte();
    return w;
  }
};

struct Session {
  ddtest::FakeDrill drill{0};
  Input* input = nullptr;

  // What the settings dialog can do while open: any option, then OK over some range.
  static void dialog(void* context) {
    Session& s = *static_cast<Session*>(context);
    dd::PracticeSettings& settings = s.drill.records.settings;
    const uint8_t a = s.input->byte();
    const uint8_t b = s.input->byte();
    settings.orderMode = a % 3;
    settings.presentation = (a / 3) % 3;
    settings.japaneseStyle = (a / 9) % 2;
    settings.speed = (a / 18) % 2;
    settings.hitSound = b % 3;
    settings.missSound = (b / 3) % 3;
    settings.timerHidden = (b / 9) % 2;
    settings.autoRevealSeconds = s.input->byte() % 8;  // short enough to be reached
    const int32_t first = 1 + s.input->byte() % 8;
    settings.rangeFirstLesson = first;
    settings.rangeLastLesson = first + s.input->byte() % 4;
    s.drill.records.state.checkedInRange =
        dd::countCheckedInRange(settings, s.drill.records.catalogue, s.drill.records.state);
  }
};

const uint32_t kKeys[] = {dd::kKeyBack,   dd::kKeyTab,   dd::kKeyReturn, dd::kKeyControl,
                          dd::kKeyEscape, dd::kKeySpace, dd::kKeyDelete, 0x41};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto session = std::make_unique<Session>();
  Session& s = *session;
  s.drill.~FakeDrill();
  new (&s.drill) ddtest::FakeDrill(0);
  // A few odd texts beside the demo sentences: none to type, a full field, one letter.
  dd::copyText(s.drill.records.catalogue.items[4].english, "...!?");
  dd::copyText(s.drill.records.catalogue.items[6].english, "A");
  for (int i = 0; i < dd::kTextSize - 1; ++i) s.drill.records.catalogue.items[7].english[i] = 'x';
  Input input{data, size};
  s.input = &input;
  s.drill.host.settingsDialog = &Session::dialog;
  s.drill.host.settingsContext = &s;
  s.drill.host.clock = 1000;
  while (input.more()) {
    const uint8_t op = input.byte();
    s.drill.log.clear();
    switch (op % 6) {
      case 0:
        dd::onKeyDown(s.drill.controller, kKeys[(op / 6) % 8]);
        break;
      case 1:
        dd::onChar(s.drill.controller, input.byte());
        break;
      case 2: {
        const uint8_t expected = dd::expectedByte(
            s.drill.records.state,
            s.drill.records.catalogue.items[s.drill.records.state.currentItem].english);
        dd::onChar(s.drill.controller, expected != 0 ? expected : 'a');
        break;
      }
      case 3:
        s.drill.host.clock += 100;
        if (s.drill.host.tickRunning) dd::onTick(s.drill.controller);
        break;
      case 4:
        s.drill.host.clock += input.word();
        break;
      default:
        dd::onChar(s.drill.controller, dd::kCharBackslash);
        break;
    }
    if (const char* fault = ddtest::brokenInvariant(s.drill)) {
      std::fprintf(stderr, "invariant broken: %s\n", fault);
      std::abort();
    }
  }
  return 0;
}
