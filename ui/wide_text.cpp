#include "wide_text.h"

namespace dd {

int shiftJisToWide(const char* text, int length, wchar_t* wide, int capacity) {
  if (length <= 0 || capacity <= 0) return 0;
  return MultiByteToWideChar(kShiftJisCodePage, 0, text, length, wide, capacity);
}

void drawShiftJis(HDC dc, const char* text, int length, const RECT& rect, UINT format) {
  wchar_t wide[kWideTextCapacity];
  int count = shiftJisToWide(text, length, wide, kWideTextCapacity);
  RECT area = rect;
  DrawTextW(dc, wide, count, &area, format);
}

}  // namespace dd
