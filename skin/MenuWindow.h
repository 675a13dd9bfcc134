#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

#include "platform/ui/WindowMessage.h"

class CBitmapBtn;

// The window of one level of a skinned popup menu: a borderless top-level window at exact
// screen coordinates, kept above its owner (the top-level window of the parent it is created
// with), with no taskbar entry. It never takes the focus, so opening a menu never counts as
// leaving the application, and it is not a Qt popup: its owner decides when it closes.
//
// The window and the menu object that fills it are separate: the object builds the window,
// handles its messages while attached, and outlives it. The window paints its background at
// 1:1 and hands the object every window message, its own mouse moves as WM_MOUSEMOVE in screen
// coordinates, its hiding, and changes of the application's activation.
class CMenuWindow : public QWidget {
 public:
  class Handler {
   public:
    virtual ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) = 0;
    virtual void OnHidden() {}
    virtual void OnActivateApp() {}

   protected:
    ~Handler() = default;
  };

  // Items are stacked this many pixels apart, and a level shows at most kMaxItems of them.
  static constexpr int kItemHeight = 17;
  static constexpr int kMaxItems = 41;

  // `parent` may be null (a menu without owner).
  CMenuWindow(QWidget* parent, Handler* handler);

  // The background, painted from (0, 0); the image must live as long as the window paints it.
  void SetBackground(const QImage* background);

  // Shows the window above the windows of its layer.
  void ShowOnTop();

  // Detaches `window` from its object, hides it and deletes it once control is back in the
  // event loop (a menu may be closed from inside its own window's handler). Sets it to null.
  static void Destroy(QPointer<CMenuWindow>& window);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  Handler* handler_;
  const QImage* background_ = nullptr;
};

namespace skin {

// Copies `text` into a fixed record field of 260 units, cut to 259 and NUL-terminated.
void CopyMenuText(char16_t (&field)[260], const QString& text);

// The screen rectangle of a control.
QRect ScreenRectOf(const QWidget* control);

// The item buttons of one menu level, in item order.
using MenuButtons = std::array<CBitmapBtn*, CMenuWindow::kMaxItems>;

// Builds one menu level in `window`: places it at `geometry` over `background`, makes the
// buttons of the first kMaxItems of `count` items in their bands, each with caption(i)
// left-aligned 5 pixels in and its normal, over, down and disabled looks cut from the same band
// of `looks`, and shows the window on top. Returns how many buttons were made.
int BuildMenuLevel(CMenuWindow* window, const QRect& geometry, const QImage* background,
                   const std::array<const QImage*, 4>& looks, MenuButtons& buttons, int count,
                   const std::function<QString(int)>& caption);

// The index of the button whose handle is `sender` among the first `count`, or -1.
int MenuButtonIndex(const MenuButtons& buttons, int count, ui::LPARAM sender);

// The band of item `index` in a menu `width` by `height`: 17 pixels high, its bottom lowered to
// the menu's bottom when it passes it.
QRect ItemBand(int index, int width, int height);

}  // namespace skin
