// Plays the current item's recording through the media control interface, one device at most.
#pragma once

#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>

#include <cstdint>

#include "catalogue.h"
#include "settings.h"

namespace dd {

struct SentencePlayer {
  uint8_t deviceOpen;          // an MCI device is open on pathBuffer
  uint8_t paused;              // paused by togglePause and not resumed or replayed since
  MCI_OPEN_PARMSA openParams;  // MCI_OPEN leaves the device identifier here
  char typeBuffer[32];
  char pathBuffer[MAX_PATH];  // the recording opened last
  // Stays all 0. The seek to the start gets a block too: some drivers refuse the seek without
  // one and would then resume a paused recording instead of restarting it.
  MCI_SEEK_PARMS seekParams;
  MCI_PLAY_PARMS playParams;
  MCI_GENERIC_PARMS closeParams;
};

// Start values: closed, not paused.
void initialisePlayer(SentencePlayer& player);

// Opens the recording of state.currentItem at settings.speed if no device is open, then plays
// the open device from its beginning. A failed open (or a path that does not fit) stays closed.
void play(SentencePlayer& player, const PracticeSettings& settings, const DrillState& state,
          const ItemCatalogue& catalogue);

// Closes the open device, if any, and clears both flags.
void close(SentencePlayer& player);

// Pauses or resumes the open device; nothing when none is open.
void togglePause(SentencePlayer& player);

}  // namespace dd
