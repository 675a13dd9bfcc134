#include "skin/LimitedLineEdit.h"

LimitedLineEdit::LimitedLineEdit(QWidget* parent) : QLineEdit(parent) {
  // Program changes (setText) are kept as they are; only the user's edits are bounded. A user's
  // edit reports textEdited before textChanged, whose argument may then be the text the bound
  // has just replaced: the edit's current text is the one kept.
  connect(this, &QLineEdit::textChanged, this, [this] { accepted_ = text(); });
  connect(this, &QLineEdit::textEdited, this, &LimitedLineEdit::OnTextEdited);
}

void LimitedLineEdit::SetTextSelected(const QString& text) {
  setText(text);
  accepted_ = text;
  selectAll();
}

QString LimitedLineEdit::Bounded(const QString& before, const QString& after, int limit,
                                 int* cursor) {
  // The run that changed: what the two texts share at the front and at the back stays.
  const qsizetype shorter = qMin(before.size(), after.size());
  qsizetype front = 0;
  while (front < shorter && before[front] == after[front]) ++front;
  qsizetype back = 0;
  while (back < shorter - front &&
         before[before.size() - 1 - back] == after[after.size() - 1 - back]) {
    ++back;
  }
  const qsizetype removed = before.size() - front - back;
  QString inserted = after.mid(front, after.size() - front - back);

  if (after.size() <= limit || inserted.isEmpty()) {
    if (cursor) *cursor = static_cast<int>(front + inserted.size());
    return after;
  }
  const qsizetype room = qMax<qsizetype>(0, limit - (before.size() - removed));
  inserted.truncate(room);
  // A character is never split between its two surrogates.
  if (!inserted.isEmpty() && inserted.back().isHighSurrogate()) inserted.chop(1);
  if (inserted.isEmpty()) {
    // Nothing of the insertion fits: the edit is refused as a whole.
    if (cursor) *cursor = static_cast<int>(front);
    return before;
  }
  if (cursor) *cursor = static_cast<int>(front + inserted.size());
  return before.left(front) + inserted + before.right(back);
}

void LimitedLineEdit::OnTextEdited(const QString& text) {
  int cursor = 0;
  const QString bounded = Bounded(accepted_, text, limit_, &cursor);
  if (bounded != text) {
    const bool wasBlocked = blockSignals(true);
    setText(bounded);
    blockSignals(wasBlocked);
    setCursorPosition(cursor);
  }
  accepted_ = bounded;
}
