#include "app/MainWindowTray.h"

#include <QCursor>
#include <QPixmap>

#include "app/KavrinDireZerudDlg.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Text.h"
#include "resources/MenuTextTable.h"

namespace {

QString Text(MenuTextId id) { return ui::ToQString(MenuText(id)); }

}  // namespace

MainWindowTray::MainWindowTray(QWidget& window, TrayIconHost& host, desktop::Autostart& autostart,
                               const ui::IconTable& icons, std::function<bool()> checkIsMyDevice,
                               std::function<void()> bringToFront)
    : window_(window),
      host_(host),
      autostart_(autostart),
      icons_(icons),
      checkIsMyDevice_(std::move(checkIsMyDevice)),
      bringToFront_(std::move(bringToFront)) {}

MainWindowTray::~MainWindowTray() { RemoveTrayIcon(); }

void MainWindowTray::AddTrayIcon() {
  host_.Add(&window_, QIcon(QPixmap::fromImage(icons_.Icon(IDR_MAINFRAME))));
}

void MainWindowTray::RemoveTrayIcon() {
  if (removed_) return;
  removed_ = true;
  if (menu_) menu_->close();
  menu_.reset();
  host_.Remove();
}

CXPMenu* MainWindowTray::Menu() const {
  return menu_ && menu_->isVisible() ? menu_.get() : nullptr;
}

void MainWindowTray::OnTrayNotify(ui::WPARAM, ui::LPARAM lParam) {
  if (removed_) return;
  switch (static_cast<uint32_t>(lParam)) {
    case WM_LBUTTONDBLCLK:
      if (!ShowOrWarn() && !messageGuard_) {
        messageGuard_ = true;
        Warn();
        // Exit may have been chosen while the box was open: nothing here is touched then.
        if (!removed_) messageGuard_ = false;
      }
      return;
    case WM_RBUTTONDOWN:
      OpenMenu();
      return;
    default:
      return;
  }
}

void MainWindowTray::OnTrayShowMainPanel() {
  if (removed_) return;
  if (!ShowOrWarn()) Warn();
}

bool MainWindowTray::ShowOrWarn() {
  if (checkIsMyDevice_()) {
    bringToFront_();
    return true;
  }
  window_.hide();
  return false;
}

void MainWindowTray::Warn() { ui::MessageBox(&window_, Text(MenuTextId::OpenDeviceWarning)); }

void MainWindowTray::OpenMenu() {
  autoRun_ = IsAutoRunEnabled();
  if (menu_) menu_->close();
  const int autoRunIcon = autoRun_ ? IDI_AUTORUN_ON : IDI_AUTORUN_OFF;
  items_[0] = {IDR_MAINFRAME, IDR_MAINFRAME, Text(MenuTextId::ShowMainPanel)};
  items_[1] = {autoRunIcon, autoRunIcon, Text(MenuTextId::EnableAutoRun)};
  items_[2] = {IDR_MAINFRAME, IDR_MAINFRAME, Text(MenuTextId::Exit)};
  menu_ = std::make_unique<CXPMenu>(icons_);
  menu_->AppendItem(ID_TRAY_SHOWMAINPANEL, &items_[0]);
  menu_->AppendItem(ID_TRAY_AUTORUN, &items_[1]);
  menu_->AppendSeparator();
  menu_->AppendItem(ID_TRAY_EXIT, &items_[2]);
  menu_->TrackPopupMenu(QCursor::pos(), &window_);
}

void MainWindowTray::OnToggleAutoRun() {
  if (removed_) return;
  autoRun_ = !autoRun_;
  autostart_.SetEnabled(autoRun_);
}

bool MainWindowTray::IsAutoRunEnabled() { return autostart_.IsEnabled(); }
