#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "platform/ui/IconTable.h"

class QPainter;

// The item data of one owner-drawn item of a CXPMenu; the owner keeps it alive while the menu
// is shown.
struct tagXPMENUITEM {
  int32_t normalIcon;    // icon of the item when it is not selected (low 16 bits)
  int32_t selectedIcon;  // icon of the item when it is selected (low 16 bits)
  QString text;
};

// The tray's popup menu: owner-drawn items with an icon strip on the left, an icon and a text in
// fixed colours, and separators. A popup window of its own (override-redirect on X11), shown at
// a point and kept on the screen: the item under the pointer is selected, the left or right
// button or Enter chooses it, Escape or a click outside closes the menu. A choice is posted to
// the owner as WM_COMMAND (the item's command in the low word of wParam, lParam 0) once the menu
// has closed; nothing waits for it, so timers and messages go on while it is open.
class CXPMenu : public QWidget {
 public:
  static constexpr int kItemWidth = 100;
  static constexpr int kItemHeight = 22;
  static constexpr int kSeparatorHeight = 8;
  // The menu's frame around its items.
  static constexpr int kFrame = 1;

  // Icons are looked up in `icons`, which must outlive the menu.
  explicit CXPMenu(const ui::IconTable& icons, QWidget* parent = nullptr);

  // An owner-drawn item with `item` as its data (null: an item that draws nothing).
  void AppendItem(uint16_t command, const tagXPMENUITEM* item);
  void AppendSeparator();

  // The size of every owner-drawn item: 100 by 22, whatever its text.
  QSize MeasureItem(const tagXPMENUITEM* item) const;
  // Draws one owner-drawn item into `rect`; a null item draws nothing.
  void DrawItem(QPainter& painter, const QRect& rect, const tagXPMENUITEM* item,
                bool selected) const;

  // Shows the menu with its top-left corner at `at` (screen coordinates), moved so that it lies
  // on the screen; the choice goes to `owner`. Returns at once.
  void TrackPopupMenu(const QPoint& at, QObject* owner);

  // Where a menu of `size` opened at `at` lies on `screen`: to the left of `at` when it would
  // cross the right edge, above it when it would cross the bottom, and then inside the screen.
  static QPoint PlaceOnScreen(const QPoint& at, const QSize& size, const QRect& screen);

  int ItemCount() const { return static_cast<int>(items_.size()); }
  bool IsSeparator(int index) const { return items_[index].separator; }
  uint16_t CommandOf(int index) const { return items_[index].command; }
  const tagXPMENUITEM* DataOf(int index) const { return items_[index].data; }
  // The rectangle of item `index` in the menu's coordinates.
  QRect ItemRect(int index) const;
  // The selected item, -1 for none.
  int Selected() const { return selected_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Entry {
    bool separator;
    uint16_t command;
    const tagXPMENUITEM* data;
  };

  int ItemAt(const QPoint& point) const;
  void Select(int index);
  // Moves the selection by `step` over the items that can be chosen.
  void Step(int step);
  // Closes the menu, then posts the command of item `index` to the owner.
  void Choose(int index);

  const ui::IconTable& icons_;
  std::vector<Entry> items_;
  QPointer<QObject> owner_;
  int selected_ = -1;
  // A release chooses only after a press inside the menu or a move over it: the release of the
  // press that opened the menu does not.
  bool armed_ = false;
};
