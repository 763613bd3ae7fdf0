// The window procedure and the Win32 host on a real window, with recording sound: what each
// message does, which rectangle each change repaints, and how the window ends.
// clang-format off
#include <windows.h>
#include <imm.h>
// clang-format on

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <vector>

#include "main_window.h"
#include "matcher.h"
#include "paint_watcher.h"
#include "painter.h"
#include "recording_fakes.h"
#include "screen_bitmap.h"

namespace {

using ddtest::ScreenBitmap;

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(dd::registerMainWindowClass(GetModuleHandleA(nullptr)));
  }

  void SetUp() override {
    program->instance = GetModuleHandleA(nullptr);
    program->sound = &sound;
    dd::attachProgram(*program);
    seededAt = static_cast<uint32_t>(std::time(nullptr));
    window = dd::createMainWindow(program->instance);
    ASSERT_NE(window, nullptr) << "no window: is an X display (DISPLAY) there?";
    log.clear();
  }

  // Only a visible window collects an update region. Wine takes a while to destroy a window
  // once it has been shown, so only the repaint test shows one.
  void show() {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
  }

  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(window, message, wParam, lParam);
  }

  bool logged(ddtest::Call call) const {
    for (int i = 0; i < log.count; ++i) {
      if (log.calls[i] == call) return true;
    }
    return false;
  }

  void startTyping() {
    send(WM_KEYDOWN, VK_RETURN);
    UpdateWindow(window);
    log.clear();
  }

  char expectedChar() { return english()[program->records.state.nextTarget]; }
  const char* english() {
    return program->records.catalogue.items[program->records.state.currentItem].english;
  }

  std::unique_ptr<dd::ProgramRecords> program = std::make_unique<dd::ProgramRecords>();
  ddtest::CallLog log;
  ddtest::PaintWatcher paints;
  ddtest::RecordingSound sound{log};
  HWND window = nullptr;
  uint32_t seededAt = 0;
};

TEST_F(WindowTest, CreationInitialisesEveryRecordAndDetachesTheInputMethod) {
  const dd::DrillRecords& records = program->records;
  EXPECT_EQ(records.state.screen, dd::Menu);
  EXPECT_EQ(records.settings.orderMode, 1);
  EXPECT_EQ(records.settings.rangeLastLesson, 4);
  EXPECT_STREQ(records.catalogue.items[3].id, "004");
  EXPECT_EQ(records.catalogue.lessonItem[419], 419);
  RECT english = program->layout.englishRect;
  EXPECT_EQ(english.left, 20);
  EXPECT_EQ(english.bottom, 220);
  // Seeded with the calendar time in seconds at creation.
  uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  EXPECT_GE(records.random.state, seededAt);
  EXPECT_LE(records.random.state, now);
  // No input context: a kana-mode input method cannot hold back letters.
  HIMC context = ImmGetContext(window);
  EXPECT_EQ(context, nullptr);
  if (context != nullptr) ImmReleaseContext(window, context);

  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Dictaline DEMO");
  LONG style = GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, 550);
  EXPECT_EQ(outer.bottom - outer.top, 350);
}

// WM_PRINTCLIENT draws into the device context it is given exactly what the painter draws.
TEST_F(WindowTest, PrintClientPaintsTheCurrentScreenIntoTheGivenContext) {
  dd::DrillState& state = program->records.state;
  for (dd::Screen screen : {dd::Menu, dd::Typing, dd::Result}) {
    state.screen = screen;
    state.currentItem = 2;
    state.elapsedMs = 5678;
    ScreenBitmap printed;
    EXPECT_EQ(send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.dc()), PRF_CLIENT), 0);
    ScreenBitmap painted;
    dd::paintScreen(painted.dc(), program->records, program->layout);
    RECT all{0, 0, ScreenBitmap::kWidth, ScreenBitmap::kHeight};
    EXPECT_TRUE(printed.sameIn(painted, all)) << "screen " << screen;
    EXPECT_GT(ddtest::inkIn(printed, program->layout.helpRect1, ddtest::rgbOf(dd::kGrey)).inked, 0);
  }
}

TEST_F(WindowTest, KeysCharactersAndTicksReachTheDrill) {
  EXPECT_EQ(send(WM_KEYDOWN, VK_RETURN), 0);
  EXPECT_EQ(program->records.state.screen, dd::Typing);
  EXPECT_TRUE(logged(ddtest::Call::Play));
  // The tick runs: killing it finds a timer.
  EXPECT_TRUE(KillTimer(window, dd::kTickTimerId));
  SetTimer(window, dd::kTickTimerId, dd::kTickPeriodMs, nullptr);

  EXPECT_EQ(send(WM_CHAR, static_cast<unsigned char>(expectedChar())), 0);
  EXPECT_GT(program->records.state.nextTarget, 0);
  EXPECT_TRUE(logged(ddtest::Call::PlayHit));

  // Any timer identifier is a tick.
  Sleep(120);
  EXPECT_EQ(send(WM_TIMER, 1234), 0);
  EXPECT_GE(program->records.state.elapsedMs, 100);
}

TEST_F(WindowTest, KeysTheDrillIgnoresChangeNothing) {
  startTyping();
  int32_t target = program->records.state.nextTarget;
  for (WPARAM key : {WPARAM{VK_LEFT}, WPARAM{VK_F5}, WPARAM{VK_HOME}}) {
    EXPECT_EQ(send(WM_KEYDOWN, key), 0);
  }
  EXPECT_EQ(program->records.state.nextTarget, target);
  EXPECT_EQ(log.count, 0);
  EXPECT_EQ(program->records.state.screen, dd::Typing);
}

// Each change repaints, erased, the rectangles the controller names and nothing else.
TEST_F(WindowTest, EachChangeRepaintsItsOwnRectangles) {
  using Rect = RECT dd::Layout::*;
  struct Case {
    const char* what;
    dd::Screen from;
    UINT message;
    WPARAM code;  // 0: the expected character
    Rect rects[2];
  };
  const Case cases[] = {
      {"a hit", dd::Typing, WM_CHAR, 0, {&dd::Layout::englishRect}},
      {"the hint", dd::Typing, WM_CHAR, '\\', {&dd::Layout::englishRect}},
      {"a tick", dd::Typing, WM_TIMER, dd::kTickTimerId, {&dd::Layout::timeRect}},
      {"Tab", dd::Typing, WM_KEYDOWN, VK_TAB, {&dd::Layout::speedRect}},
      {"Delete", dd::Result, WM_KEYDOWN, VK_DELETE, {&dd::Layout::japaneseRect}},
      {"the check mark",
       dd::Result,
       WM_CHAR,
       '\\',
       {&dd::Layout::checkRect, &dd::Layout::rangeRect}},
      {"Enter on the menu", dd::Menu, WM_KEYDOWN, VK_RETURN, {}},  // the whole client area
  };
  show();
  paints.watch(window, &log);
  for (const Case& c : cases) {
    if (c.from != dd::Menu) startTyping();
    if (c.from == dd::Result) send(WM_KEYDOWN, VK_RETURN);
    UpdateWindow(window);
    paints.forget();
    WPARAM code = c.code != 0 ? c.code : static_cast<unsigned char>(expectedChar());
    send(c.message, code);

    HRGN expected = CreateRectRgn(0, 0, 0, 0);
    if (c.rects[0] == nullptr) {
      RECT client;
      GetClientRect(window, &client);
      SetRectRgn(expected, client.left, client.top, client.right, client.bottom);
    }
    for (Rect rect : c.rects) {
      if (rect == nullptr) continue;
      HRGN one = CreateRectRgnIndirect(&(program->layout.*rect));
      CombineRgn(expected, expected, one, RGN_OR);
      DeleteObject(one);
    }
    HRGN repainted = CreateRectRgn(0, 0, 0, 0);
    paints.repaintedOrPending(window, repainted);
    RECT box;
    GetRgnBox(repainted, &box);
    EXPECT_TRUE(EqualRgn(repainted, expected))
        << c.what << ": repainted (" << box.left << "," << box.top << ")-(" << box.right << ","
        << box.bottom << ")";
    DeleteObject(expected);
    DeleteObject(repainted);

    send(WM_KEYDOWN, VK_ESCAPE);  // back to the menu for the next case
    UpdateWindow(window);
  }
}

// A key's change is on the screen before its sound starts; the sound still comes, in the
// order the drill asked for it, before the message is done.
TEST_F(WindowTest, TheScreenIsPaintedBeforeTheSoundStarts) {
  using ddtest::Call;
  struct Case {
    const char* what;
    UINT message;
    WPARAM code;  // 0: the expected character
    bool lastLetter;
    std::vector<Call> sound;
  };
  const std::vector<Case> cases = {
      {"Enter on the menu", WM_KEYDOWN, VK_RETURN, false, {Call::Close, Call::Play}},
      {"a hit", WM_CHAR, 0, false, {Call::PlayHit}},
      {"the last letter", WM_CHAR, 0, true, {Call::PlayHit, Call::Play}},
      {"Backspace on the result", WM_KEYDOWN, VK_BACK, true, {Call::Close, Call::Play}},
  };
  show();
  paints.watch(window, &log);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.message != WM_KEYDOWN || c.code != VK_RETURN) startTyping();
    if (c.lastLetter) {
      while (program->records.state.screen == dd::Typing) {
        const dd::PracticeItem& item =
            program->records.catalogue.items[program->records.state.currentItem];
        if (dd::findNextTarget(item.english, program->records.state.nextTarget + 1) < 0) break;
        send(WM_CHAR, static_cast<unsigned char>(expectedChar()));
      }
      if (c.code == VK_BACK) send(WM_CHAR, static_cast<unsigned char>(expectedChar()));
    }
    UpdateWindow(window);
    paints.forget();
    log.clear();
    send(c.message, c.code != 0 ? c.code : static_cast<unsigned char>(expectedChar()));
    EXPECT_EQ(paints.callsAtFirstPaint(), 0) << "-1: nothing was painted while it was handled";
    ASSERT_EQ(log.count, static_cast<int>(c.sound.size()));
    for (int i = 0; i < log.count; ++i) EXPECT_EQ(log.calls[i], c.sound[i]) << "call " << i;
    send(WM_KEYDOWN, VK_ESCAPE);
    UpdateWindow(window);
  }
}

TEST_F(WindowTest, LeftButtonStartsAMoveWithTheClicksOwnPosition) {
  LPARAM at = MAKELPARAM(123, 45);
  EXPECT_EQ(send(WM_LBUTTONDOWN, MK_LBUTTON, at), 0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, window, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE))
      << "no press on the caption was posted";
  EXPECT_EQ(message.wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(message.lParam, at);

  send(WM_RBUTTONDOWN, MK_RBUTTON, at);
  EXPECT_FALSE(PeekMessageA(&message, window, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
}

// The close box (WM_CLOSE) and Escape on the menu end alike: tick stopped, window destroyed,
// recording closed, quit with 0.
TEST_F(WindowTest, CloseAndEscapeOnTheMenuEndWithExitCodeZero) {
  for (bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "WM_CLOSE");
    if (!IsWindow(window)) SetUp();
    startTyping();
    send(WM_KEYDOWN, VK_ESCAPE);  // typing -> menu
    SetTimer(window, dd::kTickTimerId, dd::kTickPeriodMs, nullptr);
    log.clear();
    HWND closing = window;
    EXPECT_EQ(escape ? send(WM_KEYDOWN, VK_ESCAPE) : send(WM_CLOSE), 0);
    EXPECT_FALSE(IsWindow(closing));
    EXPECT_TRUE(logged(ddtest::Call::Close));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
  }
}

}  // namespace
