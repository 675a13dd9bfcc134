#pragma once

#include <QLineEdit>
#include <QString>

// A single-line edit whose limit binds only what the user adds, by typing, pasting, dropping
// or through an input method: an insertion is cut to what fits in `limit` UTF-16 units, and one
// of which nothing fits is refused. Text set by the program is kept whole even when it is
// longer, and deleting from it is always allowed (QLineEdit::setMaxLength would cut it).
class LimitedLineEdit : public QLineEdit {
 public:
  explicit LimitedLineEdit(QWidget* parent = nullptr);

  void SetLimit(int limit) { limit_ = limit; }
  int Limit() const { return limit_; }

  // Replaces the text, whatever its length, and selects all of it.
  void SetTextSelected(const QString& text);

  // What an edit that turned `before` into `after` leaves when at most `limit` units may be
  // reached by adding text; `cursor` becomes the position after the kept insertion. The edit
  // is taken as one replacement of a run of `before`.
  static QString Bounded(const QString& before, const QString& after, int limit, int* cursor);

 private:
  void OnTextEdited(const QString& text);

  int limit_ = 32767;
  // The text as it stood after the last accepted change.
  QString accepted_;
};
