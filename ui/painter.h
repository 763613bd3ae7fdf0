// Draws the current screen from the records into a device context; reads, never writes.
#pragma once

#include <windows.h>

#include "layout.h"
#include "records.h"

namespace dd {

// The title drawn on the menu, the same string as the window's caption.
extern const char kWindowTitle[];

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr COLORREF kGrey = RGB(128, 128, 128);

// Runs the whole drawing sequence of records.state.screen with the device context's default
// font, pen and brush; only the text colour is changed. An unknown screen draws nothing.
void paintScreen(HDC dc, const DrillRecords& records, const Layout& layout);

}  // namespace dd
