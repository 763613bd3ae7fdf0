// The settings and progress dialogs opened for real on the main window by the menu keys, as the
// program opens them, and driven from inside their modal loops.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controller.h"
#include "dialogs.h"
#include "main_window.h"
#include "paint_watcher.h"
#include "painter.h"
#include "recording_fakes.h"
#include "resource_ids.h"
#include "screen_bitmap.h"

namespace {

using ddtest::ScreenBitmap;
using Step = std::function<void(HWND dialog)>;

// Runs steps inside a modal dialog's own message loop. A thread timer's WM_TIMER only comes once
// everything posted before it has been handled, so each step sees the effect of the keys the one
// before posted. A dialog still open after kWatchdogMs is ended with kWatchdogResult, so a
// dialog that does not close fails its test instead of hanging the run.
class ModalScript {
 public:
  static constexpr UINT kPeriodMs = 15;
  static constexpr DWORD kWatchdogMs = 5000;
  static constexpr INT_PTR kWatchdogResult = 0xDEAD;

  ModalScript(HWND owner, std::vector<Step> steps) : owner_(owner), steps_(std::move(steps)) {}

  // Calls open, which must enter the dialog's modal loop; returns when open returns.
  void run(const std::function<void()>& open) {
    current_ = this;
    startedAt_ = GetTickCount();
    UINT_PTR timer = SetTimer(nullptr, 0, kPeriodMs, onTimer);
    open();
    KillTimer(nullptr, timer);
    current_ = nullptr;
  }

  HWND dialog = nullptr;
  std::size_t stepsRun = 0;
  bool watchdogFired = false;
  std::size_t stepCount() const { return steps_.size(); }

 private:
  static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ != nullptr && !current_->busy_) current_->tick();
  }

  static BOOL CALLBACK findDialog(HWND candidate, LPARAM self) {
    auto* script = reinterpret_cast<ModalScript*>(self);
    char className[16] = {};
    GetClassNameA(candidate, className, sizeof className);
    if (std::string(className) == "#32770" && GetWindow(candidate, GW_OWNER) == script->owner_) {
      script->dialog = candidate;
      return FALSE;
    }
    return TRUE;
  }

  void tick() {
    busy_ = true;
    if (dialog == nullptr) {
      EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(this));
    }
    if (GetTickCount() - startedAt_ > kWatchdogMs) {
      // Whatever modal window holds the loop: ours, or one the script never recognised.
      HWND stuck = dialog != nullptr ? dialog : GetActiveWindow();
      if (stuck != nullptr && stuck != owner_) {
        watchdogFired = true;
        EndDialog(stuck, kWatchdogResult);
      }
    } else if (dialog != nullptr && IsWindow(dialog) && stepsRun < steps_.size()) {
      steps_[stepsRun++](dialog);
    }
    busy_ = false;
  }

  static inline ModalScript* current_ = nullptr;
  HWND owner_;
  std::vector<Step> steps_;
  DWORD startedAt_ = 0;
  bool busy_ = false;
};

// A key as the dialog's loop gets it from the keyboard: posted to the control with the focus.
void press(WPARAM key) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 1); }

std::wstring textOf(HWND control) {
  wchar_t text[256] = {};
  GetWindowTextW(control, text, 256);
  return text;
}

std::wstring textOf(HWND dialog, int id) { return textOf(GetDlgItem(dialog, id)); }

// The caption as the title bar draws it. The dialog's own window procedure is the ANSI one, so
// GetWindowTextW would hand it through the code page.
std::wstring captionOf(HWND dialog) {
  wchar_t text[64] = {};
  InternalGetWindowText(dialog, text, 64);
  return text;
}

bool isOn(HWND dialog, int id) {
  return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

using Settings = dd::PracticeSettings;
using Field = int32_t Settings::*;

struct NamedField {
  const char* name;
  Field field;
};
constexpr NamedField kFields[] = {
    {"orderMode", &Settings::orderMode},
    {"presentation", &Settings::presentation},
    {"japaneseStyle", &Settings::japaneseStyle},
    {"speed", &Settings::speed},
    {"hitSound", &Settings::hitSound},
    {"missSound", &Settings::missSound},
    {"timerHidden", &Settings::timerHidden},
    {"autoRevealSeconds", &Settings::autoRevealSeconds},
    {"chapterSelect", &Settings::chapterSelect},
    {"chapter", &Settings::chapter},
    {"rangeFirstLesson", &Settings::rangeFirstLesson},
    {"rangeLastLesson", &Settings::rangeLastLesson},
};

void expectSameSettings(const Settings& actual, const Settings& expected, const char* when) {
  for (const NamedField& f : kFields) {
    EXPECT_EQ(actual.*f.field, expected.*f.field) << f.name << " " << when;
  }
}

// Every radio button with the field and code it stands for.
struct RadioButton {
  int id;
  Field field;
  int32_t code;
};
constexpr RadioButton kRadioButtons[] = {
    {1001, &Settings::orderMode, 0},     {1002, &Settings::orderMode, 1},
    {1020, &Settings::orderMode, 2},     {1003, &Settings::presentation, 2},
    {1004, &Settings::presentation, 1},  {1005, &Settings::presentation, 0},
    {1015, &Settings::japaneseStyle, 0}, {1027, &Settings::japaneseStyle, 1},
    {1008, &Settings::speed, 0},         {1009, &Settings::speed, 1},
    {1010, &Settings::hitSound, 0},      {1011, &Settings::hitSound, 1},
    {1021, &Settings::hitSound, 2},      {1022, &Settings::missSound, 0},
    {1023, &Settings::missSound, 1},     {1012, &Settings::missSound, 2},
    {1013, &Settings::timerHidden, 0},   {1014, &Settings::timerHidden, 1},
};

const RadioButton& radioButton(int id) {
  for (const RadioButton& button : kRadioButtons) {
    if (button.id == id) return button;
  }
  ADD_FAILURE() << "no radio button " << id;
  return kRadioButtons[0];
}

// Exactly the listed radio buttons are on.
void expectOnlyOn(HWND dialog, const std::vector<int>& on, const char* when) {
  for (const RadioButton& button : kRadioButtons) {
    bool expected = false;
    for (int id : on) expected = expected || id == button.id;
    EXPECT_EQ(isOn(dialog, button.id), expected) << "button " << button.id << " " << when;
  }
}

// Controls the dialog never enables, and the ones it enables at every opening.
constexpr int kAlwaysDisabled[] = {1024, 1025, 1016, 1017, 1026};
constexpr int kEnabled[] = {1006, 1007, 1018, 1019};

void expectEnabling(HWND dialog, const char* when) {
  for (int id : kAlwaysDisabled) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id << " enabled " << when;
  }
  for (int id : kEnabled) {
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id << " disabled " << when;
  }
}

// The progress edits of chapters 1 to 20, then the total.
constexpr int kCountEdits[21] = {1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037,
                                 1038, 1039, 1040, 1041, 1042, 1044, 1045, 1046, 1047, 1043};
// Items per chapter, as the chapter labels give them.
constexpr int kChapterSizes[20] = {17, 13, 29, 13, 20, 32, 20, 18, 24, 24,
                                   7,  20, 18, 26, 29, 21, 24, 11, 28, 25};
constexpr wchar_t kMark[] = L"\u25CF";  // the black circle of a full chapter

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(dd::registerMainWindowClass(GetModuleHandleA(nullptr)));
    dd::prepareDialogControls();
  }

  void SetUp() override {
    program->instance = GetModuleHandleA(nullptr);
    program->sound = &sound;
    program->settingsDialog = dd::settingsDialogProc;
    program->progressDialog = dd::progressDialogProc;
    dd::attachProgram(*program);
    dd::attachDialogRecords(program->records);
    window = dd::createMainWindow(program->instance);
    ASSERT_NE(window, nullptr) << "no window: is an X display (DISPLAY) there?";
  }

  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  dd::PracticeSettings& settings() { return program->records.settings; }
  dd::DrillState& state() { return program->records.state; }

  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(window, message, wParam, lParam);
  }

  // Opens a dialog with its menu key (Tab: settings, Space: progress) and runs the steps in it.
  // The last step must end the dialog.
  void runDialog(WPARAM menuKey, std::vector<Step> steps) {
    ASSERT_EQ(state().screen, dd::Menu);
    ModalScript script(window, std::move(steps));
    script.run([&] { send(WM_KEYDOWN, menuKey); });
    ASSERT_NE(script.dialog, nullptr) << "no dialog came up";
    EXPECT_EQ(script.stepsRun, script.stepCount()) << "the dialog ended before its last step";
    EXPECT_FALSE(script.watchdogFired) << "the watchdog had to end the dialog";
    EXPECT_FALSE(IsWindow(script.dialog));
    EXPECT_TRUE(IsWindowEnabled(window)) << "the owner was left disabled";
  }

  // Only a visible window collects an update region; its paints are watched from here on.
  void show() {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    paints.watch(window, nullptr);
  }

  // Moves the dialog off the main window and has the main window repaint what that uncovered, so
  // that what is pending afterwards comes from the dialog's end alone.
  void uncover(HWND dialog) {
    RECT outer;
    GetWindowRect(window, &outer);
    SetWindowPos(dialog, nullptr, outer.right + 20, outer.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(window);
    RECT pending;
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE)) << "the main window is still invalid";
    paints.forget();
  }

  // The whole client area has been repainted (or is about to be) since uncover().
  void expectWholeClientRepainted(const char* when) {
    RECT client;
    GetClientRect(window, &client);
    HRGN expected = CreateRectRgnIndirect(&client);
    HRGN repainted = CreateRectRgn(0, 0, 0, 0);
    paints.repaintedOrPending(window, repainted);
    RECT box;
    GetRgnBox(repainted, &box);
    EXPECT_TRUE(EqualRgn(repainted, expected))
        << when << ": repainted (" << box.left << "," << box.top << ")-(" << box.right << ","
        << box.bottom << ")";
    DeleteObject(expected);
    DeleteObject(repainted);
  }

  // The main window as WM_PRINT draws it, through its own window procedure.
  void print(ScreenBitmap& into) {
    into.erase();
    PrintWindow(window, into.dc(), PW_CLIENTONLY);
  }

  // The menu as it must look with these settings, painted off-window from a copy of the records.
  void paintExpected(ScreenBitmap& into, const Settings& with) {
    auto copy = std::make_unique<dd::DrillRecords>(program->records);
    copy->settings = with;
    into.erase();
    dd::paintScreen(into.dc(), *copy, program->layout);
  }

  // The template's position (0, 0) is that of the dialog's client area, in the owner's.
  void expectAtClientOrigin(HWND dialog) {
    POINT owner{0, 0}, own{0, 0};
    ClientToScreen(window, &owner);
    ClientToScreen(dialog, &own);
    EXPECT_EQ(own.x, owner.x);
    EXPECT_EQ(own.y, owner.y);
  }

  // One attempt through the window's key, character and timer messages. A tick comes first, so
  // an unassisted attempt takes a best time above 0.
  void completeSentence(bool withHint) {
    ASSERT_EQ(state().screen, dd::Typing);
    Sleep(120);
    send(WM_TIMER, dd::kTickTimerId);
    ASSERT_GT(state().elapsedMs, 0);
    if (withHint) send(WM_CHAR, dd::kCharBackslash);
    for (int guard = 0; state().screen == dd::Typing && guard < 256; ++guard) {
      const char* english = program->records.catalogue.items[state().currentItem].english;
      send(WM_CHAR, static_cast<unsigned char>(english[state().nextTarget]));
    }
    ASSERT_EQ(state().screen, dd::Result);
  }

  // The twenty chapter counts and the total, as the progress dialog shows them.
  std::vector<std::wstring> readCounts() {
    std::vector<std::wstring> counts;
    runDialog(VK_SPACE, {[&](HWND dialog) {
                for (int id : kCountEdits) counts.push_back(textOf(dialog, id));
                press(VK_RETURN);
              }});
    return counts;
  }

  std::unique_ptr<dd::ProgramRecords> program = std::make_unique<dd::ProgramRecords>();
  ddtest::CallLog log;
  ddtest::RecordingSound sound{log};
  HWND window = nullptr;
  ddtest::PaintWatcher paints;
};

TEST_F(DialogTest, SettingsOpenAtTheClientOriginWithTheStartValues) {
  runDialog(VK_TAB, {[&](HWND dialog) {
              expectAtClientOrigin(dialog);
              EXPECT_EQ(captionOf(dialog), L"設定");
              EXPECT_EQ(textOf(dialog, IDOK), L"[Enter] 設定完了");
              EXPECT_EQ(textOf(dialog, 1001), L"ランダム");
              EXPECT_EQ(textOf(dialog, 1012), L"にゃー");
              expectOnlyOn(dialog, {1002, 1004, 1015, 1008, 1011, 1023, 1013}, "at start");
              EXPECT_FALSE(isOn(dialog, 1024));
              EXPECT_EQ(textOf(dialog, 1025), L"1");
              EXPECT_EQ(textOf(dialog, 1006), L"1");
              EXPECT_EQ(textOf(dialog, 1007), L"4");
              EXPECT_EQ(textOf(dialog, 1018), L"0");
              expectEnabling(dialog, "at opening");
              press(VK_RETURN);
            }});
}

// Each group turns on the button of the current value; a value that no button names turns on a
// fixed button of its group.
TEST_F(DialogTest, SettingsOpenWithTheButtonOfEachValue) {
  struct Case {
    const char* what;
    Settings values;  // every field, in the order of the record
    std::vector<int> on;
    const wchar_t* edits[4];  // 1025, 1006, 1007, 1018
  };
  const Case cases[] = {
      {"other codes",
       {0, 2, 1, 0, 0, 2, 1, 42, 0, 3, 2, 3},
       {1001, 1003, 1027, 1008, 1010, 1012, 1014},
       {L"3", L"2", L"3", L"42"}},
      {"yet other codes",
       {2, 0, 0, 1, 0, 2, 1, 600, 0, 1, 1, 4},
       {1020, 1005, 1015, 1009, 1010, 1012, 1014},
       {L"1", L"1", L"4", L"600"}},
      {"codes no button names",
       {7, -1, 2, 5, 3, -4, 9, 7, 0, 1, 1, 4},
       {1020, 1004, 1027, 1009, 1021, 1012, 1014},
       {L"1", L"1", L"4", L"7"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings() = c.values;
    runDialog(VK_TAB, {[&](HWND dialog) {
                expectOnlyOn(dialog, c.on, "at opening");
                const int edits[4] = {1025, 1006, 1007, 1018};
                for (int i = 0; i < 4; ++i) EXPECT_EQ(textOf(dialog, edits[i]), c.edits[i]);
                // Opening only shows: nothing is written before a click or OK.
                expectSameSettings(settings(), c.values, "while open");
                press(VK_RETURN);
              }});
  }
}

// By chapter, the chapter edit is the one turned on; the spinners keep their template state.
TEST_F(DialogTest, SettingsByChapterTurnOnTheChapterEditInsteadOfTheLessons) {
  settings().chapterSelect = 1;
  runDialog(VK_TAB, {[&](HWND dialog) {
              EXPECT_TRUE(isOn(dialog, 1024));
              EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, 1025)));
              for (int id : {1006, 1007, 1024, 1016, 1017, 1026}) {
                EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
              }
              press(VK_RETURN);
            }});
  EXPECT_EQ(settings().chapterSelect, 1) << "OK never changes the range mode";
}

// Every click changes its field at once, and only that field; a paint of the main window behind
// the open dialog already shows it.
TEST_F(DialogTest, EachClickWritesItsFieldAtOnceAndTheMenuBehindShowsIt) {
  // Each click moves its field away from the value before it.
  const int clicks[] = {1001, 1020, 1002, 1003, 1005, 1004, 1027, 1015, 1009,
                        1008, 1010, 1021, 1011, 1022, 1012, 1023, 1014, 1013};
  std::vector<Step> steps;
  for (int id : clicks) {
    steps.push_back([&, id](HWND dialog) {
      SCOPED_TRACE(testing::Message() << "click on " << id);
      const RadioButton& button = radioButton(id);
      Settings expected = settings();
      ASSERT_NE(expected.*button.field, button.code) << "the click would change nothing";
      expected.*button.field = button.code;
      ScreenBitmap before;
      print(before);

      SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);

      expectSameSettings(settings(), expected, "right after the click");
      for (const RadioButton& other : kRadioButtons) {
        if (other.field == button.field) {
          EXPECT_EQ(isOn(dialog, other.id), other.id == id) << "button " << other.id;
        }
      }
      ScreenBitmap printed, painted;
      print(printed);
      paintExpected(painted, expected);
      RECT all{0, 0, ScreenBitmap::kWidth, ScreenBitmap::kHeight};
      EXPECT_TRUE(printed.sameIn(painted, all)) << "the main window does not show the click";
      // The three options the menu names change their text.
      const std::pair<Field, RECT dd::Layout::*> onTheMenu[] = {
          {&Settings::orderMode, &dd::Layout::orderRect},
          {&Settings::presentation, &dd::Layout::presentationRect},
          {&Settings::speed, &dd::Layout::speedRect}};
      for (auto [field, rect] : onTheMenu) {
        if (field == button.field) {
          EXPECT_FALSE(printed.sameIn(before, program->layout.*rect)) << "no change on the menu";
        }
      }
    });
  }
  steps.push_back([&](HWND dialog) {
    expectEnabling(dialog, "after the clicks");
    press(VK_RETURN);
  });
  runDialog(VK_TAB, std::move(steps));
  EXPECT_EQ(settings().orderMode, 1);
  EXPECT_EQ(settings().timerHidden, 0);
}

TEST_F(DialogTest, SpinnersHaveTheirBuddiesAndRangesAndAutoRevealStaysWithin0To600) {
  struct Spinner {
    int id, buddy, lower, upper;
  };
  const Spinner spinners[] = {
      {1019, 1018, 0, 600}, {1026, 1025, 1, 20}, {1016, 1006, 1, 419}, {1017, 1007, 1, 419}};
  auto spin = [](HWND dialog, const wchar_t* from, WPARAM key, int times) {
    HWND edit = GetDlgItem(dialog, 1018);
    SetWindowTextW(edit, from);
    SetFocus(edit);
    EXPECT_EQ(GetFocus(), edit);
    for (int i = 0; i < times; ++i) press(key);
  };
  runDialog(VK_TAB, {
                        [&](HWND dialog) {
                          for (const Spinner& s : spinners) {
                            HWND spinner = GetDlgItem(dialog, s.id);
                            EXPECT_EQ(
                                reinterpret_cast<HWND>(SendMessageA(spinner, UDM_GETBUDDY, 0, 0)),
                                GetDlgItem(dialog, s.buddy))
                                << s.id;
                            int lower = -1, upper = -1;
                            SendMessageA(spinner, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower),
                                         reinterpret_cast<LPARAM>(&upper));
                            EXPECT_EQ(lower, s.lower) << s.id;
                            EXPECT_EQ(upper, s.upper) << s.id;
                          }
                          spin(dialog, L"597", VK_UP, 6);
                        },
                        [&](HWND dialog) {
                          EXPECT_EQ(textOf(dialog, 1018), L"600") << "spun up past the top";
                          spin(dialog, L"3", VK_DOWN, 6);
                        },
                        [&](HWND dialog) {
                          EXPECT_EQ(textOf(dialog, 1018), L"0") << "spun down past 0";
                          spin(dialog, L"0", VK_UP, 2);
                        },
                        [&](HWND dialog) {
                          EXPECT_EQ(textOf(dialog, 1018), L"2");
                          EXPECT_EQ(settings().autoRevealSeconds, 0) << "taken before OK";
                          press(VK_RETURN);
                        },
                    });
  EXPECT_EQ(settings().autoRevealSeconds, 2);
}

// Escape, the edits' notifications and the disabled check box are commands the dialog leaves
// alone: it stays open and nothing changes until OK, which then ignores the lesson edits.
TEST_F(DialogTest, EscapeAndOtherCommandsLeaveTheSettingsOpenAndUnchanged) {
  Settings before = settings();
  runDialog(VK_TAB, {
                        [&](HWND dialog) {
                          SetWindowTextW(GetDlgItem(dialog, 1006), L"10");
                          SetWindowTextW(GetDlgItem(dialog, 1007), L"50");
                          SetWindowTextW(GetDlgItem(dialog, 1018), L"77");
                          SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1024, BN_CLICKED),
                                       reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1024)));
                          SetFocus(GetDlgItem(dialog, IDOK));
                          press(VK_ESCAPE);
                        },
                        [&](HWND dialog) {
                          EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape closed the dialog";
                          expectSameSettings(settings(), before, "after Escape");
                          EXPECT_EQ(textOf(dialog, 1018), L"77");
                          press(VK_ESCAPE);
                        },
                        [&](HWND dialog) {
                          EXPECT_TRUE(IsWindowVisible(dialog)) << "a second Escape closed it";
                          press(VK_RETURN);
                        },
                    });
  EXPECT_EQ(settings().autoRevealSeconds, 77);
  EXPECT_EQ(settings().rangeFirstLesson, 1);
  EXPECT_EQ(settings().rangeLastLesson, 4);
  EXPECT_EQ(settings().chapter, 1);
}

// Enter presses OK from any control; OK fixes the range, takes the auto-reveal text, recounts
// the checked items and has the whole main window repainted.
TEST_F(DialogTest, EnterEndsTheSettingsThroughOkWhereverTheFocusIs) {
  struct Case {
    const char* focus;
    int focusId;
    const wchar_t* autoReveal;
    int32_t seconds;
  };
  const Case cases[] = {
      {"on OK", IDOK, L"42", 42},
      {"in the auto-reveal edit", 1018, L"601", 0},
      {"in a lesson edit", 1006, L"600", 600},
      {"on the radio button that is on", 1002, L"007", 7},
  };
  show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.focus);
    Settings& s = settings();
    s.chapter = 3;
    s.rangeFirstLesson = 2;
    s.rangeLastLesson = 3;
    state().checked[0] = 1;
    state().checked[2] = 1;
    state().checked[40] = 1;  // outside lessons 1-4
    state().checkedInRange = 0;
    runDialog(VK_TAB, {[&](HWND dialog) {
                SetWindowTextW(GetDlgItem(dialog, 1018), c.autoReveal);
                uncover(dialog);
                HWND focus = GetDlgItem(dialog, c.focusId);
                SetFocus(focus);
                EXPECT_EQ(GetFocus(), focus);
                press(VK_RETURN);
              }});
    EXPECT_EQ(s.autoRevealSeconds, c.seconds);
    EXPECT_EQ(s.chapter, 1);
    EXPECT_EQ(s.rangeFirstLesson, 1);
    EXPECT_EQ(s.rangeLastLesson, 4);
    EXPECT_EQ(s.orderMode, 1) << "focus alone changed the order";
    EXPECT_EQ(state().checkedInRange, 2);
    expectWholeClientRepainted("after OK");
    UpdateWindow(window);
  }
}

TEST_F(DialogTest, ProgressCountsOnlyUnassistedCompletionsMadeThroughTheDrill) {
  runDialog(VK_SPACE, {[&](HWND dialog) {
              expectAtClientOrigin(dialog);
              EXPECT_EQ(captionOf(dialog), L"進度集計");
              EXPECT_EQ(textOf(dialog, IDOK), L"[Enter] 閉じる");
              for (int id : kCountEdits) EXPECT_EQ(textOf(dialog, id), L"0") << id;
              press(VK_RETURN);
            }});

  // The four sentences in order; the second one with a hint.
  send(WM_KEYDOWN, VK_RETURN);
  for (int item = 0; item < 4; ++item) {
    ASSERT_EQ(state().currentItem, item);
    completeSentence(item == 1);
    send(WM_KEYDOWN, VK_RETURN);
  }
  ASSERT_EQ(state().screen, dd::Menu);
  EXPECT_EQ(program->records.catalogue.items[1].bestTimeMs, 0);
  std::vector<std::wstring> counts = readCounts();
  ASSERT_EQ(counts.size(), 21u);
  EXPECT_EQ(counts[0], L"3");
  EXPECT_EQ(counts[20], L"3");
  for (int chapter = 2; chapter <= 20; ++chapter) EXPECT_EQ(counts[chapter - 1], L"0");

  // Sentence 1 again and sentence 2 unassisted: all four done, still no mark.
  send(WM_KEYDOWN, VK_RETURN);
  completeSentence(false);
  send(WM_KEYDOWN, VK_RETURN);
  completeSentence(false);
  send(WM_KEYDOWN, VK_ESCAPE);
  counts = readCounts();
  ASSERT_EQ(counts.size(), 21u);
  EXPECT_EQ(counts[0], L"4");
  EXPECT_EQ(counts[20], L"4");
}

// The mark for a full chapter and for all 419; best times set straight into the catalogue.
TEST_F(DialogTest, ProgressMarksOnlyFullChapters) {
  auto full = [](int size) { return kMark + std::to_wstring(size); };
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> done;            // runs of items [first, end) with a best time
    bool othersFull;                                  // chapters not in shown: full, or else "0"
    std::vector<std::pair<int, std::wstring>> shown;  // index into kCountEdits, text
  };
  const Case cases[] = {
      {"chapter 1 full", {{0, 17}}, false, {{0, full(17)}, {20, L"17"}}},
      {"chapter 1 one short, chapter 20 full",
       {{0, 16}, {394, 419}},
       false,
       {{0, L"16"}, {19, full(25)}, {20, L"41"}}},
      {"all but one item of chapter 10", {{0, 200}, {201, 419}}, true, {{9, L"23"}, {20, L"418"}}},
      {"everything", {{0, 419}}, true, {{20, full(419)}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dd::ItemCatalogue& catalogue = program->records.catalogue;
    for (dd::PracticeItem& item : catalogue.items) item.bestTimeMs = 0;
    for (auto [first, end] : c.done) {
      for (int i = first; i < end; ++i) catalogue.items[i].bestTimeMs = 1;
    }
    std::vector<std::wstring> expected;
    for (int size : kChapterSizes) expected.push_back(c.othersFull ? full(size) : L"0");
    expected.push_back(L"?");  // every case names its total
    for (const auto& [index, text] : c.shown) expected[index] = text;
    std::vector<std::wstring> counts = readCounts();
    ASSERT_EQ(counts.size(), 21u);
    for (int i = 0; i < 21; ++i) EXPECT_EQ(counts[i], expected[i]) << "edit " << kCountEdits[i];
  }
}

// A best time below 0 is no completion: the comparison is signed.
TEST_F(DialogTest, ProgressDoesNotCountANegativeBestTime) {
  program->records.catalogue.items[0].bestTimeMs = -1;
  program->records.catalogue.items[5].bestTimeMs = INT32_MIN;
  program->records.catalogue.items[6].bestTimeMs = 1;
  std::vector<std::wstring> counts = readCounts();
  ASSERT_EQ(counts.size(), 21u);
  EXPECT_EQ(counts[0], L"1");
  EXPECT_EQ(counts[20], L"1");
}

// Escape leaves the tally open; Enter closes it from either kind of control and has the whole
// main window repainted.
TEST_F(DialogTest, ProgressStaysOpenOnEscapeAndEnterClosesItWhereverTheFocusIs) {
  show();
  for (int focusId : {IDOK, 1027, 1043}) {
    SCOPED_TRACE(testing::Message() << "focus on " << focusId);
    runDialog(VK_SPACE, {
                            [&](HWND) { press(VK_ESCAPE); },
                            [&](HWND dialog) {
                              EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape closed it";
                              uncover(dialog);
                              HWND focus = GetDlgItem(dialog, focusId);
                              SetFocus(focus);
                              EXPECT_EQ(GetFocus(), focus);
                              press(VK_RETURN);
                            },
                        });
    expectWholeClientRepainted("after closing");
    UpdateWindow(window);
  }
}

}  // namespace
