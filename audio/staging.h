// Copies the sentence recordings out of the resources into the temporary folder, where the
// media control interface can open them by name.
#pragma once

#include <windows.h>

#include <cstdint>

namespace dd {

constexpr int kStagedCount = 8;

struct StagedRecording {
  int32_t resourceId;  // type "MP3"
  char fileName[16];   // appended to the temporary-folder path, leading backslash included
};

// The recordings in the order they are written: slow 001-004, then natural speed 001-004.
extern const StagedRecording stagingTable[kStagedCount];

// The temporary-folder path as GetTempPathA returns it, followed by name. Returns false, with
// path emptied, when GetTempPathA fails or the whole does not fit: never a cut-off name.
bool tempFolderPath(char (&path)[MAX_PATH], const char* name);

// Writes the eight recordings, truncating earlier copies. A file that cannot be created or whose
// path does not fit is skipped; nothing is reported.
void stageRecordings(HINSTANCE instance);

}  // namespace dd
