#include "layout.h"

namespace dd {

void initialiseLayout(Layout& layout) {
  SetRect(&layout.idRect, 20, 15, 80, 30);
  SetRect(&layout.checkRect, 10, 45, 90, 70);
  SetRect(&layout.japaneseRect, 105, 15, 530, 105);
  SetRect(&layout.englishRect, 20, 130, 530, 220);
  SetRect(&layout.helpRect1, 10, 275, 530, 295);
  SetRect(&layout.helpRect2, 10, 300, 530, 320);
  SetRect(&layout.orderRect, 10, 240, 110, 260);
  SetRect(&layout.rangeRect, 120, 240, 250, 260);
  SetRect(&layout.presentationRect, 260, 240, 360, 260);
  SetRect(&layout.speedRect, 370, 240, 420, 260);
  SetRect(&layout.timeRect, 430, 240, 470, 260);
  SetRect(&layout.bestRect, 475, 240, 530, 260);
}

const RECT& repaintRect(const Layout& layout, RepaintArea area) {
  switch (area) {
    case EnglishArea:
      return layout.englishRect;
    case TimeArea:
      return layout.timeRect;
    case CheckArea:
      return layout.checkRect;
    case RangeArea:
      return layout.rangeRect;
    case SpeedArea:
      return layout.speedRect;
    case JapaneseArea:
      return layout.japaneseRect;
  }
  return layout.japaneseRect;
}

}  // namespace dd
