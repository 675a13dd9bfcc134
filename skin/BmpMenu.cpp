#include "skin/BmpMenu.h"

#include <QPainter>

#include <algorithm>

#include "platform/ui/ImageFile.h"
#include "platform/ui/ScreenMetrics.h"
#include "skin/BitmapBtn.h"

namespace {

constexpr int kItemHeight = CMenuWindow::kItemHeight;

// The blue and dark grey of the generated submenu pictures.
const QColor kFrame(0x1F, 0x8B, 0xE5);
const QColor kBody(0x33, 0x33, 0x33);

QString TextOf(const tagBMPMENUINFO& item) {
  return QString::fromUtf16(item.text);
}

}  // namespace

// ---- CBmpMenu ----

CBmpMenu::CBmpMenu() = default;

CBmpMenu::~CBmpMenu() { DestroyWindow(); }

void CBmpMenu::LoadImages(const QString& normal, const QString& over, const QString& down,
                          const QString& disabled) {
  normal_ = ui::LoadImageFile(normal);
  over_ = ui::LoadImageFile(over);
  down_ = ui::LoadImageFile(down);
  disabled_ = ui::LoadImageFile(disabled);
}

void CBmpMenu::LoadSubMenuImages(const QString& normal, const QString& over, const QString& down,
                                 const QString& disabled) {
  subNormal_ = ui::LoadImageFile(normal);
  subOver_ = ui::LoadImageFile(over);
  subDown_ = ui::LoadImageFile(down);
  subDisabled_ = ui::LoadImageFile(disabled);
}

void CBmpMenu::KeepOnScreen(QPoint& point, int w, int h) {
  if (point.x() + w > ui::GetSystemMetrics(ui::SM_CXFULLSCREEN)) point.rx() -= w;
  if (point.y() + h > ui::GetSystemMetrics(ui::SM_CYFULLSCREEN)) point.ry() -= h;
}

void CBmpMenu::SetPosition(int x, int y) {
  x_ = x;
  y_ = y;
}

void CBmpMenu::AddItem(const QString& text, int code) {
  tagBMPMENUINFO item{};
  skin::CopyMenuText(item.text, text);
  item.code = code;
  items_.push_back(std::move(item));
}

void CBmpMenu::AddSubItem(int item, const QString& text, int code) {
  if (item < 0 || item >= int(items_.size())) return;
  tagBMPMENUINFO& parent = items_[size_t(item)];
  if (!parent.subItems) parent.subItems = std::make_shared<BmpMenuItemList>();
  tagBMPMENUINFO sub{};
  skin::CopyMenuText(sub.text, text);
  sub.code = code;
  parent.subItems->push_back(std::move(sub));
  parent.hasSubItems = 1;
}

void CBmpMenu::ClearSubItems(int item) {
  if (item < 0 || item >= int(items_.size())) return;
  tagBMPMENUINFO& parent = items_[size_t(item)];
  if (!parent.subItems) return;
  parent.subItems->clear();
  parent.hasSubItems = 0;
}

bool CBmpMenu::Create(QWidget* parent) {
  if (window_) return false;
  window_ = new CMenuWindow(parent, this);
  OnInitDialog();
  return true;
}

void CBmpMenu::OnInitDialog() {
  buttonCount_ = skin::BuildMenuLevel(
      window_, QRect(x_, y_, normal_.width(), normal_.height()), &normal_,
      {&normal_, &over_, &down_, &disabled_}, buttons_, int(items_.size()),
      [this](int i) { return TextOf(items_[size_t(i)]); });
}

void CBmpMenu::DestroyWindow() {
  CloseSubmenu();
  items_.clear();
  buttons_.fill(nullptr);
  buttonCount_ = 0;
  CMenuWindow::Destroy(window_);
  normal_ = over_ = down_ = disabled_ = QImage();
  subNormal_ = subOver_ = subDown_ = subDisabled_ = QImage();
}

void CBmpMenu::CloseSubmenu() {
  if (!submenu_) return;
  const int id = submenu_->MenuId();
  if (id >= 0 && id < int(items_.size())) items_[size_t(id)].submenuOpen = 0;
  submenu_->DestroyWindow();
  submenu_.reset();
}

ui::LRESULT CBmpMenu::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  switch (msg) {
    case ui::WM_MOUSEMOVE:
      OnMouseMove(QPoint(ui::XFromLParam(lParam), ui::YFromLParam(lParam)));
      return 0;
    case ui::WM_COMMAND:
      return OnCommand(lParam) ? 1 : 0;
    case WM_BMPSUBMENU_SELECT: {
      // A sub-item was chosen: the owner learns the item's code with the sub-item's.
      const int item = ui::HiWord(wParam);
      if (item < int(items_.size()) && window_) {
        ui::PostMessage(window_->parentWidget(), WM_BMPMENU_SELECT, wParam,
                        ui::MakeLong(ui::LoWord(uintptr_t(lParam)),
                                     uint32_t(items_[size_t(item)].code)));
      }
      return 0;
    }
    default:
      return 0;
  }
}

void CBmpMenu::OnMouseMove(const QPoint& screen) {
  for (int i = 0; i < buttonCount_; ++i) {
    tagBMPMENUINFO& item = items_[size_t(i)];
    if (skin::ScreenRectOf(buttons_[size_t(i)]).contains(screen)) {
      if (submenu_ && submenu_->MenuId() == i) return;
      CloseSubmenu();
      if (item.hasSubItems && !item.submenuOpen) {
        item.submenuOpen = 1;
        submenu_ = std::make_unique<CSubBmpMenu>(i, item.subItems);
        const int ws = subNormal_.width();
        submenu_->SetImages(0, 0, ws, subNormal_.height(), &subNormal_, &subOver_, &subDown_,
                            &subDisabled_);
        submenu_->SetPosition(x_ + ws, y_ + kItemHeight * i);
        submenu_->Create(window_);
      }
    } else if (item.hasSubItems && item.submenuOpen && submenu_ && submenu_->MenuId() == i &&
               !skin::ScreenRectOf(submenu_->Window()).contains(screen)) {
      CloseSubmenu();
    }
  }
}

bool CBmpMenu::OnCommand(ui::LPARAM sender) {
  const int i = skin::MenuButtonIndex(buttons_, buttonCount_, sender);
  if (i < 0 || !window_) return false;
  const tagBMPMENUINFO& item = items_[size_t(i)];
  if (item.hasSubItems) return true;  // the item opens a submenu; it is no choice
  ui::PostMessage(window_->parentWidget(), WM_BMPMENU_SELECT, ui::MakeLong(0, uint32_t(i)),
                  ui::MakeLong(0, uint32_t(item.code)));
  return true;
}

// ---- CSubBmpMenu ----

CSubBmpMenu::CSubBmpMenu(int menuId, std::shared_ptr<const BmpMenuItemList> subItems)
    : subItems_(std::move(subItems)), menuId_(menuId) {}

CSubBmpMenu::~CSubBmpMenu() { DestroyWindow(); }

void CSubBmpMenu::SetImages(int x, int y, int w, int h, const QImage* normal, const QImage* over,
                            const QImage* down, const QImage* disabled) {
  const QRect rect(x, y, w, h);
  normal_ = ui::CutImage(normal, rect);
  over_ = ui::CutImage(over, rect);
  down_ = ui::CutImage(down, rect);
  disabled_ = ui::CutImage(disabled, rect);
}

int CSubBmpMenu::ShownCount() const {
  return subItems_ ? std::min(int(subItems_->size()), CMenuWindow::kMaxItems) : 0;
}

int CSubBmpMenu::Height() const { return kItemHeight * ShownCount() + 2; }

void CSubBmpMenu::SetPosition(int x, int y) {
  x_ = x;
  y_ = y;
  const int screenHeight = ui::GetSystemMetrics(ui::SM_CYFULLSCREEN);
  if (y_ + Height() > screenHeight) y_ = std::max(0, screenHeight - Height());
}

void CSubBmpMenu::BuildItemPictures() {
  normalPicture_ = QImage();
  highlightedPicture_ = QImage();
  const int w = normal_.width();
  const int h = Height();
  if (w <= 0) return;
  normalPicture_ = QImage(w, h, QImage::Format_ARGB32);
  highlightedPicture_ = QImage(w, h, QImage::Format_ARGB32);
  const QRect all(0, 0, w, h);
  {
    QPainter painter(&normalPicture_);
    painter.fillRect(all, kFrame);
    painter.fillRect(all.adjusted(1, 1, -1, -1), kBody);
  }
  {
    QPainter painter(&highlightedPicture_);
    painter.fillRect(all, kFrame);
    painter.fillRect(all.adjusted(1, 1, -1, -1), kBody);
    painter.fillRect(all.adjusted(2, 2, -2, -2), kFrame);
  }
}

bool CSubBmpMenu::Create(QWidget* parent) {
  if (window_) return false;
  window_ = new CMenuWindow(parent, this);
  OnInitDialog();
  return true;
}

void CSubBmpMenu::OnInitDialog() {
  BuildItemPictures();
  buttonCount_ = skin::BuildMenuLevel(
      window_, QRect(x_, y_, normal_.width(), Height()), &normalPicture_,
      {&normalPicture_, &highlightedPicture_, &highlightedPicture_, &normalPicture_}, buttons_,
      ShownCount(), [this](int i) { return TextOf((*subItems_)[size_t(i)]); });
}

void CSubBmpMenu::DestroyWindow() {
  buttons_.fill(nullptr);
  buttonCount_ = 0;
  CMenuWindow::Destroy(window_);
}

ui::LRESULT CSubBmpMenu::WindowProc(uint32_t msg, ui::WPARAM, ui::LPARAM lParam) {
  if (msg != ui::WM_COMMAND || !window_) return 0;
  const int i = skin::MenuButtonIndex(buttons_, buttonCount_, lParam);
  // The list may have been emptied while the submenu was open.
  if (i < 0 || i >= int(subItems_->size())) return 0;
  ui::PostMessage(window_->parentWidget(), WM_BMPSUBMENU_SELECT,
                  ui::MakeLong(uint32_t(i), uint32_t(menuId_)),
                  ui::MakeLong(uint32_t((*subItems_)[size_t(i)].code), 0));
  return 1;
}
