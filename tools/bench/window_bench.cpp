// What a key costs on the real main window, measured inside the process. Character and tick
// messages are posted to the window one at a time and timed with the performance counter from
// the window procedure's entry to the end of the paint they cause. Also: the area each one
// repaints, and memory, GDI and USER objects and handles before and after a long drill.
//
// Needs an X display and sound (the key sounds and recordings are real): run it under Wine in
// the environment of tools/test-env.sh. Prints one JSON object; tools/bench/bench.py reads it.
#include <windows.h>
// clang-format off
#include <psapi.h>
#include <winternl.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "controller.h"
#include "dialogs.h"
#include "main_window.h"
#include "matcher.h"
#include "silent_sound.h"
#include "staging.h"
#include "win_sound.h"

namespace {

constexpr int kTimedKeys = 5000;  // of each kind: hits, misses, ticks
constexpr int kAreaSamples = 20;
constexpr int kMemoryAttempts = 200;
constexpr int kPacedKeys = 200;  // hits, with as many misses
constexpr int kPaceMs = 100;
constexpr DWORD kQuietMs = 500;
constexpr int kWarmUpAttempts = 5 * dd::kDemoCount;

dd::ProgramRecords program;
HWND window;
WNDPROC programProc;
LARGE_INTEGER frequency;

int64_t now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double milliseconds(int64_t ticks) { return ticks * 1000.0 / frequency.QuadPart; }

// What the wrapper saw of the last message posted.
struct Probe {
  int64_t entered;
  int64_t handled;
  int64_t painted;
  int paints;
  bool recordArea;
  int64_t area;  // of the update regions the message's paints received
} probe;

int64_t updateArea(HWND target) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int64_t area = 0;
  if (GetUpdateRgn(target, region, FALSE) > NULLREGION) {
    std::vector<char> buffer(GetRegionData(region, 0, nullptr));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    GetRegionData(region, static_cast<DWORD>(buffer.size()), data);
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
      area += int64_t{rects[i].right - rects[i].left} * (rects[i].bottom - rects[i].top);
    }
  }
  DeleteObject(region);
  return area;
}

// Wraps the program's window procedure; the program itself is unchanged.
LRESULT CALLBACK timedProc(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR || message == WM_TIMER) {
    probe.entered = now();
    LRESULT result = CallWindowProcA(programProc, target, message, wParam, lParam);
    probe.handled = now();
    return result;
  }
  if (message == WM_PAINT) {
    // The area this paint repaints; taken in its own phase, whose times are not used.
    if (probe.recordArea) probe.area += updateArea(target);
    LRESULT result = CallWindowProcA(programProc, target, message, wParam, lParam);
    probe.painted = now();
    ++probe.paints;
    return result;
  }
  return CallWindowProcA(programProc, target, message, wParam, lParam);
}

// Dispatches until the queue is empty; the paint comes last, once nothing else is waiting.
// No TranslateMessage: only the messages posted here reach the window.
void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

struct Sample {
  double ms;  // entry to the end of the paint, or of the handler when nothing was painted
  bool painted;
  int64_t area;
};

Sample deliver(UINT message, WPARAM wParam) {
  probe.paints = 0;
  probe.area = 0;
  PostMessageA(window, message, wParam, 0);
  pump();
  bool painted = probe.paints > 0;
  return {milliseconds((painted ? probe.painted : probe.handled) - probe.entered), painted,
          probe.area};
}

// A key-down, untimed. The window's own tick is stopped at once: ticks are posted here only,
// so none falls inside another message's time.
void press(uint32_t virtualKey) {
  PostMessageA(window, WM_KEYDOWN, virtualKey, 0);
  pump();
  KillTimer(window, dd::kTickTimerId);
  pump();
}

const dd::DrillState& state() { return program.records.state; }

uint8_t expected() {
  return dd::expectedByte(state(), program.records.catalogue.items[state().currentItem].english);
}

uint32_t wrongKey() {
  for (uint32_t key : {'q', 'z', 'x'}) {
    if (!dd::keyMatches(key, expected())) return key;
  }
  return '0';
}

// From the result screen (or the menu after the last sentence) to the next attempt.
void nextAttempt() {
  press(dd::kKeyReturn);
  if (state().screen == dd::Menu) press(dd::kKeyReturn);
}

struct Series {
  std::vector<double> ms;
  int unpainted = 0;
  int painted = 0;
  void add(const Sample& s) {
    ms.push_back(s.ms);
    (s.painted ? painted : unpainted) += 1;
  }
};

void printSeries(const char* name, Series& series, bool last) {
  std::vector<double>& v = series.ms;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  double median = n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  double p99 = n == 0 ? 0 : v[(n * 99 + 99) / 100 - 1];
  std::printf(
      "\"%s\":{\"n\":%zu,\"median_ms\":%.4f,\"p99_ms\":%.4f,\"max_ms\":%.4f,"
      "\"painted\":%d,\"unpainted\":%d}%s",
      name, n, median, p99, n ? v[n - 1] : 0.0, series.painted, series.unpainted, last ? "" : ",");
}

// ---- Memory and objects ---------------------------------------------------------------------

// Wine implements no GetGuiResources; it keeps the GDI handle table in the PEB as Windows does,
// so the process's objects can be counted there (stock objects left out).
struct GdiTableEntry {
  uint64_t object;
  uint32_t owner;
  uint16_t unique;  // 0x80: stock object
  uint8_t type;
  uint8_t flags;
  uint64_t user;
};

int gdiTableCount() {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                                nullptr) != 0) {
    return -1;
  }
  auto* peb = reinterpret_cast<const uint8_t*>(basic.PebBaseAddress);
  auto* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + 0xF8);
  if (table == nullptr) return -1;
  int count = 0;
  for (int i = 0; i < 0x10000; ++i) {
    if (table[i].type != 0 && !(table[i].unique & 0x80)) ++count;
  }
  return count;
}

BOOL CALLBACK countWindow(HWND child, LPARAM counter) {
  ++*reinterpret_cast<int*>(counter);
  EnumChildWindows(child, countWindow, counter);
  return TRUE;
}

long handleCount(const char** source) {
  DWORD handles = 0;
  *source = "GetProcessHandleCount";
  if (!GetProcessHandleCount(GetCurrentProcess(), &handles) || handles == 0) {
    // Wine answers 0; probe the handle values instead. They are handed out lowest first, so
    // a long run of invalid values means the end.
    uintptr_t last = 0;
    for (uintptr_t value = 4; value < last + 0x8000; value += 4) {
      DWORD flags;
      if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
        ++handles;
        last = value;
      }
    }
    *source = "valid handle values";
  }
  return static_cast<long>(handles);
}

struct Usage {
  uint64_t privateBytes;
  uint64_t workingSet;
  int gdi;
  int user;
  long handles;
  const char* gdiSource;
  const char* userSource;
  const char* handleSource;
};

Usage usage() {
  Usage u{};
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  // Wine leaves PrivateUsage at 0; PagefileUsage is the same commit charge.
  u.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  u.workingSet = memory.WorkingSetSize;

  SetLastError(0);
  u.gdi = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  u.gdiSource = "GetGuiResources";
  if (u.gdi == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    u.gdi = gdiTableCount();
    u.gdiSource = "GDI handle table";
  }
  SetLastError(0);
  u.user = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  u.userSource = "GetGuiResources";
  if (u.user == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
    u.user = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&u.user));
    u.userSource = "windows of the thread";
  }

  u.handles = handleCount(&u.handleSource);
  return u;
}

// Opens, plays and closes a staged recording through the media control interface, as every
// attempt does, without the program around it: what the platform's player keeps by itself.
struct MediaGrowth {
  int cycles;
  long handles;
  int64_t privateBytes;
};

MediaGrowth mediaPlayerAlone(int cycles) {
  MediaGrowth growth{cycles, -1, -1};
  char path[MAX_PATH];
  if (!dd::tempFolderPath(path, "\\S001.mp3")) return growth;
  Sleep(kQuietMs);
  Usage start = usage();
  for (int i = 0; i < cycles; ++i) {
    MCI_OPEN_PARMSA open{};
    open.lpstrDeviceType = "MPEGVIDEO";
    open.lpstrElementName = path;
    if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0) {
      return growth;
    }
    MCI_SEEK_PARMS seek{};
    MCI_PLAY_PARMS play{};
    MCI_GENERIC_PARMS close{};
    mciSendCommandA(open.wDeviceID, MCI_SEEK, MCI_SEEK_TO_START,
                    reinterpret_cast<DWORD_PTR>(&seek));
    mciSendCommandA(open.wDeviceID, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play));
    mciSendCommandA(open.wDeviceID, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&close));
  }
  Sleep(kQuietMs);
  Usage end = usage();
  growth.handles = end.handles - start.handles;
  growth.privateBytes = static_cast<int64_t>(end.privateBytes - start.privateBytes);
  return growth;
}

void printUsage(const Usage& u) {
  std::printf("\"private_bytes\":%llu,\"working_set\":%llu,\"gdi\":%d,\"user\":%d,\"handles\":%ld",
              static_cast<unsigned long long>(u.privateBytes),
              static_cast<unsigned long long>(u.workingSet), u.gdi, u.user, u.handles);
}

int64_t clientArea() {
  RECT client;
  GetClientRect(window, &client);
  return int64_t{client.right} * client.bottom;
}

int64_t rectArea(const RECT& r) { return int64_t{r.right - r.left} * (r.bottom - r.top); }

// Memory counts move with the media and clip threads that happen to be alive, so every
// reading is taken at a quiet moment: on the menu, recording closed, clips over.
Usage quietUsage() {
  if (state().screen != dd::Menu) press(dd::kKeyEscape);
  Sleep(kQuietMs);
  pump();
  return usage();
}

struct Run {
  Series hits, misses, ticks, lasts;
  int keys = 0;
  int attempts = 0;
  std::vector<uint64_t> trend;  // private bytes every kTrendStep attempts
};

constexpr int kTrendStep = 20;

void countAttempt(Run& run, bool sampleMemory) {
  ++run.attempts;
  if (sampleMemory && run.attempts % kTrendStep == 0) {
    run.trend.push_back(quietUsage().privateBytes);
  }
  nextAttempt();
}

// A miss, a tick and a hit in turn until there are enough hits; the last letter of a sentence
// counts apart, since it shows the result (a whole-window repaint and the recording again).
// With a pace, each key arrives that long after the one before, as a typist's would.
void timedKeys(Run& run, int count, int paceMs, bool sampleMemory) {
  int64_t next = now();
  auto wait = [&] {
    if (paceMs == 0) return;
    next += frequency.QuadPart * paceMs / 1000;
    for (int64_t left; (left = next - now()) > 0;) {
      Sleep(static_cast<DWORD>(left * 1000 / frequency.QuadPart));
    }
  };
  while (static_cast<int>(run.hits.ms.size()) < count) {
    run.misses.add(deliver(WM_CHAR, wrongKey()));
    wait();
    run.ticks.add(deliver(WM_TIMER, dd::kTickTimerId));
    Sample hit = deliver(WM_CHAR, expected());
    wait();
    run.keys += 2;
    if (state().screen == dd::Typing) {
      run.hits.add(hit);
    } else {
      run.lasts.add(hit);
      countAttempt(run, sampleMemory);
    }
  }
}

struct Memory {
  Usage before;
  Usage after;
};

// The long drill: the timed keys, then more attempts up to the count (a few letters and a wrong
// key, then Enter gives up), memory read before and after.
Memory drill(Run& run) {
  for (Series* s : {&run.hits, &run.misses, &run.ticks, &run.lasts}) {
    s->ms.reserve(kTimedKeys + 16);
  }
  run.trend.reserve(kMemoryAttempts / kTrendStep + 1);
  Memory memory;
  memory.before = quietUsage();
  nextAttempt();
  timedKeys(run, kTimedKeys, 0, true);
  while (run.attempts < kMemoryAttempts) {
    for (int i = 0; i < 5 && state().screen == dd::Typing; ++i) {
      deliver(WM_CHAR, wrongKey());
      deliver(WM_CHAR, expected());
      deliver(WM_TIMER, dd::kTickTimerId);
      run.keys += 2;
    }
    if (state().screen == dd::Typing) press(dd::kKeyReturn);
    countAttempt(run, true);
  }
  memory.after = quietUsage();
  return memory;
}

void printMemory(const Run& run, const Memory& memory) {
  std::printf("{\"before\":{");
  printUsage(memory.before);
  std::printf("},\"after\":{");
  printUsage(memory.after);
  std::printf("},\"trend_step\":%d,\"private_bytes_trend\":[", kTrendStep);
  for (size_t i = 0; i < run.trend.size(); ++i) {
    std::printf("%s%llu", i ? "," : "", static_cast<unsigned long long>(run.trend[i]));
  }
  std::printf("],\"keys\":%d,\"attempts\":%d}", run.keys, run.attempts);
}

}  // namespace

int main() {
  QueryPerformanceFrequency(&frequency);
  HINSTANCE instance = GetModuleHandleA(nullptr);

  // As the program's entry point does, up to the message loop.
  static dd::WinSound sound(instance, program.records);
  // The sound stand-in for the program's own share of a key: the same calls, no sound.
  static ddbench::SilentSound silent;
  program.instance = instance;
  program.sound = &sound;
  program.settingsDialog = dd::settingsDialogProc;
  program.progressDialog = dd::progressDialogProc;
  dd::attachDialogRecords(program.records);
  sound.startClipThread();
  dd::attachProgram(program);
  if (!dd::registerMainWindowClass(instance)) return 1;
  window = dd::createMainWindow(instance);
  if (window == nullptr) return 1;
  programProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timedProc)));
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  pump();
  Usage started = usage();

  press(dd::kKeyReturn);

  // The area each kind of message repaints.
  probe.recordArea = true;
  int64_t hitArea = 0, tickArea = 0, missArea = 0, lastArea = 0;
  for (int i = 0; i < kAreaSamples; ++i) {
    missArea = std::max(missArea, deliver(WM_CHAR, wrongKey()).area);
    tickArea = std::max(tickArea, deliver(WM_TIMER, dd::kTickTimerId).area);
    Sample hit = deliver(WM_CHAR, expected());
    if (state().screen == dd::Typing) {
      hitArea = std::max(hitArea, hit.area);
    } else {
      lastArea = std::max(lastArea, hit.area);
      nextAttempt();
    }
  }
  while (state().screen == dd::Typing) {
    Sample hit = deliver(WM_CHAR, expected());
    if (state().screen != dd::Typing) lastArea = std::max(lastArea, hit.area);
  }
  probe.recordArea = false;

  // Warm-up: every sentence a few times, so each recording and clip has been opened and the
  // heaps have settled before counting.
  for (int i = 0; i < kWarmUpAttempts; ++i) {
    nextAttempt();
    while (state().screen == dd::Typing) deliver(WM_CHAR, expected());
  }

  // Keys as fast as the window takes them, with the real sound: every clip cuts off the last.
  Run fast;
  Memory sounded = drill(fast);

  // At a typist's pace, with the real sound.
  Run paced;
  nextAttempt();
  timedKeys(paced, kPacedKeys, kPaceMs, false);

  // The program's own share: the same drill with a silent sound stand-in.
  sound.close();
  sound.stopClipThread();
  program.sound = &silent;
  Run own;
  Memory silentMemory = drill(own);
  program.sound = &sound;

  std::printf("{\"timing\":{");
  printSeries("hit", fast.hits, false);
  printSeries("miss", fast.misses, false);
  printSeries("tick", fast.ticks, false);
  printSeries("last_letter", fast.lasts, false);
  printSeries("hit_paced", paced.hits, false);
  printSeries("miss_paced", paced.misses, false);
  printSeries("hit_silent", own.hits, false);
  printSeries("miss_silent", own.misses, false);
  printSeries("tick_silent", own.ticks, false);
  printSeries("last_letter_silent", own.lasts, true);
  std::printf("},\"pace_ms\":%d,", kPaceMs);
  std::printf(
      "\"area\":{\"client\":%lld,\"english_rect\":%lld,\"time_rect\":%lld,\"hit\":%lld,"
      "\"tick\":%lld,\"miss\":%lld,\"last_letter\":%lld},",
      static_cast<long long>(clientArea()),
      static_cast<long long>(rectArea(program.layout.englishRect)),
      static_cast<long long>(rectArea(program.layout.timeRect)), static_cast<long long>(hitArea),
      static_cast<long long>(tickArea), static_cast<long long>(missArea),
      static_cast<long long>(lastArea));
  MediaGrowth alone = mediaPlayerAlone(kMemoryAttempts);
  std::printf("\"media_player_alone\":{\"cycles\":%d,\"handles\":%ld,\"private_bytes\":%lld},",
              alone.cycles, alone.handles, static_cast<long long>(alone.privateBytes));
  std::printf("\"started\":{");
  printUsage(started);
  std::printf("},\"memory\":");
  printMemory(fast, sounded);
  std::printf(",\"memory_silent\":");
  printMemory(own, silentMemory);
  std::printf(",\"sources\":{\"gdi\":\"%s\",\"user\":\"%s\",\"handles\":\"%s\"}}\n",
              started.gdiSource, started.userSource, started.handleSource);
  std::fflush(stdout);

  SendMessageA(window, WM_CLOSE, 0, 0);
  pump();
  return 0;
}
