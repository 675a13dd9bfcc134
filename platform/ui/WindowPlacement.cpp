#include "platform/ui/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include "platform/ui/CaptionDrag.h"

namespace ui {

namespace {

// Puts a window back where CenterWindow placed it when the window manager moves it while it is
// new: a window manager that is still starting may push a dialog into a work area that is not
// settled yet. The keeping ends when the window hides, when the user drags it, at the first
// press of a mouse button or key in the application, and after a few corrections, so that it
// never fights a window manager that insists.
class PositionKeeper : public QObject {
 public:
  static void Keep(QWidget* window, const QPoint& at) {
    PositionKeeper* keeper = nullptr;
    for (QObject* child : window->children()) {
      auto* found = dynamic_cast<PositionKeeper*>(child);
      if (found && !found->ended_) keeper = found;
    }
    if (!keeper) keeper = new PositionKeeper(window);
    keeper->at_ = at;
    keeper->corrections_ = 0;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Move:
        if (watched == window_) OnMove();
        break;
      case QEvent::Hide:
        if (watched == window_) End();
        break;
      case QEvent::MouseButtonPress:
      case QEvent::KeyPress:
        End();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  static constexpr int kMaxCorrections = 3;

  explicit PositionKeeper(QWidget* window) : QObject(window), window_(window) {
    qApp->installEventFilter(this);
  }

  void OnMove() {
    if (!window_->isVisible() || window_->pos() == at_) return;
    if (IsCaptionDragActive() || corrections_ >= kMaxCorrections) return End();
    ++corrections_;
    window_->move(at_);
  }
  void End() {
    if (ended_) return;
    ended_ = true;
    qApp->removeEventFilter(this);
    deleteLater();
  }

  QPointer<QWidget> window_;
  QPoint at_;
  int corrections_ = 0;
  bool ended_ = false;
};

}  // namespace

void ShowWindow(QWidget* window, int showCommand) {
  if (!window) return;
  if (showCommand == SW_HIDE) {
    window->hide();
  } else if (showCommand == SW_SHOWNORMAL) {
    window->showNormal();
  } else {
    window->show();
  }
}

QPoint CentredPosition(const QRect& frame, const std::optional<QRect>& owner,
                       const QRect& available, const QRect& screen) {
  // An available area that does not hold the owner (or, without one, the window) is not the
  // desktop's real one: a desktop that is still starting can report a small one.
  const bool trusted = owner ? available.contains(*owner)
                             : available.width() >= frame.width() &&
                                   available.height() >= frame.height();
  const QRect area = trusted ? available : screen;
  QRect placed = frame;
  placed.moveCenter(owner ? owner->center() : area.center());
  if (!area.isEmpty()) {
    if (placed.right() > area.right()) placed.moveRight(area.right());
    if (placed.bottom() > area.bottom()) placed.moveBottom(area.bottom());
    if (placed.left() < area.left()) placed.moveLeft(area.left());
    if (placed.top() < area.top()) placed.moveTop(area.top());
  }
  return placed.topLeft();
}

void CenterWindow(QWidget* window) {
  if (!window) return;
  QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  if (owner && !owner->isVisible()) owner = nullptr;
  QScreen* screen = owner ? owner->screen() : window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QPoint at = CentredPosition(
      window->frameGeometry(), owner ? std::optional<QRect>(owner->frameGeometry()) : std::nullopt,
      screen ? screen->availableGeometry() : QRect(), screen ? screen->geometry() : QRect());
  window->move(at);
  PositionKeeper::Keep(window, at);
}

}  // namespace ui
