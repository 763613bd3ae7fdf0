// The one top-level window: class registration, creation, message loop and window procedure.
#pragma once

#include <windows.h>

#include "host.h"
#include "layout.h"
#include "records.h"

namespace dd {

// Everything the program keeps for its whole life. The program owns one; tests make their own.
struct ProgramRecords {
  DrillRecords records;
  Layout layout;
  HINSTANCE instance;
  DrillSound* sound;
  // Dialog procedures for the settings (103) and progress (124) templates.
  DLGPROC settingsDialog;
  DLGPROC progressDialog;
};

constexpr char kWindowClassName[] = "DictaDrill";
constexpr int kWindowWidth = 550;
constexpr int kWindowHeight = 350;

// The records the window procedure works on; set before the window is created.
void attachProgram(ProgramRecords& program);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window class; false when the system refuses it.
bool registerMainWindowClass(HINSTANCE instance);

// Creates the window; WM_CREATE initialises every record inside this call.
HWND createMainWindow(HINSTANCE instance);

// The entry point's work: stores the instance, registers, creates, shows and runs the loop.
// Returns the process exit code.
int runProgram(ProgramRecords& program, HINSTANCE instance, int showCommand);

}  // namespace dd
