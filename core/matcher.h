// The dictation rules: which bytes are typed, which key is accepted, how much is revealed.
#pragma once

#include <cstdint>

#include "catalogue.h"
#include "settings.h"

namespace dd {

using SentenceText = char[kTextSize];

// True for the ASCII digits and letters, the only characters a learner types.
bool isTargetChar(uint32_t code);

// Index of the first letter or digit at or after start, stepping over the two-byte quotation
// marks; -1 at the end of the text or of the 256-byte field.
int32_t findNextTarget(const SentenceText& text, int32_t start);

// True when typed is accepted for the expected byte: the byte itself, or the small letter
// where a capital is expected.
bool keyMatches(uint32_t typed, uint8_t expected);

// The byte the learner must type next, or 0 when nothing is left (no key matches 0).
uint8_t expectedByte(const DrillState& state, const SentenceText& text);

// Starts a reveal: nothing shown, the first letter or digit expected.
void resetReveal(DrillState& state, const SentenceText& text);

// Reveals the expected target and everything up to the following one; true when the whole
// text is shown.
bool advanceReveal(DrillState& state, const SentenceText& text);

}  // namespace dd
