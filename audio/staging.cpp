#include "staging.h"

#include "resource_ids.h"
#include "text.h"

namespace dd {

const StagedRecording stagingTable[kStagedCount] = {
    {IDR_MP3_SLOW_001, "\\S001.mp3"},    {IDR_MP3_SLOW_002, "\\S002.mp3"},
    {IDR_MP3_SLOW_003, "\\S003.mp3"},    {IDR_MP3_SLOW_004, "\\S004.mp3"},
    {IDR_MP3_NATURAL_001, "\\N001.mp3"}, {IDR_MP3_NATURAL_002, "\\N002.mp3"},
    {IDR_MP3_NATURAL_003, "\\N003.mp3"}, {IDR_MP3_NATURAL_004, "\\N004.mp3"},
};

bool tempFolderPath(char (&path)[MAX_PATH], const char* name) {
  DWORD length = GetTempPathA(MAX_PATH, path);
  // 0 is a failure; MAX_PATH or more is the size a longer folder would need.
  if (length == 0 || length >= MAX_PATH || !appendWhole(path, MAX_PATH, name)) {
    path[0] = 0;
    return false;
  }
  return true;
}

void stageRecordings(HINSTANCE instance) {
  char path[MAX_PATH];
  for (const StagedRecording& row : stagingTable) {
    bool fits = tempFolderPath(path, "");
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(row.resourceId), "MP3");
    DWORD size = SizeofResource(instance, resource);
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* bytes = LockResource(loaded);
    // Without its recording a row has nothing to write: the file another copy staged, and may
    // be playing, is worth more than an empty one.
    if (bytes == nullptr || size == 0) continue;
    if (!fits || !appendWhole(path, MAX_PATH, row.fileName)) continue;
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, size, &written, nullptr);
    CloseHandle(file);
  }
}

}  // namespace dd
