#include "main_window.h"

#include <imm.h>
#include <mmsystem.h>

#include <ctime>

#include "controller.h"
#include "deferred_sound.h"
#include "dialogs.h"
#include "painter.h"
#include "resource_ids.h"
#include "staging.h"

namespace dd {

namespace {

ProgramRecords* active = nullptr;

// DrillHost on the window of the message being handled; the handle is never stored. Sound
// held for after the paint is started before a dialog opens or the window closes.
class WindowHost final : public DrillHost {
 public:
  WindowHost(HWND window, const ProgramRecords& program, DeferredSound& sound)
      : window_(window), program_(program), sound_(sound) {}

  void invalidateAll() override { InvalidateRect(window_, nullptr, TRUE); }
  void invalidateRect(RepaintArea area) override {
    InvalidateRect(window_, &repaintRect(program_.layout, area), TRUE);
  }
  void startTick() override { SetTimer(window_, kTickTimerId, kTickPeriodMs, nullptr); }
  void stopTick() override { KillTimer(window_, kTickTimerId); }
  uint32_t nowMs() override { return timeGetTime(); }
  void openSettingsDialog() override {
    sound_.flush();
    prepareDialogControls();
    DialogBoxParamA(program_.instance, MAKEINTRESOURCEA(IDD_SETTINGS), window_,
                    program_.settingsDialog, 0);
  }
  void openProgressDialog() override {
    sound_.flush();
    DialogBoxParamA(program_.instance, MAKEINTRESOURCEA(IDD_PROGRESS), window_,
                    program_.progressDialog, 0);
  }
  void closeWindow() override {
    sound_.flush();
    DestroyWindow(window_);
  }

 private:
  HWND window_;
  const ProgramRecords& program_;
  DeferredSound& sound_;
};

// Runs one event through the drill. What it changed is painted before any sound it asked for
// starts: under Wine starting a clip takes milliseconds the screen need not wait for.
template <typename Event>
void runEvent(HWND window, Event event) {
  DeferredSound sound(*active->sound);
  WindowHost host(window, *active, sound);
  DrillController drill{active->records, host, sound};
  event(drill);
  if (IsWindow(window)) UpdateWindow(window);
  sound.flush();
}

LRESULT handleCreate(HWND window) {
  ProgramRecords& program = *active;
  initialiseSettings(program.records.settings, program.records.state);
  initialiseLayout(program.layout);
  initialiseCatalogue(program.records.catalogue);
  stageRecordings(program.instance);
  seedRandom(program.records.random, static_cast<uint32_t>(std::time(nullptr)));
  // Letters must arrive as characters even when the user's input method is in kana mode.
  ImmAssociateContext(window, nullptr);
  return 0;
}

LRESULT handleDestroy() {
  active->sound->close();
  PostQuitMessage(0);
  return 0;
}

LRESULT handlePaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  paintScreen(dc, active->records, active->layout);
  EndPaint(window, &paint);
  return 0;
}

LRESULT handlePrintClient(HDC dc) {
  paintScreen(dc, active->records, active->layout);
  return 0;
}

LRESULT handleClose(HWND window) {
  KillTimer(window, kTickTimerId);
  DestroyWindow(window);
  return 0;
}

LRESULT handleKeyDown(HWND window, WPARAM virtualKey) {
  runEvent(window, [virtualKey](DrillController& drill) {
    onKeyDown(drill, static_cast<uint32_t>(virtualKey));
  });
  return 0;
}

LRESULT handleChar(HWND window, WPARAM code) {
  runEvent(window, [code](DrillController& drill) { onChar(drill, static_cast<uint32_t>(code)); });
  return 0;
}

LRESULT handleTimer(HWND window) {
  runEvent(window, [](DrillController& drill) { onTick(drill); });
  return 0;
}

// The default procedure takes a press on the caption as the start of a move, so a drag of any
// point of the client area moves the window.
LRESULT handleLeftButtonDown(HWND window, LPARAM lParam) {
  PostMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
  return 0;
}

}  // namespace

void attachProgram(ProgramRecords& program) { active = &program; }

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return handleCreate(window);
    case WM_DESTROY:
      return handleDestroy();
    case WM_PAINT:
      return handlePaint(window);
    case WM_PRINTCLIENT:
      return handlePrintClient(reinterpret_cast<HDC>(wParam));
    case WM_CLOSE:
      return handleClose(window);
    case WM_KEYDOWN:
      return handleKeyDown(window, wParam);
    case WM_CHAR:
      return handleChar(window, wParam);
    case WM_TIMER:
      return handleTimer(window);
    case WM_LBUTTONDOWN:
      return handleLeftButtonDown(window, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool registerMainWindowClass(HINSTANCE instance) {
  HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP_ICON), IMAGE_ICON, 0, 0,
                           LR_SHARED | LR_DEFAULTSIZE);
  HANDLE smallIcon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP_ICON), IMAGE_ICON, 0, 0,
                                LR_SHARED | LR_DEFAULTSIZE);
  HANDLE cursor =
      LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = static_cast<HICON>(icon);
  windowClass.hCursor = static_cast<HCURSOR>(cursor);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kWindowClassName;
  windowClass.hIconSm = static_cast<HICON>(smallIcon);
  return RegisterClassExA(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
  return CreateWindowExA(0, kWindowClassName, kWindowTitle, WS_SYSMENU, CW_USEDEFAULT,
                         CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr, instance,
                         nullptr);
}

int runProgram(ProgramRecords& program, HINSTANCE instance, int showCommand) {
  program.instance = instance;
  attachProgram(program);
  if (!registerMainWindowClass(instance)) return 0;
  HWND window = createMainWindow(instance);
  if (window == nullptr) return 0;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  MSG message{};
  BOOL got;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0 && got != -1) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace dd
