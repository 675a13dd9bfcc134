#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "platform/ui/WindowMessage.h"

// Posted by CDMarker to its parent when the mouse is released: wParam the new value, lParam the
// marker's control id.
inline constexpr uint32_t WM_MARKER_POS = ui::WM_USER + 0x401;

// The step slider: a bar cut from the skin whose fill grows cell by cell. Its width is split
// into max - min + 1 equal cells and the cell under the cursor gives the value; at the smallest
// value one cell is filled, at the largest the whole bar. A press and a drag change the value,
// the release reports it.
class CDMarker : public QWidget {
 public:
  CDMarker();
  ~CDMarker() override;

  // Places the slider at (left, top)-(right, bottom) of `parent`'s client area and resets it to
  // the range 0 to 10 at value 0.
  bool Create(int left, int top, int right, int bottom, QWidget* parent, int id);

  // No repaint.
  void SetRange(int min, int max);
  // A value outside [min, max] stores min; repaints at once.
  void SetPos(int value);
  // The background and the fill become the block (x, y, w, h) of their sheets; a null sheet
  // gives none. The caller keeps the sheets.
  void SetImages(int x, int y, int w, int h, const QImage* backgroundSheet,
                 const QImage* fillSheet);

  int Value() const { return value_; }
  bool IsDragging() const { return dragging_ != 0; }

  // The value under parent x coordinate `x`: left of the slider counts as its left edge; a
  // slider without width gives min.
  int ValueAtParentX(int x) const;
  // The width of the fill for the current value; 0 for a slider without width.
  int FillWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void EndDrag();

  int controlId_ = 0;
  QImage background_;
  QImage fill_;
  int dragging_ = 0;
  int left_ = 0;
  int top_ = 0;
  int right_ = 0;
  int bottom_ = 0;
  QWidget* parent_ = nullptr;
  int min_ = 0;
  int max_ = 10;
  int value_ = 0;
};
