// The dictation rules: which bytes are typed, which key is accepted, how much is revealed.
#pragma once

#include <cstdint>

#include "catalogue.h"
#include "settings.h"

namespace dd {

using SentenceText = char[kTextSize];

// The per-key predicates are inline: every keystroke runs them, and a call each would cost more
// than the judging itself.

// True for the ASCII digits and letters, the only characters a learner types.
inline bool isTargetChar(uint32_t code) {
  const uint32_t upper = code & ~uint32_t{0x20};
  return code - '0' <= 9 || (code < 0x80 && upper - 'A' <= 'Z' - 'A');
}

// Index of the first letter or digit at or after start, stepping over the two-byte quotation
// marks; -1 at the end of the text or of the 256-byte field.
int32_t findNextTarget(const SentenceText& text, int32_t start);

// True when typed is accepted for the expected byte: the byte itself, or the small letter
// where a capital is expected.
inline bool keyMatches(uint32_t typed, uint8_t expected) {
  // A small letter stands for its capital; the reverse is a miss.
  const bool capital = expected - uint32_t{'A'} <= 'Z' - 'A';
  return expected != 0 && (typed == expected || (capital && typed == expected + uint32_t{32}));
}

// The byte the learner must type next, or 0 when nothing is left (no key matches 0).
inline uint8_t expectedByte(const DrillState& state, const SentenceText& text) {
  const int32_t target = state.nextTarget;
  return target < 0 || target >= kTextSize ? 0 : static_cast<uint8_t>(text[target]);
}

// Starts a reveal: nothing shown, the first letter or digit expected.
void resetReveal(DrillState& state, const SentenceText& text);

// Reveals the expected target and everything up to the following one; true when the whole
// text is shown.
bool advanceReveal(DrillState& state, const SentenceText& text);

}  // namespace dd
