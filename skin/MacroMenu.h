#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/ui/WindowMessage.h"
#include "skin/MenuWindow.h"

class CBitmapBtn;
class CMacroMenu;

// A command chosen in the macro menu, posted by the level where it was chosen to its parent
// and on up to the owner. wParam 0; lParam: the command id in the high word (its low 16 bits).
inline constexpr uint32_t WM_MACROMENU_SELECT = ui::WM_USER + 0x201;
// Asks the owner of the macro menu to close it. The main window's tray callback has the same
// number; the window that receives it tells which it is.
inline constexpr uint32_t WM_MACROMENU_CLOSE = 0x600;

// One item of a macro menu level.
struct tagMACROMENUINFO {
  char16_t name[260];   // at most 259 units, NUL-terminated
  uint8_t hasSubmenu;   // 1 when the item opens a submenu
  int32_t commandId;    // reported on a click; 0 for an item that opens a submenu
  CMacroMenu* submenu;  // the submenu, owned by the menu the item belongs to; or null
};

// The skinned cascading popup menu of the macro manager. Every level is a CMacroMenu of its own:
// an item may open the next level beside it on hover, and a click on an item that opens none is
// posted up the levels to the owner as WM_MACROMENU_SELECT. A submenu's window is made on the
// first hover over its item and afterwards only shown and hidden; hiding a level hides every
// level below it. A change of the application's activation, or the registered message
// "MenuMouseProc", tears the open tree down.
class CMacroMenu final : private CMenuWindow::Handler {
 public:
  // The owner passes the window the top level reports to; lower levels get none (their window
  // reports to the level above).
  explicit CMacroMenu(QWidget* parent = nullptr);
  ~CMacroMenu();
  CMacroMenu(const CMacroMenu&) = delete;
  CMacroMenu& operator=(const CMacroMenu&) = delete;

  // The normal, over and down sheets, each as large as the menu; the fourth is not used.
  void LoadImages(const QString& normal, const QString& over, const QString& down,
                  const QString& unused);
  void SetPosition(int x, int y);
  // Appends an item; the menu takes ownership of `submenu`.
  void AddItem(const QString& name, int commandId, bool hasSubmenu, CMacroMenu* submenu);

  // Creates and shows the window at the position set, owned by `parent`'s top-level window
  // (the parent given at construction when `parent` is null).
  bool Create(QWidget* parent = nullptr);
  // Removes the windows of this level and of every level below, deletes the submenu objects
  // and empties the items. The object stays until its owner deletes it.
  void DestroyWindow();

  QWidget* Window() const { return window_.data(); }
  const std::vector<tagMACROMENUINFO>& Items() const { return items_; }
  int ButtonCount() const { return buttonCount_; }
  QPoint Position() const { return QPoint(x_, y_); }

  // The registered message that makes a menu window destroy its tree.
  static uint32_t MenuMouseProcMessage();

 private:
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  void OnHidden() override;
  void OnActivateApp() override;
  void OnInitDialog();
  void OnMouseMove(const QPoint& screen);
  bool OnCommand(ui::LPARAM sender);
  bool IsSubmenuLevel() const;

  skin::MenuButtons buttons_{};
  int buttonCount_ = 0;
  QImage normal_, over_, down_;
  int x_ = 0;
  int y_ = 0;
  std::vector<tagMACROMENUINFO> items_;
  QWidget* parent_;
  QPointer<CMenuWindow> window_;
};
