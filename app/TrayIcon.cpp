#include "app/TrayIcon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QVariant>

#include <cstdio>

uint32_t TrayMouseMessage(QSystemTrayIcon::ActivationReason reason, bool statusNotifierItem) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Trigger:
      return statusNotifierItem ? WM_LBUTTONDBLCLK : WM_LBUTTONUP;
    case QSystemTrayIcon::Context:
      return WM_RBUTTONDOWN;
    case QSystemTrayIcon::MiddleClick:
      return WM_MBUTTONUP;
    default:
      return 0;
  }
}

bool StatusNotifierHostPresent() {
  const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  if (!bus.interface()->isServiceRegistered(watcher).value()) return false;
  QDBusInterface object(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
  return object.isValid() && object.property("IsStatusNotifierHostRegistered").toBool();
}

SystemTrayIconHost::SystemTrayIconHost() = default;
SystemTrayIconHost::~SystemTrayIconHost() = default;

bool SystemTrayIconHost::Add(QObject* window, const QIcon& icon) {
  const bool statusNotifierItem = StatusNotifierHostPresent();
  icon_ = std::make_unique<QSystemTrayIcon>(icon);
  QObject::connect(icon_.get(), &QSystemTrayIcon::activated, window,
                   [window, statusNotifierItem](QSystemTrayIcon::ActivationReason reason) {
                     const uint32_t message = TrayMouseMessage(reason, statusNotifierItem);
                     if (message != 0) {
                       ui::PostMessage(window, WM_TRAYICON_NOTIFY, IDR_MAINFRAME, message);
                     }
                   });
  icon_->show();
  const bool available = QSystemTrayIcon::isSystemTrayAvailable();
  static bool said = false;
  if (!available && !said) {
    said = true;
    std::fprintf(stderr,
                 "The desktop has no notification area: the program's icon shows once one starts. "
                 "Starting the program again shows its window while the mouse is connected.\n");
  }
  return available;
}

void SystemTrayIconHost::Remove() {
  if (icon_) icon_->hide();
  icon_.reset();
}
