#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include <cstdint>
#include <memory>

#include "platform/ui/WindowMessage.h"

// The program's icon in the notification area. Its activations reach the main window as
// WM_TRAYICON_NOTIFY with the icon's id in wParam and the mouse message in lParam.
//
// XEmbed hosts (trayer, the panels of X11 desktops) hand Qt the real clicks: a double click
// arrives as such, a single click as a trigger, a right press as a context request. A
// StatusNotifierItem host reports no double click at all: its "activate" request (what the host
// does on a click or double click) arrives as a trigger, so there the trigger counts as the
// double click. Qt chooses the kind when the icon is made: a StatusNotifierItem when a watcher
// with a registered host is on the session bus, XEmbed otherwise; the icon asks the same question
// at the same moment.

// The tray callback; the macro menu's WM_MACROMENU_CLOSE shares the number, told apart by the
// receiver.
inline constexpr uint32_t WM_TRAYICON_NOTIFY = 0x0600;
// The mouse messages in its lParam.
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;

// The icon resources of the program (Icons/<id>.png).
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDI_AUTORUN_ON = 135;
inline constexpr int IDI_AUTORUN_OFF = 136;

// The mouse message that an activation stands for.
uint32_t TrayMouseMessage(QSystemTrayIcon::ActivationReason reason, bool statusNotifierItem);

// Whether Qt makes its tray icons StatusNotifierItems: a watcher on the session bus with a host
// registered.
bool StatusNotifierHostPresent();

class TrayIconHost {
 public:
  virtual ~TrayIconHost() = default;
  // Shows `icon` with no tooltip; activations are posted to `window`. False when there is no
  // notification area now (the icon still appears when one comes).
  virtual bool Add(QObject* window, const QIcon& icon) = 0;
  virtual void Remove() = 0;
};

// QSystemTrayIcon. Without any notification area it says so once on standard error.
class SystemTrayIconHost : public TrayIconHost {
 public:
  SystemTrayIconHost();
  ~SystemTrayIconHost() override;
  bool Add(QObject* window, const QIcon& icon) override;
  void Remove() override;

 private:
  std::unique_ptr<QSystemTrayIcon> icon_;
};

