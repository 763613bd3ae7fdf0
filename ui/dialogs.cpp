#include "dialogs.h"

#include <commctrl.h>

#include <cstdio>

#include "dialog_logic.h"
#include "resource_ids.h"
#include "text.h"
#include "wide_text.h"

namespace dd {

namespace {

DrillRecords* dialogRecords = nullptr;

// Handles kept from opening until the dialog ends.
struct SettingsHandles {
  HWND mainWindow;
  HWND ok;
  HWND autoRevealEdit;
};
SettingsHandles settingsHandles{};

struct ProgressHandles {
  HWND mainWindow;
  HWND ok;
  HWND chapterEdits[kChapterCount];
  HWND totalEdit;
};
ProgressHandles progressHandles{};

char numberText[256];

void setNumber(HWND edit, int32_t value) {
  std::snprintf(numberText, sizeof numberText, "%d", value);
  SetWindowTextA(edit, numberText);
}

void checkGroup(HWND dialog, const RadioGroup& group, int32_t value) {
  const int32_t on = buttonForValue(group, value);
  for (int32_t i = 0; i < group.count; ++i) {
    SendMessageA(GetDlgItem(dialog, group.buttonIds[i]), BM_SETCHECK,
                 group.buttonIds[i] == on ? 1 : 0, 0);
  }
}

void setSpinner(HWND dialog, int spinId, int buddyId, int32_t lower, int32_t upper) {
  HWND spin = GetDlgItem(dialog, spinId);
  SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, buddyId)), 0);
  SendMessageA(spin, UDM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

// A string or ordinal field of a dialog template; returns the text, or nullptr for none.
const wchar_t* templateText(const WORD*& at) {
  if (*at == 0x0000) {
    ++at;
    return nullptr;
  }
  if (*at == 0xFFFF) {
    at += 2;
    return nullptr;
  }
  const wchar_t* text = reinterpret_cast<const wchar_t*>(at);
  while (*at != 0) ++at;
  ++at;
  return text;
}

// DialogBoxParamA passes the template's texts to the new windows through the ANSI code page,
// which turns Japanese into question marks wherever that is not 932. The template holds them in
// UTF-16, so they are set again through the wide call: the caption, then each control in
// template order, which is also the order of the dialog's children.
void restoreTemplateTexts(HWND dialog, int templateId) {
  auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
  if (found == nullptr) return;
  const auto* at = static_cast<const WORD*>(LockResource(LoadResource(instance, found)));
  if (at == nullptr || at[0] != 1 || at[1] != 0xFFFF) return;  // not a DLGTEMPLATEEX
  const DWORD style = *reinterpret_cast<const DWORD*>(at + 6);
  const WORD count = at[8];
  at += 13;          // version to cy
  templateText(at);  // menu
  templateText(at);  // class
  const wchar_t* caption = templateText(at);
  // The dialog's window procedure is the ANSI one, which would take the caption through the
  // code page again; the default procedure stores it as given.
  if (caption != nullptr) DefWindowProcW(dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption));
  if (style & DS_SETFONT) {
    at += 3;  // point size, weight, italic and character set
    templateText(at);
  }
  HWND control = GetWindow(dialog, GW_CHILD);
  for (WORD i = 0; i < count && control != nullptr; ++i) {
    at = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(at) + 3) & ~UINT_PTR{3});
    at += 12;          // help id, extended style, style, x, y, cx, cy, id
    templateText(at);  // class
    const wchar_t* text = templateText(at);
    // Creation data: its size in bytes, then the data.
    at = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(at + 1) + *at);
    if (text != nullptr) SetWindowTextW(control, text);
    control = GetWindow(control, GW_HWNDNEXT);
  }
}

INT_PTR openSettings(HWND dialog) {
  restoreTemplateTexts(dialog, IDD_SETTINGS);
  PracticeSettings& settings = dialogRecords->settings;
  settingsHandles.mainWindow = GetParent(dialog);
  settingsHandles.ok = GetDlgItem(dialog, IDOK);
  settingsHandles.autoRevealEdit = GetDlgItem(dialog, IDC_AUTO_REVEAL_EDIT);
  SetFocus(settingsHandles.ok);
  checkGroup(dialog, radioGroups[OrderField], settings.orderMode);
  checkGroup(dialog, radioGroups[PresentationField], settings.presentation);
  SendMessageA(GetDlgItem(dialog, IDC_CHAPTER_SELECT), BM_SETCHECK,
               settings.chapterSelect == 1 ? 1 : 0, 0);
  setNumber(GetDlgItem(dialog, IDC_CHAPTER_EDIT), settings.chapter);
  setNumber(GetDlgItem(dialog, IDC_FIRST_LESSON_EDIT), settings.rangeFirstLesson);
  setNumber(GetDlgItem(dialog, IDC_LAST_LESSON_EDIT), settings.rangeLastLesson);
  setSpinner(dialog, IDC_CHAPTER_SPIN, IDC_CHAPTER_EDIT, 1, kChapterCount);
  setSpinner(dialog, IDC_FIRST_LESSON_SPIN, IDC_FIRST_LESSON_EDIT, 1, kItemCount);
  setSpinner(dialog, IDC_LAST_LESSON_SPIN, IDC_LAST_LESSON_EDIT, 1, kItemCount);
  checkGroup(dialog, radioGroups[SpeedField], settings.speed);
  checkGroup(dialog, radioGroups[TimerField], settings.timerHidden);
  checkGroup(dialog, radioGroups[JapaneseStyleField], settings.japaneseStyle);
  checkGroup(dialog, radioGroups[HitSoundField], settings.hitSound);
  checkGroup(dialog, radioGroups[MissSoundField], settings.missSound);
  setNumber(settingsHandles.autoRevealEdit, settings.autoRevealSeconds);
  setSpinner(dialog, IDC_AUTO_REVEAL_SPIN, IDC_AUTO_REVEAL_EDIT, 0, kAutoRevealMaxSeconds);
  const bool byChapter = settings.chapterSelect == 1;
  EnableWindow(GetDlgItem(dialog, IDC_CHAPTER_EDIT), byChapter);
  EnableWindow(GetDlgItem(dialog, IDC_FIRST_LESSON_EDIT), !byChapter);
  EnableWindow(GetDlgItem(dialog, IDC_LAST_LESSON_EDIT), !byChapter);
  return TRUE;
}

INT_PTR confirmAndClose(HWND dialog) {
  GetWindowTextA(settingsHandles.autoRevealEdit, numberText, sizeof numberText);
  confirmSettings(*dialogRecords, numberText);
  InvalidateRect(settingsHandles.mainWindow, nullptr, TRUE);
  EndDialog(dialog, 1);
  return TRUE;
}

INT_PTR settingsCommand(HWND dialog, int controlId) {
  if (controlId == IDOK) return confirmAndClose(dialog);
  return applyRadioClick(dialogRecords->settings, controlId) ? TRUE : FALSE;
}

INT_PTR openProgress(HWND dialog) {
  restoreTemplateTexts(dialog, IDD_PROGRESS);
  const ItemCatalogue& catalogue = dialogRecords->catalogue;
  progressHandles.mainWindow = GetParent(dialog);
  progressHandles.ok = GetDlgItem(dialog, IDOK);
  SetFocus(progressHandles.ok);
  for (int chapter = 1; chapter <= kChapterCount; ++chapter) {
    const int id = chapter <= 16 ? IDC_PROGRESS_CHAPTER_1 + chapter - 1
                                 : IDC_PROGRESS_CHAPTER_17 + chapter - 17;
    progressHandles.chapterEdits[chapter - 1] = GetDlgItem(dialog, id);
  }
  progressHandles.totalEdit = GetDlgItem(dialog, IDC_PROGRESS_TOTAL);
  int32_t total = 0;
  for (int chapter = 1; chapter <= kChapterCount; ++chapter) {
    const int32_t done = countChapterDone(catalogue, chapter);
    formatDoneCount(numberText, done, chapterSize[chapter - 1]);
    setShiftJisText(progressHandles.chapterEdits[chapter - 1], numberText);
    total += done;
  }
  formatDoneCount(numberText, total, kItemCount);
  setShiftJisText(progressHandles.totalEdit, numberText);
  return TRUE;
}

INT_PTR closeProgress(HWND dialog) {
  InvalidateRect(progressHandles.mainWindow, nullptr, TRUE);
  EndDialog(dialog, 1);
  return TRUE;
}

}  // namespace

void attachDialogRecords(DrillRecords& records) { dialogRecords = &records; }

void prepareDialogControls() {
  // Loaded when the settings dialog first opens, not imported: loading it at start made every
  // start about 30 ms slower under Wine, for a dialog that may never open.
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = reinterpret_cast<InitFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(LoadLibraryA("comctl32.dll"), "InitCommonControlsEx")));
  if (init == nullptr) return;
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
  init(&controls);
}

void setShiftJisText(HWND window, const char* text) {
  wchar_t wide[kWideTextCapacity];
  const int length = static_cast<int>(boundedLength(text, kWideTextCapacity - 1));
  const int count = shiftJisToWide(text, length, wide, kWideTextCapacity - 1);
  wide[count] = 0;
  SetWindowTextW(window, wide);
}

INT_PTR CALLBACK settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (dialogRecords == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return openSettings(dialog);
    case WM_COMMAND:
      return settingsCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (dialogRecords == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return openProgress(dialog);
    case WM_COMMAND:
      return LOWORD(wParam) == IDOK ? closeProgress(dialog) : FALSE;
    default:
      return FALSE;
  }
}

}  // namespace dd
