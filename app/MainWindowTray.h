#pragma once

#include <QWidget>

#include <functional>
#include <memory>

#include "app/TrayIcon.h"
#include "platform/desktop/Autostart.h"
#include "platform/ui/IconTable.h"
#include "skin/XPMenu.h"

// The main window's life in the notification area: its icon, what a double click and a right
// press on it do, the menu with Show main panel, the start with the desktop session and Exit, and
// the device warning when the mouse is not the expected one.
class MainWindowTray {
 public:
  // `checkIsMyDevice` is the device identity check (true: the expected mouse answers),
  // `bringToFront` shows the window normally, raises and activates it.
  MainWindowTray(QWidget& window, TrayIconHost& host, desktop::Autostart& autostart,
                 const ui::IconTable& icons, std::function<bool()> checkIsMyDevice,
                 std::function<void()> bringToFront);
  ~MainWindowTray();
  MainWindowTray(const MainWindowTray&) = delete;
  MainWindowTray& operator=(const MainWindowTray&) = delete;

  // Adds the icon (icon 128, no tooltip); the result is ignored.
  void AddTrayIcon();
  // Removes the icon and closes the menu; afterwards nothing here acts any more, also not a box
  // that is still returning.
  void RemoveTrayIcon();

  // WM_TRAYICON_NOTIFY: lParam is the mouse message. A double click shows the window when the
  // mouse is the expected one and otherwise hides it and warns, once while the warning is open;
  // a right press opens the menu at the cursor.
  void OnTrayNotify(ui::WPARAM wParam, ui::LPARAM lParam);
  // The menu's Show main panel: as the double click, warning at every failure.
  void OnTrayShowMainPanel();
  // Flips the flag read when the menu opened and writes the start entry on or off; a failure is
  // silent and shows in the next menu.
  void OnToggleAutoRun();
  bool IsAutoRunEnabled();

  // The open menu, or null.
  CXPMenu* Menu() const;
  bool MessageGuard() const { return messageGuard_; }
  bool AutoRunFlag() const { return autoRun_; }

 private:
  // Shows the window on success; hides it and, when `warn`, shows the device warning.
  bool ShowOrWarn();
  void Warn();
  void OpenMenu();

  QWidget& window_;
  TrayIconHost& host_;
  desktop::Autostart& autostart_;
  const ui::IconTable& icons_;
  std::function<bool()> checkIsMyDevice_;
  std::function<void()> bringToFront_;

  bool autoRun_ = false;
  bool messageGuard_ = false;
  bool removed_ = false;
  // The menu and its item records live until the next menu opens or the icon goes.
  std::unique_ptr<CXPMenu> menu_;
  tagXPMENUITEM items_[3];
};
