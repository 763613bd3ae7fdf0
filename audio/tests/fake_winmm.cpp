#include "fake_winmm.h"

#include <cstring>

namespace fake {

Winmm winmm;

namespace {
// The clip thread records its calls while a test reads them.
SRWLOCK soundsLock = SRWLOCK_INIT;
}  // namespace

void reset() { winmm = Winmm{}; }

std::vector<SoundCall> soundsSoFar() {
  AcquireSRWLockExclusive(&soundsLock);
  std::vector<SoundCall> copy = winmm.sounds;
  ReleaseSRWLockExclusive(&soundsLock);
  return copy;
}

namespace {

template <typename Block>
bool allZero(DWORD_PTR params) {
  if (params == 0) return false;
  Block zero{};
  return std::memcmp(reinterpret_cast<const void*>(params), &zero, sizeof(Block)) == 0;
}

MCIERROR WINAPI recordMci(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
  MciCall call{device, message, flags, params, false, {}, {}, 0, 0, 0, 0};
  if (message == MCI_SEEK) call.blockZero = allZero<MCI_SEEK_PARMS>(params);
  if (message == MCI_PLAY) call.blockZero = allZero<MCI_PLAY_PARMS>(params);
  if (message == MCI_CLOSE) call.blockZero = allZero<MCI_GENERIC_PARMS>(params);
  MCIERROR result = 0;
  if (message == MCI_OPEN && params != 0) {
    auto* open = reinterpret_cast<MCI_OPEN_PARMSA*>(params);
    call.typeField = reinterpret_cast<DWORD_PTR>(open->lpstrDeviceType);
    call.elementField = reinterpret_cast<DWORD_PTR>(open->lpstrElementName);
    if (open->lpstrDeviceType) call.type = open->lpstrDeviceType;
    if (open->lpstrElementName) call.element = open->lpstrElementName;
    call.callback = open->dwCallback;
    call.alias = reinterpret_cast<DWORD_PTR>(open->lpstrAlias);
    result = winmm.openResult;
    if (result == 0) open->wDeviceID = kDeviceId;
  }
  winmm.mci.push_back(call);
  return result;
}

BOOL WINAPI recordSound(LPCSTR name, HMODULE module, DWORD flags) {
  AcquireSRWLockExclusive(&soundsLock);
  winmm.sounds.push_back({reinterpret_cast<DWORD_PTR>(name), module, flags, GetCurrentThreadId()});
  ReleaseSRWLockExclusive(&soundsLock);
  return TRUE;
}

}  // namespace

}  // namespace fake

// The import slots the compiler calls through; defining them here keeps the real ones out.
extern "C" {
decltype(&mciSendCommandA) __imp_mciSendCommandA = fake::recordMci;
decltype(&PlaySoundA) __imp_PlaySoundA = fake::recordSound;
}
