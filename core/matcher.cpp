#include "matcher.h"

#include <cstring>

#include "text.h"

namespace dd {

namespace {
constexpr uint8_t kDoubleByteLead = 0x81;
constexpr uint8_t kOpenQuoteTrail = 0x67;
constexpr uint8_t kCloseQuoteTrail = 0x68;
}  // namespace

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

void resetReveal(DrillState& state, const SentenceText& text) {
  state.shownText[0] = 0;
  state.nextTarget = findNextTarget(text, 0);
}

bool advanceReveal(DrillState& state, const SentenceText& text) {
  // shownText already holds the text before the old target (or nothing at the start of an
  // attempt), so only the newly revealed bytes are copied: a hit costs a few bytes, not 256.
  const int32_t oldTarget = state.nextTarget;
  const int32_t from = oldTarget <= 0 || state.shownText[0] == 0 ? 0 : oldTarget;
  // Kept in a local: the byte stores below could alias the field, which the compiler would
  // then read back.
  const int32_t next = oldTarget < 0 ? -1 : findNextTarget(text, oldTarget + 1);
  state.nextTarget = next;
  const int32_t to = next != -1 ? next : static_cast<int32_t>(boundedLength(text, kTextSize - 1));
  // Nearly every reveal is a letter or a word's end: one fixed 16-byte copy is cheaper than a
  // copy of the exact length. The bytes past the terminator are not part of the shown text.
  constexpr int32_t kChunk = 16;
  if (to > from && to - from <= kChunk && from + kChunk <= kTextSize) {
    std::memcpy(state.shownText + from, text + from, kChunk);
  } else if (to > from) {
    std::memcpy(state.shownText + from, text + from, static_cast<size_t>(to - from));
  }
  state.shownText[to] = 0;
  return next == -1;
}

}  // namespace dd
