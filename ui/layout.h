// The twelve fixed client-area rectangles every text of every screen is placed in.
#pragma once

#include <windows.h>

#include "host.h"

namespace dd {

struct Layout {
  RECT idRect;
  RECT checkRect;
  RECT japaneseRect;
  RECT englishRect;
  RECT helpRect1;
  RECT helpRect2;
  RECT orderRect;
  RECT rangeRect;
  RECT presentationRect;
  RECT speedRect;
  RECT timeRect;
  RECT bestRect;
};

// Sets the rectangles once at start; nothing changes them afterwards.
void initialiseLayout(Layout& layout);

// The rectangle the controller means by a repaint area.
const RECT& repaintRect(const Layout& layout, RepaintArea area);

}  // namespace dd
