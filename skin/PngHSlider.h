#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <cstdint>

#include "platform/ui/WindowMessage.h"

// Posted by the thumb to its bar (wParam the new value, lParam the thumb's control id) and by
// the bar to its parent (wParam the new value, lParam the bar's handle).
inline constexpr uint32_t WM_PNGSLIDER_POS = ui::WM_USER + 0x400;

// The value at page x coordinate `x` on a track from `trackLeft` to `trackRight`, computed in
// single precision: a fraction above one half rounds up, exactly one half rounds down; the
// result is clamped to [min, max]. A track without width gives min.
int TrackValue(int x, int trackLeft, int trackRight, int min, int max);

class CPngHSliderBar;

// The draggable thumb of a CPngHSliderBar: a PNG, shaped by its colour key, that moves between
// two x bounds of its owner. A drag only moves it; the release sets the value under the cursor
// and reports it.
class CPngHSlider : public QWidget {
 public:
  CPngHSlider();
  ~CPngHSlider() override;

  // Loads the thumb's PNG and places it at (0, 0) of `owner` with the image's size. The thumb
  // moves with its left edge from minX to maxX - width, aligned to `top` or `bottom`.
  bool Create(const QString& pngFile, int minX, int top, int maxX, int bottom, QWidget* owner,
              int id, bool shaped);

  // A value outside [min, max] stores min. Moves the thumb to the value's place and repaints.
  void SetPos(int value);
  int GetPos() const { return position_; }
  void SetRange(int min, int max);
  // 0: the thumb's top at the top bound; 1: its bottom at the bottom bound; other: SetPos and
  // drags keep its y.
  void SetAlign(int align) { align_ = align; }
  void SetDragEnabled(int enabled) { dragEnabled_ = enabled; }
  void SetDisabled(int disabled) { disabled_ = disabled; }
  // The track in the page's client coordinates.
  void SetTrackRect(int left, int top, int right, int bottom);

  bool IsDragging() const { return dragging_ != 0; }
  // The thumb's left edge for the current value: signed, and never left of minX nor past
  // maxX - width (a bar narrower than the thumb keeps it at minX).
  int ThumbX() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int AlignedY() const;

  int align_ = 0;
  int controlId_ = 0;
  QImage image_;
  int width_ = 0;
  int height_ = 0;
  QRegion region_;
  int dragging_ = 0;
  int minX_ = 0;
  int top_ = 0;
  int maxX_ = 0;
  int bottom_ = 0;
  QPoint press_;
  QWidget* owner_ = nullptr;
  int min_ = 0;
  int max_ = 10;
  int dragEnabled_ = 1;
  int position_ = 0;
  int trackLeft_ = 0;
  int trackTop_ = 0;
  int trackRight_ = 0;
  int trackBottom_ = 0;
  int disabled_ = 0;
};

// The PNG slider: a track cut from the skin with its thumb. A click on the track jumps the thumb
// to the value under the cursor; the bar reports every new value to its parent with
// WM_PNGSLIDER_POS and its own handle, so a page tells its bars apart by handle.
class CPngHSliderBar : public QWidget {
 public:
  CPngHSliderBar();
  ~CPngHSliderBar() override;

  // Places the bar at `rect` of `parent` with the range 0 to 10 and creates its thumb from
  // `pngFile`, at value 0, draggable across the bar's whole width.
  bool Create(const QString& pngFile, const QRect& rect, QWidget* parent, int id);

  void SetRange(int min, int max);
  void SetPos(int value) { thumb_.SetPos(value); }
  int GetPos() const { return thumb_.GetPos(); }
  // The track in the parent's client coordinates, for the bar and its thumb.
  void SetTrackRect(int left, int top, int right, int bottom);
  void SetAlign(int align) { thumb_.SetAlign(align); }
  // The background becomes the block (x, y, w, h) of `sheet`; a null sheet gives none.
  void SetBackground(int x, int y, int w, int h, const QImage* sheet);
  // Switches the bar and its thumb off (flag 0) or on; true.
  virtual bool Enable(int flag);

  CPngHSlider& Thumb() { return thumb_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int controlId_ = 0;
  QImage background_;
  int trackLeft_ = 0;
  int trackTop_ = 0;
  int trackRight_ = 0;
  int trackBottom_ = 0;
  QWidget* parent_ = nullptr;
  int min_ = 0;
  int max_ = 10;
  CPngHSlider thumb_;
  int disabled_ = 0;
};
