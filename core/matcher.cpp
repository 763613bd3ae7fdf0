#include "matcher.h"

#include <cstring>

#include "text.h"

namespace dd {

namespace {
constexpr uint8_t kDoubleByteLead = 0x81;
constexpr uint8_t kOpenQuoteTrail = 0x67;
constexpr uint8_t kCloseQuoteTrail = 0x68;
}  // namespace

bool isTargetChar(uint32_t code) {
  return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
         (code >= 'a' && code <= 'z');
}

int32_t findNextTarget(const SentenceText& text, int32_t start) {
  int32_t i = start < 0 ? 0 : start;
  while (i < kTextSize) {
    const uint8_t byte = static_cast<uint8_t>(text[i]);
    if (byte == 0) return -1;
    if (isTargetChar(byte)) return i;
    const bool hasTrail = i + 1 < kTextSize;
    const uint8_t trail = hasTrail ? static_cast<uint8_t>(text[i + 1]) : 0;
    if (byte == kDoubleByteLead && (trail == kOpenQuoteTrail || trail == kCloseQuoteTrail)) {
      i += 2;
    } else {
      i += 1;
    }
  }
  return -1;
}

bool keyMatches(uint32_t typed, uint8_t expected) {
  if (expected == 0) return false;
  if (typed == expected) return true;
  // A small letter stands for its capital; the reverse is a miss.
  return expected >= 'A' && expected <= 'Z' && typed == static_cast<uint32_t>(expected) + 32;
}

uint8_t expectedByte(const DrillState& state, const SentenceText& text) {
  if (state.nextTarget < 0 || state.nextTarget >= kTextSize) return 0;
  return static_cast<uint8_t>(text[state.nextTarget]);
}

void resetReveal(DrillState& state, const SentenceText& text) {
  state.shownText[0] = 0;
  state.nextTarget = findNextTarget(text, 0);
}

bool advanceReveal(DrillState& state, const SentenceText& text) {
  // shownText already holds the text before the old target (or nothing at the start of an
  // attempt), so only the newly revealed bytes are copied: a hit costs a few bytes, not 256.
  const int32_t oldTarget = state.nextTarget;
  const int32_t from = oldTarget <= 0 || state.shownText[0] == 0 ? 0 : oldTarget;
  state.nextTarget = oldTarget < 0 ? -1 : findNextTarget(text, oldTarget + 1);
  const int32_t to = state.nextTarget != -1
                         ? state.nextTarget
                         : static_cast<int32_t>(boundedLength(text, kTextSize - 1));
  if (to > from) std::memcpy(state.shownText + from, text + from, static_cast<size_t>(to - from));
  state.shownText[to] = 0;
  return state.nextTarget == -1;
}

}  // namespace dd
