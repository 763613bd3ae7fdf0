// Bounded byte-string helpers: every copy fits its destination and ends with a zero byte.
#pragma once

#include <cstddef>

namespace dd {

// Copies src into dst (capacity cap bytes), cutting it short if needed; dst always ends with 0.
inline void copyText(char* dst, std::size_t cap, const char* src) {
  if (cap == 0) return;
  std::size_t i = 0;
  for (; i + 1 < cap && src[i] != 0; ++i) dst[i] = src[i];
  dst[i] = 0;
}

template <std::size_t N>
inline void copyText(char (&dst)[N], const char* src) {
  copyText(dst, N, src);
}

// Length of a zero-terminated text held in a buffer of cap bytes, never looking past it.
inline std::size_t boundedLength(const char* text, std::size_t cap) {
  std::size_t n = 0;
  while (n < cap && text[n] != 0) ++n;
  return n;
}

// Appends src to the text in dst; returns false (and leaves dst unchanged) when the result
// would not fit, so a caller never works on a cut-off name.
inline bool appendWhole(char* dst, std::size_t cap, const char* src) {
  std::size_t used = boundedLength(dst, cap);
  if (used >= cap) return false;
  std::size_t add = 0;
  while (src[add] != 0) ++add;
  if (used + add + 1 > cap) return false;
  for (std::size_t i = 0; i <= add; ++i) dst[used + i] = src[i];
  return true;
}

}  // namespace dd
