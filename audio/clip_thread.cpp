#include "clip_thread.h"

#include "key_sounds.h"

namespace dd {

namespace {
constexpr DWORD kStopWaitMs = 2000;
}  // namespace

bool ClipThread::start(HINSTANCE instance) {
  if (thread_ != nullptr) return true;
  instance_ = instance;
  stopping_ = 0;
  requested_ = 0;
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (wake_ == nullptr) return false;
  thread_ = CreateThread(nullptr, 0, &ClipThread::run, this, 0, nullptr);
  if (thread_ == nullptr) {
    CloseHandle(wake_);
    wake_ = nullptr;
    return false;
  }
  return true;
}

void ClipThread::request(int clipId) {
  if (thread_ == nullptr || clipId == 0) return;
  InterlockedExchange(&requested_, clipId);
  SetEvent(wake_);
}

void ClipThread::stop() {
  if (thread_ == nullptr) return;
  InterlockedExchange(&stopping_, 1);
  SetEvent(wake_);
  // Bounded: a sound system that never returns must not keep the program from ending.
  WaitForSingleObject(thread_, kStopWaitMs);
  CloseHandle(thread_);
  CloseHandle(wake_);
  thread_ = nullptr;
  wake_ = nullptr;
}

DWORD WINAPI ClipThread::run(void* self) {
  ClipThread& clips = *static_cast<ClipThread*>(self);
  for (;;) {
    WaitForSingleObject(clips.wake_, INFINITE);
    if (InterlockedCompareExchange(&clips.stopping_, 0, 0) != 0) return 0;
    const LONG clipId = InterlockedExchange(&clips.requested_, 0);
    if (clipId == 0) continue;
    playClipId(clips.instance_, static_cast<int>(clipId));
    InterlockedIncrement(&clips.clipsStarted_);
  }
}

}  // namespace dd
