#include "platform/ui/SysColor.h"

namespace ui {

COLORREF GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_INACTIVEBORDER: return RGB(244, 247, 252);
    case COLOR_HIGHLIGHT: return RGB(51, 153, 255);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    default: return 0;
  }
}

}  // namespace ui
