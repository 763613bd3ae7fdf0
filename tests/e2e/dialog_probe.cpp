// Prints what the visible dialogs on the desktop hold, one JSON line per dialog: the caption, the
// client area (screen position and size) and, for every control, its id, text, check state and
// whether it is enabled. drive_program.py builds
// it with the cross compiler and runs it under Wine beside the program, to read the counts and
// buttons of DictaDrill's dialogs from outside. Texts are asked with WM_GETTEXT, which the
// system carries across processes; the caption is read as stored.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr UINT kAnswerMs = 2000;

void printJsonString(const wchar_t* text) {
  char utf8[1024];
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (length <= 0) utf8[0] = 0;
  std::putchar('"');
  for (const char* c = utf8; *c != 0; ++c) {
    if (*c == '"' || *c == '\\') {
      std::printf("\\%c", *c);
    } else if (static_cast<unsigned char>(*c) < 0x20) {
      std::printf("\\u%04x", *c);
    } else {
      std::putchar(*c);
    }
  }
  std::putchar('"');
}

LRESULT ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &answer);
  return static_cast<LRESULT>(answer);
}

BOOL CALLBACK printControl(HWND control, LPARAM count) {
  wchar_t className[64] = {};
  GetClassNameW(control, className, 64);
  wchar_t text[256] = {};
  ask(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  int checked = -1;
  if (_wcsicmp(className, L"Button") == 0)
    checked = static_cast<int>(ask(control, BM_GETCHECK, 0, 0));
  int& printed = *reinterpret_cast<int*>(count);
  std::printf("%s{\"id\": %d, \"class\": ", printed++ == 0 ? "" : ", ",
              static_cast<int>(static_cast<short>(GetDlgCtrlID(control))));
  printJsonString(className);
  std::printf(", \"text\": ");
  printJsonString(text);
  std::printf(", \"checked\": %d, \"enabled\": %s}", checked,
              IsWindowEnabled(control) ? "true" : "false");
  return TRUE;
}

BOOL CALLBACK printDialog(HWND window, LPARAM) {
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  wchar_t caption[256] = {};
  InternalGetWindowText(window, caption, 256);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT client{};
  GetClientRect(window, &client);
  std::printf("{\"caption\": ");
  printJsonString(caption);
  std::printf(", \"client\": [%ld, %ld, %ld, %ld], \"controls\": [", origin.x, origin.y,
              client.right, client.bottom);
  int count = 0;
  EnumChildWindows(window, printControl, reinterpret_cast<LPARAM>(&count));
  std::printf("]}\n");
  return TRUE;
}

}  // namespace

int main() {
  EnumWindows(printDialog, 0);
  return 0;
}
