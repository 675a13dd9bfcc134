#pragma once

#include <QFont>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

#include "platform/ui/SysColor.h"
#include "platform/ui/WindowMessage.h"

// Notifications of CListBoxEx, posted to its parent with the list's handle in wParam.
// lParam: the index of the edited item.
inline constexpr uint32_t WM_LBEX_EDITDONE = ui::WM_USER + 100;
// lParam 0. Only the user's changes of the selection are reported.
inline constexpr uint32_t WM_LBEX_SELCHANGE = ui::WM_USER + 101;
// lParam: the selection before the right click (-1 for none); the click does not change it.
inline constexpr uint32_t WM_LBEX_RBUTTONDOWN = ui::WM_USER + 102;
// lParam 0. Posted before the click selects, so the receiver sees the selection after it.
inline constexpr uint32_t WM_LBEX_LBUTTONDOWN = ui::WM_USER + 103;

// The owner-drawn list of the macro manager: rows drawn by item type, an in-place editor over
// one row, and four notifications to the parent.
//
// Each item carries a 32-bit value: its type in the low word and a value in the high word.
// Type 0 is plain text 2 pixels in (macro names); types 2 to 6 (key up, key down, delay, mouse
// up, mouse down) draw the icon of their kind and the text one icon width in; any other type
// draws the text one icon width in and no icon.
//
// The editor (a name, or the milliseconds of a delay) commits on the release of Enter, when it
// loses the focus and on a press anywhere else in the program's windows; it cancels on the
// release of Esc. Typing can make its text no longer than 10 characters; a longer text of the
// row is shown and committed whole unless the user changes it. The program has one editor at a
// time.
class CListBoxEx : public QListWidget {
 public:
  static constexpr int kTypeName = 0;
  static constexpr int kTypeDelay = 4;

  CListBoxEx();
  ~CListBoxEx() override;

  // Places the list at `rect` in `parent` and shows it.
  bool Create(const QRect& rect, QWidget* parent);

  // The list's background and the selected row's colour (0x00BBGGRR); repaints the whole list.
  void SetColors(ui::COLORREF background, ui::COLORREF selection);
  // Turns editing by double-click on or off.
  void SetEditable(int editable);
  // The icon files of types 2 to 6 (key up, key down, delay, mouse up, mouse down); they are
  // read at every draw.
  void SetImages(const QString& keyUp, const QString& keyDown, const QString& delay,
                 const QString& mouseUp, const QString& mouseDown);

  // Inserts at `index` (-1 appends); the index of the new item, or -1 when `index` lies past the
  // end. Texts are cut to 259 units.
  int InsertItem(int index, uint32_t data, const QString& text);
  // Drops this list's open editor without committing it, appends the item, selects it and, with
  // `openEditor`, opens a text editor on it. The index of the new item.
  int AddItem(uint32_t data, const QString& text, bool openEditor);
  // Opens a numeric editor on the item, unless this list has an editor open or `index` names no
  // item.
  void BeginEdit(int index);

  // The list box operations the owners use; an index that names no item is ignored (-1, 0 or an
  // empty text).
  int GetCount() const { return count(); }
  int GetCurSel() const;
  // -1, or an index that names no item, removes the selection.
  void SetCurSel(int index);
  uint32_t GetItemData(int index) const;
  void SetItemData(int index, uint32_t data);
  QString GetText(int index) const;
  void DeleteString(int index);
  void ResetContent();

  // The open editor of this list, or null; the index of the row under it, or -1.
  QLineEdit* Editor() const { return editor_.data(); }
  int EditingIndex() const { return editingIndex_; }
  // The list whose editor is open in the program, or null.
  static CListBoxEx* EditingList();

  // Draws row `row` (-1: none) into `rect`: the delegate's paint, and the benchmarks'.
  void DrawItem(QPainter& painter, const QRect& rect, int row, bool selected) const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class CListEditBox;

  void OpenEditor(int index, bool numeric);
  void CommitEdit();
  void CancelEdit();
  // Forgets the open editor (this list's and the program's), then removes it.
  QLineEdit* ReleaseEditor();
  int NearestItem(const QPoint& point) const;
  void SelectByUser(int index);
  void UpdateBackground();
  void Post(uint32_t msg, ui::LPARAM lParam);

  QFont font_;
  int editingIndex_ = -1;
  QPointer<QLineEdit> editor_;
  std::array<QString, 5> icons_;
  int itemHeight_ = 16;
  ui::COLORREF highlightText_;
  ui::COLORREF windowText_;
  ui::COLORREF selection_;
  int iconWidth_ = 16;
  int iconHeight_ = 16;
  int editable_ = 0;
  std::optional<ui::COLORREF> background_;
};
