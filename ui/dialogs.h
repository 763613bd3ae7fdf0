// The two modal dialogs opened from the menu screen: settings (template 103) and the progress
// tally (template 124).
#pragma once

#include <windows.h>

#include "records.h"

namespace dd {

// The records the dialogs read and write; set once before either dialog can open.
void attachDialogRecords(DrillRecords& records);

// Loads the common controls and registers the up-down control class the settings dialog uses,
// so the dialog can be made on every system. The first call does it, later calls nothing.
void prepareDialogControls();

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Sets a Shift-JIS text into a window through the wide call, so it reads the same on every
// system code page.
void setShiftJisText(HWND window, const char* text);

}  // namespace dd
