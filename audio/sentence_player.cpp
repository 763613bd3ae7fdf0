#include "sentence_player.h"

#include "staging.h"
#include "text.h"

namespace dd {

void initialisePlayer(SentencePlayer& player) {
  player.deviceOpen = 0;
  player.paused = 0;
}

namespace {

// The staged file of the item at the speed; false when the path does not fit.
bool buildRecordingPath(SentencePlayer& player, int32_t speed, const char* id) {
  if (tempFolderPath(player.pathBuffer, speedPrefix[speed]) &&
      appendWhole(player.pathBuffer, MAX_PATH, id) &&
      appendWhole(player.pathBuffer, MAX_PATH, ".mp3")) {
    return true;
  }
  player.pathBuffer[0] = 0;
  return false;
}

}  // namespace

void play(SentencePlayer& player, const PracticeSettings& settings, const DrillState& state,
          const ItemCatalogue& catalogue) {
  if (!player.deviceOpen) {
    copyText(player.typeBuffer, "MPEGVIDEO");
    player.openParams.lpstrDeviceType = player.typeBuffer;
    if (!buildRecordingPath(player, settings.speed, catalogue.items[state.currentItem].id)) return;
    player.openParams.lpstrElementName = player.pathBuffer;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                        reinterpret_cast<DWORD_PTR>(&player.openParams)) != 0) {
      return;
    }
    player.deviceOpen = 1;
  }
  MCIDEVICEID device = player.openParams.wDeviceID;
  mciSendCommandA(device, MCI_SEEK, MCI_SEEK_TO_START,
                  reinterpret_cast<DWORD_PTR>(&player.seekParams));
  mciSendCommandA(device, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&player.playParams));
  player.paused = 0;
}

void close(SentencePlayer& player) {
  if (!player.deviceOpen) return;
  mciSendCommandA(player.openParams.wDeviceID, MCI_CLOSE, 0,
                  reinterpret_cast<DWORD_PTR>(&player.closeParams));
  player.deviceOpen = 0;
  player.paused = 0;
}

void togglePause(SentencePlayer& player) {
  if (!player.deviceOpen) return;
  MCIDEVICEID device = player.openParams.wDeviceID;
  if (player.paused) {
    mciSendCommandA(device, MCI_RESUME, 0, 0);
    player.paused = 0;
  } else {
    mciSendCommandA(device, MCI_PAUSE, 0, 0);
    player.paused = 1;
  }
}

}  // namespace dd
