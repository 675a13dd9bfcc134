#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include "platform/ui/ImageFile.h"

// The image button of the skinned windows: paints one of four images (normal, hover, pressed,
// disabled) stretched over itself, and an optional caption. A push button tells its parent of
// a click with a sent WM_COMMAND (wParam: id, BN_CLICKED; lParam: the button's handle); a
// toggle button flips its checked state and posts WM_COMMAND (wParam: id; lParam: its handle).
// Every mouse move over it is posted on to the parent as WM_MOUSEMOVE with the cursor in
// screen coordinates, and so is the cursor's place when the pointer leaves it (the popup menus
// follow the cursor with them).
class CBitmapBtn : public QAbstractButton {
 public:
  // Caption layouts of SetCaption.
  static constexpr int kLayoutLeft = 2;
  static constexpr int kLayoutVertical = 3;

  CBitmapBtn();
  ~CBitmapBtn() override;

  // Places the button at `rect` in `parent` with control id `id` and shows it. `caption` is the
  // window's text, which is not drawn (SetCaption sets what is).
  bool Create(const QString& caption, const QRect& rect, QWidget* parent, int id = 0);

  // Each image becomes the block (x, y, w, h) of its sheet; a null sheet, or a block outside
  // it, gives no image. The caller keeps the sheets. Given the `kept` image of a window that
  // lives as long as the program (its background), a face whose pixels it holds as well shares
  // its memory, and the others are kept as ui::KeptOpaque keeps an image.
  void SetStateImages(int x, int y, int w, int h, const QImage* normalSheet,
                      const QImage* overSheet, const QImage* downSheet,
                      const QImage* disabledSheet, const ui::KeptImage* kept = nullptr);
  // Each image is loaded from its file (by content); a file that does not load gives none.
  void LoadStateImages(const QString& normalFile, const QString& overFile,
                       const QString& downFile, const QString& disabledFile);

  // Ignored while the button is disabled or when the state does not change.
  void SetCheckState(int state);
  int GetCheckState() const { return checked_; }

  // Layout kLayoutLeft draws the caption at the left edge, kLayoutVertical turned to read
  // downward, any other centred; `xOffset` is added to the caption's x.
  void SetCaption(const QString& text, int xOffset, int layout);
  void SetFontHeight(int height);

  // While either look is switched off the button never shows its hover or pressed look.
  void EnableDownLook(int enable);
  void EnableOverLook(int enable);

  // 1 makes the button a toggle. There is no setter: an owner that wants a toggle sets it after
  // creating the button.
  int toggleMode = 0;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int checked_ = 0;
  int hover_ = 0;
  QImage normal_;
  QImage over_;
  QImage down_;
  QImage disabled_;
  QString caption_;
  int fontHeight_ = 12;
  int captionXOffset_ = 0;
  int layout_ = 0;
  QColor captionColour_{255, 255, 255};
  QColor activeCaptionColour_{255, 255, 255};
  int downLook_ = 1;
  int overLook_ = 1;
  int controlId_ = 0;
};
