// Shift-JIS texts shown through the wide-character calls, so Japanese reads correctly
// whatever the system's ANSI code page is.
#pragma once

#include <windows.h>

namespace dd {

constexpr UINT kShiftJisCodePage = 932;
// Longest text the program shows: a key-help line.
constexpr int kWideTextCapacity = 512;

// Converts length bytes of Shift-JIS into wide (capacity wide characters at most); returns the
// number of wide characters written, 0 for an empty or unconvertible text.
int shiftJisToWide(const char* text, int length, wchar_t* wide, int capacity);

// DrawTextW of a Shift-JIS text of exact byte length, with the given format flags.
void drawShiftJis(HDC dc, const char* text, int length, const RECT& rect, UINT format);

}  // namespace dd
