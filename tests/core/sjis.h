// Test helpers for walking Shift-JIS byte strings.
#pragma once

#include <cstdint>
#include <cstring>

namespace ddtest {

inline bool isLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Counts occurrences of one double-byte character, stepping over whole characters.
inline int countDoubleByte(const char* text, uint8_t lead, uint8_t trail) {
  int count = 0;
  for (size_t i = 0; text[i] != 0;) {
    const uint8_t b = static_cast<uint8_t>(text[i]);
    if (isLeadByte(b) && text[i + 1] != 0) {
      if (b == lead && static_cast<uint8_t>(text[i + 1]) == trail) ++count;
      i += 2;
    } else {
      i += 1;
    }
  }
  return count;
}

// Letters and digits a learner types, counted independently of the matcher.
inline int countTyped(const char* text) {
  int count = 0;
  for (size_t i = 0; text[i] != 0;) {
    const uint8_t b = static_cast<uint8_t>(text[i]);
    if (isLeadByte(b) && text[i + 1] != 0) {
      i += 2;
      continue;
    }
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) ++count;
    i += 1;
  }
  return count;
}

}  // namespace ddtest
