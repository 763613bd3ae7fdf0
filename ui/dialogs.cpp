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

INT_PTR openSettings(HWND dialog) {
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
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
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
