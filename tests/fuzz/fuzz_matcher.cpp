// The typing matcher on arbitrary 256-byte sentence fields: never reads outside the field, the
// reveal only grows, and it ends with the whole text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "matcher.h"
#include "text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly one field on the heap, so any read past it is caught. It need not hold a zero.
  auto field = std::make_unique<char[]>(dd::kTextSize);
  std::memset(field.get(), 0, dd::kTextSize);
  std::memcpy(field.get(), data, size < dd::kTextSize ? size : dd::kTextSize);
  const auto& text = *reinterpret_cast<const dd::SentenceText*>(field.get());

  dd::DrillState state{};
  dd::resetReveal(state, text);
  if (state.shownText[0] != 0) std::abort();
  const size_t whole = dd::boundedLength(text, dd::kTextSize - 1);
  size_t shown = 0;
  for (int step = 0; step <= dd::kTextSize; ++step) {
    const uint8_t expected = dd::expectedByte(state, text);
    if (state.nextTarget >= 0 && !dd::isTargetChar(expected)) std::abort();
    if (state.nextTarget >= 0 && !dd::keyMatches(expected, expected)) std::abort();
    const bool done = dd::advanceReveal(state, text);
    const size_t now = dd::boundedLength(state.shownText, dd::kTextSize);
    if (now < shown || now >= static_cast<size_t>(dd::kTextSize)) std::abort();
    if (std::memcmp(state.shownText, text, now) != 0) std::abort();
    shown = now;
    if (done) {
      if (now != whole || state.nextTarget != -1) std::abort();
      return 0;
    }
    if (now != static_cast<size_t>(state.nextTarget)) std::abort();
  }
  std::abort();  // more steps than bytes: the reveal did not move on
}
