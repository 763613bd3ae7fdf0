// DictaDrill's entry point. Every record of the program lives here, once, for the whole run.
#include <windows.h>

#include "dialogs.h"
#include "main_window.h"
#include "win_sound.h"

namespace {

dd::ProgramRecords program;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  program.instance = instance;
  static dd::WinSound sound(instance, program.records);
  program.sound = &sound;
  program.settingsDialog = dd::settingsDialogProc;
  program.progressDialog = dd::progressDialogProc;
  dd::attachDialogRecords(program.records);
  sound.startClipThread();
  const int exitCode = dd::runProgram(program, instance, showCommand);
  sound.stopClipThread();
  return exitCode;
}
