// Bounded byte-string helpers: every copy fits its destination and ends with a zero byte.
#pragma once

#include <cstddef>
#include <cstring>

namespace dd {

// Copies src into dst (capacity cap bytes), cutting it short if needed; dst always ends with 0.
inline void copyText(char* dst, std::size_t cap, const char* src);

template <std::size_t N>
inline void copyText(char (&dst)[N], const char* src) {
  copyText(dst, N, src);
}

// Length of a zero-terminated text held in a buffer of cap bytes, never looking past it.
// memchr stops at the first zero it finds, so it never reads past a shorter text.
inline std::size_t boundedLength(const char* text, std::size_t cap) {
  const void* end = std::memchr(text, 0, cap);
  return end == nullptr ? cap : static_cast<std::size_t>(static_cast<const char*>(end) - text);
}

inline void copyText(char* dst, std::size_t cap, const char* src) {
  if (cap == 0) return;
  const std::size_t n = boundedLength(src, cap - 1);
  std::memmove(dst, src, n);
  dst[n] = 0;
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
