#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/WindowMessage.h"
#include "skin/MenuWindow.h"

class CBitmapBtn;
class CSubBmpMenu;

// A choice in a submenu, posted by the submenu to its menu. wParam: the menu id (index of the
// parent item) in the high word, the sub-item's index in the low word; lParam: the sub-item's
// code in the low word.
inline constexpr uint32_t WM_BMPSUBMENU_SELECT = ui::WM_USER + 0x100;
// A choice in the function menu, posted to the menu's owner. An item without sub-items: wParam
// holds the item's index and lParam its code in the high word (low words 0). A sub-item:
// wParam as WM_BMPSUBMENU_SELECT; lParam holds the item's code in the high word and the
// sub-item's code in the low word. Every half keeps only its low 16 bits.
inline constexpr uint32_t WM_BMPMENU_SELECT = ui::WM_USER + 0x101;

struct tagBMPMENUINFO;
using BmpMenuItemList = std::vector<tagBMPMENUINFO>;

// One item of the function menu, or one sub-item (of which only the text and code are used).
struct tagBMPMENUINFO {
  char16_t text[260];        // at most 259 units, NUL-terminated
  uint8_t hasSubItems;       // 1 once a sub-item was added, 0 after they were cleared
  uint8_t submenuOpen;       // 1 while this item's submenu is open
  int32_t code;              // reported on a click
  std::shared_ptr<BmpMenuItemList> subItems;  // null until the first sub-item
};

// The skinned two-level function menu: one image button per item, 17 pixels apart over the
// menu sheet. Hovering an item with sub-items opens its CSubBmpMenu beside it; a click on an
// item without sub-items, or on a sub-item, is posted to the owner as WM_BMPMENU_SELECT. The
// menu never closes itself: its owner calls DestroyWindow and deletes it.
class CBmpMenu final : private CMenuWindow::Handler {
 public:
  CBmpMenu();
  ~CBmpMenu();
  CBmpMenu(const CBmpMenu&) = delete;
  CBmpMenu& operator=(const CBmpMenu&) = delete;

  // The menu sheets (normal, over, down, disabled), each as large as the whole menu; a file
  // that does not load gives an empty sheet.
  void LoadImages(const QString& normal, const QString& over, const QString& down,
                  const QString& disabled);
  // The sheets handed to every submenu; their width is the submenus' width.
  void LoadSubMenuImages(const QString& normal, const QString& over, const QString& down,
                         const QString& disabled);

  // Flips `point` to the other side of its anchor where a w-by-h window there would pass the
  // available screen's right or bottom edge (x - w, y - h); it is not clamped.
  static void KeepOnScreen(QPoint& point, int w, int h);

  // The top-left screen position the window is created at.
  void SetPosition(int x, int y);

  void AddItem(const QString& text, int code);
  // Ignored when `item` names no item.
  void AddSubItem(int item, const QString& text, int code);
  // Empties the item's sub-item list; ignored when `item` names no item.
  void ClearSubItems(int item);

  // Creates and shows the window at the position set, owned by `parent`'s top-level window.
  bool Create(QWidget* parent);
  // Removes the windows of the menu and its open submenu, deletes the submenu and the items,
  // and releases the sheets. The object stays until its owner deletes it.
  void DestroyWindow();

  // The menu's window, null when it has none (not created yet, or destroyed).
  QWidget* Window() const { return window_.data(); }
  const BmpMenuItemList& Items() const { return items_; }
  // The open submenu, or null.
  CSubBmpMenu* OpenSubmenu() const { return submenu_.get(); }
  // The number of item buttons the window holds.
  int ButtonCount() const { return buttonCount_; }

 private:
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  void OnInitDialog();
  void OnMouseMove(const QPoint& screen);
  bool OnCommand(ui::LPARAM sender);
  void CloseSubmenu();

  skin::MenuButtons buttons_{};
  int buttonCount_ = 0;
  QImage normal_, over_, down_, disabled_;
  QImage subNormal_, subOver_, subDown_, subDisabled_;
  int x_ = 0;
  int y_ = 0;
  std::unique_ptr<CSubBmpMenu> submenu_;
  BmpMenuItemList items_;
  QPointer<CMenuWindow> window_;
};

// The second level of the function menu: the sub-items of one item, over generated pictures
// as wide as the submenu sheets. A click is posted to the menu as WM_BMPSUBMENU_SELECT.
class CSubBmpMenu final : private CMenuWindow::Handler {
 public:
  CSubBmpMenu(int menuId, std::shared_ptr<const BmpMenuItemList> subItems);
  ~CSubBmpMenu();
  CSubBmpMenu(const CSubBmpMenu&) = delete;
  CSubBmpMenu& operator=(const CSubBmpMenu&) = delete;

  // Keeps a copy of the rectangle (x, y, w, h) of each sheet; an absent sheet, or a rectangle
  // not inside it, gives an absent copy.
  void SetImages(int x, int y, int w, int h, const QImage* normal, const QImage* over,
                 const QImage* down, const QImage* disabled);
  // Stores the position; a submenu that would pass the available screen's bottom is moved up
  // until its bottom is there, but never above the screen's top. x is kept.
  void SetPosition(int x, int y);
  // (Re)builds the normal and highlighted pictures: a blue frame around a dark body, and a
  // blue body inside a dark ring inside a blue frame; as wide as the normal sheet copy.
  void BuildItemPictures();

  bool Create(QWidget* parent);
  void DestroyWindow();

  QWidget* Window() const { return window_.data(); }
  int MenuId() const { return menuId_; }
  QPoint Position() const { return QPoint(x_, y_); }
  const QImage& NormalPicture() const { return normalPicture_; }
  const QImage& HighlightedPicture() const { return highlightedPicture_; }
  int ButtonCount() const { return buttonCount_; }

 private:
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  void OnInitDialog();
  int ShownCount() const;
  int Height() const;

  skin::MenuButtons buttons_{};
  int buttonCount_ = 0;
  QImage normal_, over_, down_, disabled_;
  int x_ = 0;
  int y_ = 0;
  std::shared_ptr<const BmpMenuItemList> subItems_;
  int menuId_;
  QImage normalPicture_, highlightedPicture_;
  QPointer<CMenuWindow> window_;
};
