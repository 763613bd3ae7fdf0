// Watches the paints of one window: the area they repaint, and how many calls a log held when
// the first of them began. The window handles a key's change (and paints it) within the key's
// message, so what was repainted is read here rather than from the update region afterwards.
#pragma once

#include <windows.h>

#include "recording_fakes.h"

namespace ddtest {

class PaintWatcher {
 public:
  PaintWatcher() = default;
  ~PaintWatcher() {
    if (current_ == this) current_ = nullptr;
    DeleteObject(painted_);
  }
  PaintWatcher(const PaintWatcher&) = delete;
  PaintWatcher& operator=(const PaintWatcher&) = delete;

  // Puts itself in front of the window's procedure; log may be null.
  void watch(HWND window, const CallLog* log) {
    current_ = this;
    log_ = log;
    windowProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watchingProc)));
  }

  // Starts over: nothing painted yet.
  void forget() {
    SetRectRgn(painted_, 0, 0, 0, 0);
    callsAtFirstPaint_ = -1;
  }

  // Into region: what was painted since forget(), and what the window still has to paint.
  void repaintedOrPending(HWND window, HRGN region) const {
    GetUpdateRgn(window, region, FALSE);
    CombineRgn(region, region, painted_, RGN_OR);
  }

  // The log's count when the first paint since forget() began; -1 when nothing was painted.
  int callsAtFirstPaint() const { return callsAtFirstPaint_; }

 private:
  static LRESULT CALLBACK watchingProc(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    PaintWatcher& self = *current_;
    if (message == WM_PAINT) {
      HRGN pending = CreateRectRgn(0, 0, 0, 0);
      GetUpdateRgn(target, pending, FALSE);
      CombineRgn(self.painted_, self.painted_, pending, RGN_OR);
      DeleteObject(pending);
      if (self.callsAtFirstPaint_ < 0) self.callsAtFirstPaint_ = self.log_ ? self.log_->count : 0;
    }
    return CallWindowProcA(self.windowProc_, target, message, wParam, lParam);
  }

  static inline PaintWatcher* current_ = nullptr;
  WNDPROC windowProc_ = nullptr;
  const CallLog* log_ = nullptr;
  HRGN painted_ = CreateRectRgn(0, 0, 0, 0);
  int callsAtFirstPaint_ = -1;
};

}  // namespace ddtest
