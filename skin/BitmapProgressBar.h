#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

// The progress bar of the skinned windows: a background stretched over the bar and a fill,
// drawn unscaled from the left, as wide as the position's share of the range.
class CBitmapProgressBar : public QWidget {
 public:
  CBitmapProgressBar();
  ~CBitmapProgressBar() override;

  bool Create(const QRect& rect, QWidget* parent, int id = 0);

  // No repaint.
  void SetRange(int min, int max);
  // Clamps the position to [min, max] and repaints before returning.
  void SetPos(int position);
  int GetPos() const { return position_; }
  // The background and the fill become the block (x, y, w, h) of their sheets; the caller
  // keeps the sheets.
  void SetImages(int x, int y, int w, int h, const QImage* backgroundSheet,
                 const QImage* fillSheet);

  // The fill's width for the current position on a bar `barWidth` wide (0 for an empty range).
  int FillWidth(int barWidth) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int min_ = 0;
  int max_ = 10;
  int position_ = 0;
  QImage background_;
  QImage fill_;
  int controlId_ = 0;
};
