#include "recording_fakes.h"

namespace ddtest {

const char* callName(Call call) {
  switch (call) {
    case Call::InvalidateAll:
      return "invalidateAll";
    case Call::InvalidateEnglish:
      return "invalidateRect:englishRect";
    case Call::InvalidateTime:
      return "invalidateRect:timeRect";
    case Call::InvalidateCheck:
      return "invalidateRect:checkRect";
    case Call::InvalidateRange:
      return "invalidateRect:rangeRect";
    case Call::InvalidateSpeed:
      return "invalidateRect:speedRect";
    case Call::InvalidateJapanese:
      return "invalidateRect:japaneseRect";
    case Call::StartTick:
      return "startTick";
    case Call::StopTick:
      return "stopTick";
    case Call::NowMs:
      return "nowMs";
    case Call::OpenSettingsDialog:
      return "openSettingsDialog";
    case Call::OpenProgressDialog:
      return "openProgressDialog";
    case Call::CloseWindow:
      return "closeWindow";
    case Call::Play:
      return "play";
    case Call::Close:
      return "close";
    case Call::TogglePause:
      return "togglePause";
    case Call::PlayHit:
      return "playHit";
    case Call::PlayMiss:
      return "playMiss";
  }
  return "?";
}

void RecordingHost::invalidateAll() { log_.add(Call::InvalidateAll); }

void RecordingHost::invalidateRect(dd::RepaintArea area) {
  switch (area) {
    case dd::EnglishArea:
      log_.add(Call::InvalidateEnglish);
      break;
    case dd::TimeArea:
      log_.add(Call::InvalidateTime);
      break;
    case dd::CheckArea:
      log_.add(Call::InvalidateCheck);
      break;
    case dd::RangeArea:
      log_.add(Call::InvalidateRange);
      break;
    case dd::SpeedArea:
      log_.add(Call::InvalidateSpeed);
      break;
    case dd::JapaneseArea:
      log_.add(Call::InvalidateJapanese);
      break;
  }
}

void RecordingHost::startTick() {
  log_.add(Call::StartTick);
  tickRunning = true;
  ++tickStarts;
}

void RecordingHost::stopTick() {
  log_.add(Call::StopTick);
  tickRunning = false;
}

uint32_t RecordingHost::nowMs() {
  log_.add(Call::NowMs);
  return clock;
}

void RecordingHost::openSettingsDialog() {
  log_.add(Call::OpenSettingsDialog);
  if (settingsDialog != nullptr) settingsDialog(settingsContext);
}

void RecordingHost::openProgressDialog() { log_.add(Call::OpenProgressDialog); }

void RecordingHost::closeWindow() {
  log_.add(Call::CloseWindow);
  windowClosed = true;
}

void RecordingSound::play() {
  log_.add(Call::Play);
  deviceOpen = true;
  paused = false;
}

void RecordingSound::close() {
  log_.add(Call::Close);
  deviceOpen = false;
  paused = false;
}

void RecordingSound::togglePause() {
  log_.add(Call::TogglePause);
  if (deviceOpen) paused = !paused;
}

void RecordingSound::playHit() { log_.add(Call::PlayHit); }

void RecordingSound::playMiss() { log_.add(Call::PlayMiss); }

}  // namespace ddtest
