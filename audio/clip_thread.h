// Starts the key clips on a thread of its own, so the window never waits for the sound system:
// under Wine, starting a clip waits for the one before it to stop (3 to 12 ms a key).
#pragma once

#include <windows.h>

namespace dd {

class ClipThread {
 public:
  ClipThread() = default;
  ~ClipThread() { stop(); }
  ClipThread(const ClipThread&) = delete;
  ClipThread& operator=(const ClipThread&) = delete;

  // Starts the thread; false when it cannot be had (the caller then starts clips itself).
  bool start(HINSTANCE instance);

  // True between a successful start and stop.
  bool running() const { return thread_ != nullptr; }

  // Asks for the clip with this wave resource id (not 0) and returns at once. A request the
  // thread has not taken yet is replaced: the newer clip would cut it off at once anyway.
  void request(int clipId);

  // Ends the thread once it has started the clip it is on; harmless when none runs.
  void stop();

  // How many clips the thread has handed to the sound system so far.
  LONG clipsStarted() const { return InterlockedCompareExchange(&clipsStarted_, 0, 0); }

 private:
  static DWORD WINAPI run(void* self);

  HINSTANCE instance_ = nullptr;
  HANDLE thread_ = nullptr;
  HANDLE wake_ = nullptr;
  mutable volatile LONG clipsStarted_ = 0;
  volatile LONG requested_ = 0;  // the clip id asked for and not yet taken; 0 for none
  volatile LONG stopping_ = 0;
};

}  // namespace dd
