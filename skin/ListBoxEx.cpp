#include "skin/ListBoxEx.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "platform/ui/CaptionFont.h"
#include "platform/ui/ImageFile.h"
#include "skin/LimitedLineEdit.h"

namespace {

constexpr int kItemDataRole = Qt::UserRole;
constexpr int kEditorLimit = 10;
constexpr qsizetype kTextLimit = 259;
constexpr int kMaxValue = 65535;

// The list whose editor is open, program-wide.
QPointer<CListBoxEx> g_editingList;

// The number at the start of `text` as the editor commits it: leading blanks and one sign are
// skipped, reading stops at the first other character, no digits read as 0; the result is
// held to 1 to 65535 (larger numbers never overflow on the way).
int ReadEditNumber(const QString& text) {
  qsizetype i = 0;
  auto blank = [](QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
  };
  while (i < text.size() && blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  long value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = std::min<long>(value * 10 + (text[i].unicode() - u'0'), kMaxValue + 1L);
  }
  if (negative) value = -value;
  return int(std::clamp<long>(value, 1, kMaxValue));
}

// The icon in `path` with exactly opaque black made transparent; null when it does not load.
QImage KeyedIcon(const QString& path) {
  QImage icon = ui::LoadImageFile(path);
  if (icon.isNull()) return icon;
  icon = icon.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < icon.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(icon.scanLine(y));
    for (int x = 0; x < icon.width(); ++x) {
      if (line[x] == 0xFF000000u) line[x] = 0;
    }
  }
  return icon;
}

class RowDelegate : public QAbstractItemDelegate {
 public:
  RowDelegate(CListBoxEx* list, const int* rowHeight)
      : QAbstractItemDelegate(list), list_(list), rowHeight_(rowHeight) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    list_->DrawItem(*painter, option.rect, index.isValid() ? index.row() : -1,
                    option.state & QStyle::State_Selected);
  }
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return QSize(list_->viewport()->width(), *rowHeight_);
  }

 private:
  CListBoxEx* list_;
  const int* rowHeight_;
};

}  // namespace

// The in-place editor: swallows Enter and Esc so that they never reach the dialog, commits on
// Enter's release and on losing the focus, and cancels on Esc's release. Its limit binds what the
// user types only: a longer text of the row is shown, and committed, whole.
class CListEditBox : public LimitedLineEdit {
 public:
  CListEditBox(CListBoxEx* list, bool numeric)
      : LimitedLineEdit(list->viewport()), list_(list), numeric_(numeric) {
    setFrame(true);
    SetLimit(kEditorLimit);
    setContextMenuPolicy(Qt::NoContextMenu);
    if (numeric) setInputMethodHints(Qt::ImhDigitsOnly);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (IsEnter(event) || event->key() == Qt::Key_Escape) {
      event->accept();
      return;
    }
    if (numeric_ && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      const QString typed = event->text();
      const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
      if (printable && std::any_of(typed.begin(), typed.end(), [](QChar c) { return !c.isDigit(); })) {
        event->accept();  // a number editor takes digits only
        return;
      }
    }
    LimitedLineEdit::keyPressEvent(event);
  }
  void keyReleaseEvent(QKeyEvent* event) override {
    if (IsEnter(event) || event->key() == Qt::Key_Escape) {
      event->accept();
      if (event->isAutoRepeat() || !IsOpen()) return;
      if (IsEnter(event))
        list_->CommitEdit();
      else
        list_->CancelEdit();
      return;
    }
    LimitedLineEdit::keyReleaseEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    LimitedLineEdit::focusOutEvent(event);
    if (IsOpen()) list_->CommitEdit();
  }

 private:
  static bool IsEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  }
  bool IsOpen() const { return list_ && list_->editor_ == this && g_editingList == list_; }

  QPointer<CListBoxEx> list_;
  bool numeric_;
};

CListBoxEx::CListBoxEx()
    : font_(ui::CaptionFont(12, 400)),
      highlightText_(ui::GetSysColor(ui::COLOR_HIGHLIGHTTEXT)),
      windowText_(ui::GetSysColor(ui::COLOR_WINDOWTEXT)),
      selection_(ui::GetSysColor(ui::COLOR_HIGHLIGHT)) {
  setFrameShape(QFrame::NoFrame);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setUniformItemSizes(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegate(new RowDelegate(this, &itemHeight_));
  viewport()->setAutoFillBackground(true);
  UpdateBackground();
}

CListBoxEx::~CListBoxEx() {
  // A list that goes while editing takes its editor along: nothing is committed or posted.
  if (QLineEdit* editor = ReleaseEditor()) delete editor;
}

CListBoxEx* CListBoxEx::EditingList() { return g_editingList.data(); }

bool CListBoxEx::Create(const QRect& rect, QWidget* parent) {
  setParent(parent);
  setGeometry(rect);
  show();
  return true;
}

void CListBoxEx::SetColors(ui::COLORREF background, ui::COLORREF selection) {
  selection_ = selection;
  background_ = background;
  UpdateBackground();
  viewport()->update();
}

void CListBoxEx::SetEditable(int editable) { editable_ = editable; }

void CListBoxEx::SetImages(const QString& keyUp, const QString& keyDown, const QString& delay,
                           const QString& mouseUp, const QString& mouseDown) {
  icons_ = {keyUp, keyDown, delay, mouseUp, mouseDown};
}

void CListBoxEx::UpdateBackground() {
  // While disabled the list shows the inactive border colour; before SetColors, the palette's.
  QPalette p = viewport()->palette();
  QColor colour = QApplication::palette().color(QPalette::Base);
  if (!isEnabled())
    colour = ui::ColorFromRef(ui::GetSysColor(ui::COLOR_INACTIVEBORDER));
  else if (background_)
    colour = ui::ColorFromRef(*background_);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::Base, colour);
    p.setColor(group, QPalette::Window, colour);
  }
  viewport()->setPalette(p);
}

int CListBoxEx::InsertItem(int index, uint32_t data, const QString& text) {
  if (index == -1) index = count();
  if (index < 0 || index > count()) return -1;
  auto* item = new QListWidgetItem(text.left(kTextLimit));
  item->setData(kItemDataRole, data);
  insertItem(index, item);
  return index;
}

int CListBoxEx::AddItem(uint32_t data, const QString& text, bool openEditor) {
  if (QLineEdit* editor = ReleaseEditor()) editor->deleteLater();
  const int index = InsertItem(-1, data, text);
  SetCurSel(index);
  if (openEditor) OpenEditor(index, false);
  return index;
}

void CListBoxEx::BeginEdit(int index) { OpenEditor(index, true); }

int CListBoxEx::GetCurSel() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : row(selected.first());
}

void CListBoxEx::SetCurSel(int index) {
  if (index >= 0 && index < count()) {
    setCurrentRow(index);
  } else {
    clearSelection();
    setCurrentItem(nullptr);
  }
}

uint32_t CListBoxEx::GetItemData(int index) const {
  const QListWidgetItem* it = item(index);
  return it ? it->data(kItemDataRole).toUInt() : 0;
}

void CListBoxEx::SetItemData(int index, uint32_t data) {
  if (QListWidgetItem* it = item(index)) it->setData(kItemDataRole, data);
}

QString CListBoxEx::GetText(int index) const {
  const QListWidgetItem* it = item(index);
  return it ? it->text() : QString();
}

void CListBoxEx::DeleteString(int index) {
  if (index >= 0 && index < count()) delete takeItem(index);
}

void CListBoxEx::ResetContent() { clear(); }

void CListBoxEx::DrawItem(QPainter& painter, const QRect& rect, int row, bool selected) const {
  ui::COLORREF text = windowText_;
  if (selected) {
    painter.fillRect(rect, ui::ColorFromRef(selection_));
    text = highlightText_;
  }
  if (!isEnabled()) text = ui::GetSysColor(ui::COLOR_BTNSHADOW);
  if (row < 0) return;
  const uint32_t type = ui::LoWord(GetItemData(row));
  int x = rect.left() + iconWidth_;
  if (type == kTypeName) {
    x = rect.left() + 2;
  } else if (type >= 2 && type <= 6) {
    const QImage icon = KeyedIcon(icons_[type - 2]);
    if (!icon.isNull())
      painter.drawImage(QRect(rect.left(), rect.top(), iconWidth_ - 3, iconHeight_), icon);
  }
  painter.save();
  painter.setFont(font_);
  painter.setPen(ui::ColorFromRef(text));
  ui::DrawTextAt(painter, x, rect.top(), GetText(row), 0);
  painter.restore();
}

int CListBoxEx::NearestItem(const QPoint& point) const {
  if (count() == 0) return -1;
  const QModelIndex index = indexAt(point);
  if (index.isValid()) return index.row();
  // Below the last row (or above the first) the nearest row is taken.
  const QRect first = visualItemRect(item(0));
  return point.y() < first.top() ? 0 : count() - 1;
}

void CListBoxEx::Post(uint32_t msg, ui::LPARAM lParam) {
  ui::PostMessage(parentWidget(), msg, ui::WPARAM(ui::HandleOf(this)), lParam);
}

void CListBoxEx::SelectByUser(int index) {
  if (index < 0 || index == GetCurSel()) return;
  SetCurSel(index);
  Post(WM_LBEX_SELCHANGE, 0);
}

void CListBoxEx::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    Post(WM_LBEX_RBUTTONDOWN, GetCurSel());
    event->accept();
    return;
  }
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  Post(WM_LBEX_LBUTTONDOWN, 0);
  setFocus(Qt::MouseFocusReason);
  SelectByUser(NearestItem(event->position().toPoint()));
  event->accept();
}

void CListBoxEx::mouseMoveEvent(QMouseEvent* event) {
  // Dragging with the left button held moves the selection along, as a list box does.
  if (event->buttons() & Qt::LeftButton) SelectByUser(NearestItem(event->position().toPoint()));
  event->accept();
}

void CListBoxEx::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void CListBoxEx::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  const int index = NearestItem(event->position().toPoint());
  SelectByUser(index);
  if (editable_ && !editor_) OpenEditor(index, false);
}

void CListBoxEx::keyPressEvent(QKeyEvent* event) {
  const int before = GetCurSel();
  QListWidget::keyPressEvent(event);
  if (GetCurSel() != before && GetCurSel() >= 0) Post(WM_LBEX_SELCHANGE, 0);
}

void CListBoxEx::changeEvent(QEvent* event) {
  QListWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) {
    UpdateBackground();
    viewport()->update();
  }
}

void CListBoxEx::OpenEditor(int index, bool numeric) {
  if (editor_ || index < 0 || index >= count()) return;
  // The program has one editor: one open in another list is committed first.
  if (CListBoxEx* other = EditingList(); other && other != this) other->CommitEdit();
  QListWidgetItem* row = item(index);
  scrollToItem(row);
  const QRect rect = visualItemRect(row);
  viewport()->update(rect);
  editingIndex_ = index;
  auto* editor = new CListEditBox(this, numeric);
  editor->setFont(font_);
  editor->setGeometry(rect);
  editor->SetTextSelected(row->text());
  editor_ = editor;
  g_editingList = this;
  qApp->installEventFilter(this);
  editor->show();
  editor->setFocus(Qt::OtherFocusReason);
}

QLineEdit* CListBoxEx::ReleaseEditor() {
  QLineEdit* editor = editor_.data();
  editor_ = nullptr;
  editingIndex_ = -1;
  if (g_editingList == this) g_editingList = nullptr;
  if (qApp) qApp->removeEventFilter(this);
  if (editor) editor->hide();
  return editor;
}

void CListBoxEx::CommitEdit() {
  if (!editor_ || editingIndex_ < 0) return;
  const int index = editingIndex_;
  const QString text = editor_->text().left(kTextLimit);
  // The state goes first: the editor's focus loss as it is removed must not commit again.
  QLineEdit* editor = ReleaseEditor();
  if (index < count()) {
    const uint32_t type = ui::LoWord(GetItemData(index));
    const int value = ReadEditNumber(text);
    const QString rowText = type == kTypeDelay ? QStringLiteral("%1 ms").arg(value) : text;
    DeleteString(index);
    InsertItem(index, ui::MakeLong(type, uint32_t(value)), rowText);
    SetCurSel(index);
  }
  editor->deleteLater();
  viewport()->update();
  if (index < count()) Post(WM_LBEX_EDITDONE, index);
}

void CListBoxEx::CancelEdit() {
  if (!editor_) return;
  const int index = editingIndex_;
  QLineEdit* editor = ReleaseEditor();
  if (index < count()) SetCurSel(index);
  editor->deleteLater();
  viewport()->update();
}

bool CListBoxEx::eventFilter(QObject* watched, QEvent* event) {
  // A press anywhere else in the program's windows ends the edit, before whatever was pressed
  // acts on it (the skinned buttons never take the focus, so no focus loss would tell).
  if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
      editor_ && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (widget != editor_ && !editor_->isAncestorOf(widget)) CommitEdit();
  }
  return QListWidget::eventFilter(watched, event);
}
