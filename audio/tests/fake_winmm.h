// A recording stand-in for the two winmm entry points the audio code calls. Linked into the
// call-order tests only: it replaces the import slots, so the code under test is unchanged.
#pragma once

#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>

#include <string>
#include <vector>

namespace fake {

constexpr MCIDEVICEID kDeviceId = 7;  // what a successful MCI_OPEN hands out

struct MciCall {
  MCIDEVICEID device;
  UINT message;
  DWORD_PTR flags;
  DWORD_PTR params;
  bool blockZero;       // PLAY and CLOSE: the whole block was 0 when sent
  std::string type;     // MCI_OPEN: device-type text
  std::string element;  // MCI_OPEN: element-name text
  DWORD_PTR typeField;  // MCI_OPEN: the pointers themselves
  DWORD_PTR elementField;
  DWORD_PTR callback;  // MCI_OPEN: callback and alias fields
  DWORD_PTR alias;
};

struct SoundCall {
  DWORD_PTR name;
  HMODULE module;
  DWORD flags;
  DWORD thread;  // the thread that made the call
};

struct Winmm {
  std::vector<MciCall> mci;
  std::vector<SoundCall> sounds;
  MCIERROR openResult = 0;
};

// Cleared by each test before use.
extern Winmm winmm;

void reset();

// The sound calls so far, read safely while another thread may be making one.
std::vector<SoundCall> soundsSoFar();

}  // namespace fake
