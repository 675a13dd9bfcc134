#pragma once

#include <QRect>
#include <QWidget>

namespace pages {

// A rectangle of the main window's client area in the page's own client coordinates: through
// the screen, from the parent's coordinates to the page's. A page without a parent keeps it.
inline QRect ToPageRect(const QWidget& page, const QRect& inParent) {
  const QWidget* parent = page.parentWidget();
  if (!parent) return inParent;
  const QPoint topLeft = page.mapFromGlobal(parent->mapToGlobal(inParent.topLeft()));
  return QRect(topLeft, QSize(qMax(0, inParent.width()), qMax(0, inParent.height())));
}

}  // namespace pages
