// Drives the real sentence player and key sounds for sound_check.py, one command per line on
// standard input, one answer line per command on standard output:
//   stage | item ITEM SPEED | play | close | toggle | hit CODE | miss CODE
//   | emptytemp | status | quit
// Every answer is "ok open=O paused=P device=D mode=M pos=MS devices=N temp=TEMP path=PATH":
// the player's flags and path, the mode, position and number of open devices as the media
// control interface reports them (-1 when there is no device to ask), and GetTempPathA.
#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "key_sounds.h"
#include "records.h"
#include "sentence_player.h"
#include "staging.h"

namespace {

long statusItem(MCIDEVICEID device, DWORD item) {
  MCI_STATUS_PARMS status{};
  status.dwItem = item;
  if (mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status))) {
    return -1;
  }
  return static_cast<long>(status.dwReturn);
}

long openDevices() {
  MCI_SYSINFO_PARMSA info{};
  DWORD count = 0;
  info.lpstrReturn = reinterpret_cast<char*>(&count);
  info.dwRetSize = sizeof count;
  if (mciSendCommandA(MCI_ALL_DEVICE_ID, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN,
                      reinterpret_cast<DWORD_PTR>(&info))) {
    return -1;
  }
  return static_cast<long>(count);
}

void answer(const dd::SentencePlayer& player) {
  MCIDEVICEID device = player.openParams.wDeviceID;
  long mode = player.deviceOpen ? statusItem(device, MCI_STATUS_MODE) : -1;
  long pos = player.deviceOpen ? statusItem(device, MCI_STATUS_POSITION) : -1;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::printf("ok open=%d paused=%d device=%u mode=%ld pos=%ld devices=%ld temp=%s path=%s\n",
              player.deviceOpen, player.paused, player.deviceOpen ? device : 0u, mode, pos,
              openDevices(), temp, player.pathBuffer);
  std::fflush(stdout);
}

// Points TMP and TEMP at a new empty folder, so that no recording is found there.
void useEmptyTemp() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  char name[64];
  std::snprintf(name, sizeof name, "dd-empty-%lu",
                static_cast<unsigned long>(GetCurrentProcessId()));
  std::strncat(folder, name, MAX_PATH - std::strlen(folder) - 1);
  CreateDirectoryA(folder, nullptr);
  SetEnvironmentVariableA("TMP", folder);
  SetEnvironmentVariableA("TEMP", folder);
}

}  // namespace

int main() {
  HINSTANCE self = GetModuleHandleA(nullptr);
  auto records = std::make_unique<dd::DrillRecords>();
  dd::initialiseRecords(*records, 1);
  auto player = std::make_unique<dd::SentencePlayer>();
  dd::initialisePlayer(*player);

  char line[256];
  while (std::fgets(line, sizeof line, stdin)) {
    char command[32] = {};
    int a = 0, b = 0;
    std::sscanf(line, "%31s %d %d", command, &a, &b);
    if (!std::strcmp(command, "stage")) {
      dd::stageRecordings(self);
    } else if (!std::strcmp(command, "item")) {
      records->state.currentItem = a;
      records->settings.speed = b;
    } else if (!std::strcmp(command, "play")) {
      dd::play(*player, records->settings, records->state, records->catalogue);
    } else if (!std::strcmp(command, "close")) {
      dd::close(*player);
    } else if (!std::strcmp(command, "toggle")) {
      dd::togglePause(*player);
    } else if (!std::strcmp(command, "hit")) {
      records->settings.hitSound = a;
      dd::playHit(self, records->settings);
    } else if (!std::strcmp(command, "miss")) {
      records->settings.missSound = a;
      dd::playMiss(self, records->settings);
    } else if (!std::strcmp(command, "emptytemp")) {
      useEmptyTemp();
    } else if (!std::strcmp(command, "quit")) {
      break;
    } else if (std::strcmp(command, "status")) {
      std::printf("error unknown command %s\n", command);
      std::fflush(stdout);
      continue;
    }
    answer(*player);
  }
  // Wine ends a process that exits with an MCI device open with a crash.
  dd::close(*player);
  std::printf("bye\n");
  std::fflush(stdout);
  return 0;
}
