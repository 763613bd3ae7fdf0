// Paints the three screens, Japanese included, into PREFIX-menu.bmp, PREFIX-typing.bmp and
// PREFIX-result.bmp, so runs under different locales can be compared byte for byte.
//
// The bitmaps carry one Japanese-capable font whatever the locale: the default font itself
// changes with the code page, and only the text the program hands to it is under comparison.
// Its character set is the default one, so like the system font it follows the code page: an
// ANSI drawing call would read the Shift-JIS bytes in the locale's code page.
#include <cstdio>
#include <memory>

#include "layout.h"
#include "painter.h"
#include "screen_bitmap.h"
#include "text.h"

namespace {

const wchar_t kFace[] = L"IPAGothic";

bool paintTo(const dd::DrillRecords& records, const dd::Layout& layout, HFONT font,
             const char* prefix, const char* screenName) {
  ddtest::ScreenBitmap bitmap;
  HGDIOBJ previous = SelectObject(bitmap.dc(), font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(bitmap.dc(), LF_FACESIZE, face);
  if (lstrcmpW(face, kFace) != 0) {
    std::fprintf(stderr, "dd_paint_dump: the font %ls is missing\n", kFace);
    return false;
  }
  dd::paintScreen(bitmap.dc(), records, layout);
  SelectObject(bitmap.dc(), previous);
  char path[512];
  std::snprintf(path, sizeof path, "%s-%s.bmp", prefix, screenName);
  return bitmap.save(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dd_paint_dump PREFIX\n");
    return 2;
  }
  HFONT font =
      CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, kFace);
  auto records = std::make_unique<dd::DrillRecords>();
  dd::initialiseRecords(*records, 1);
  dd::Layout layout;
  dd::initialiseLayout(layout);
  dd::DrillState& state = records->state;
  bool ok = paintTo(*records, layout, font, argv[1], "menu");

  records->settings.presentation = 0;
  state.screen = dd::Typing;
  state.currentItem = 1;
  dd::copyText(state.shownText, "\x81gIs there a con");
  state.elapsedMs = 4321;
  records->catalogue.items[1].bestTimeMs = 9800;
  ok = ok && paintTo(*records, layout, font, argv[1], "typing");

  state.screen = dd::Result;
  records->settings.japaneseStyle = 1;
  state.checked[1] = 1;
  state.checkedInRange = 1;
  ok = ok && paintTo(*records, layout, font, argv[1], "result");
  DeleteObject(font);
  return ok ? 0 : 1;
}
