#include "pages/DialogKeys.h"

namespace pages {

bool IsDialogKey(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Cancel:
      return true;
    case Qt::Key_Pause:
      return (key.modifiers() & Qt::ControlModifier) != 0;
    default:
      return false;
  }
}

}  // namespace pages
