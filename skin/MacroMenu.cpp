#include "skin/MacroMenu.h"

#include "platform/ui/ImageFile.h"
#include "skin/BitmapBtn.h"

namespace {
// A submenu's left edge lies this far inside the right edge of the level that opens it, so the
// pointer moving right from the item reaches the submenu while still on the item.
constexpr int kOverlap = 2;
}  // namespace

CMacroMenu::CMacroMenu(QWidget* parent) : parent_(parent) {}

CMacroMenu::~CMacroMenu() { DestroyWindow(); }

uint32_t CMacroMenu::MenuMouseProcMessage() {
  static const uint32_t message = ui::RegisterWindowMessage(QStringLiteral("MenuMouseProc"));
  return message;
}

void CMacroMenu::LoadImages(const QString& normal, const QString& over, const QString& down,
                            const QString&) {
  normal_ = ui::LoadImageFile(normal);
  over_ = ui::LoadImageFile(over);
  down_ = ui::LoadImageFile(down);
}

void CMacroMenu::SetPosition(int x, int y) {
  x_ = x;
  y_ = y;
}

void CMacroMenu::AddItem(const QString& name, int commandId, bool hasSubmenu,
                         CMacroMenu* submenu) {
  tagMACROMENUINFO item{};
  skin::CopyMenuText(item.name, name);
  item.hasSubmenu = hasSubmenu ? 1 : 0;
  item.commandId = commandId;
  item.submenu = submenu;
  items_.push_back(item);
}

bool CMacroMenu::Create(QWidget* parent) {
  if (window_) return false;
  window_ = new CMenuWindow(parent ? parent : parent_, this);
  OnInitDialog();
  return true;
}

void CMacroMenu::OnInitDialog() {
  buttonCount_ = skin::BuildMenuLevel(
      window_, QRect(x_, y_, normal_.width(), normal_.height()), &normal_,
      {&normal_, &over_, &down_, &normal_}, buttons_, int(items_.size()),
      [this](int i) { return QString::fromUtf16(items_[size_t(i)].name); });
}

void CMacroMenu::DestroyWindow() {
  for (tagMACROMENUINFO& item : items_) {
    if (item.submenu) {
      item.submenu->DestroyWindow();
      delete item.submenu;
      item.submenu = nullptr;
    }
  }
  items_.clear();
  buttons_.fill(nullptr);
  buttonCount_ = 0;
  CMenuWindow::Destroy(window_);
}

bool CMacroMenu::IsSubmenuLevel() const {
  // A level below the top is owned by the window of the level above it.
  return window_ && dynamic_cast<CMenuWindow*>(window_->parentWidget()) != nullptr;
}

ui::LRESULT CMacroMenu::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  if (msg == ui::WM_MOUSEMOVE) {
    OnMouseMove(QPoint(ui::XFromLParam(lParam), ui::YFromLParam(lParam)));
    return 0;
  }
  if (msg == ui::WM_COMMAND) return OnCommand(lParam) ? 1 : 0;
  if (msg == WM_MACROMENU_SELECT) {
    // A choice made in a level below climbs on unchanged.
    if (window_) ui::PostMessage(window_->parentWidget(), WM_MACROMENU_SELECT, wParam, lParam);
    return 1;
  }
  if (msg == MenuMouseProcMessage()) {
    DestroyWindow();
    return 1;
  }
  return 0;
}

void CMacroMenu::OnMouseMove(const QPoint& screen) {
  const int w = normal_.width();
  for (int i = 0; i < buttonCount_; ++i) {
    tagMACROMENUINFO& item = items_[size_t(i)];
    if (!item.hasSubmenu || !item.submenu) continue;
    CMacroMenu* sub = item.submenu;
    if (skin::ScreenRectOf(buttons_[size_t(i)]).contains(screen)) {
      if (!sub->Window()) {
        sub->SetPosition(x_ + w - kOverlap, y_ + CMenuWindow::kItemHeight * i);
        sub->Create(window_);
      }
      if (!sub->window_->isVisible()) sub->window_->ShowOnTop();
    } else if (sub->Window() && sub->Window()->isVisible() &&
               !skin::ScreenRectOf(sub->Window()).contains(screen)) {
      // The pointer left the item, and not into its submenu (a fast move may jump over the
      // overlap straight into the submenu, which then stays).
      sub->Window()->hide();
    }
  }
}

void CMacroMenu::OnHidden() {
  for (const tagMACROMENUINFO& item : items_) {
    if (item.submenu && item.submenu->Window()) item.submenu->Window()->hide();
  }
}

void CMacroMenu::OnActivateApp() {
  // Each tree is torn down once, from its top level, which takes every level below with it.
  if (!IsSubmenuLevel()) DestroyWindow();
}

bool CMacroMenu::OnCommand(ui::LPARAM sender) {
  const int i = skin::MenuButtonIndex(buttons_, buttonCount_, sender);
  if (i < 0 || !window_) return false;
  const tagMACROMENUINFO& item = items_[size_t(i)];
  if (item.hasSubmenu) return true;  // the item opens a submenu; it is no choice
  ui::PostMessage(window_->parentWidget(), WM_MACROMENU_SELECT, 0,
                  ui::MakeLong(0, uint32_t(item.commandId)));
  return true;
}
