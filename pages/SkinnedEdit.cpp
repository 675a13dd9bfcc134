#include "pages/SkinnedEdit.h"

#include <QColor>
#include <QPalette>

#include <optional>

#include "platform/ui/MessageBox.h"
#include "platform/ui/Text.h"

namespace pages {

void SetFieldPalette(QWidget& edit) {
  QPalette palette = edit.palette();
  palette.setColor(QPalette::Base, QColor(0x0E, 0x10, 0x14));
  palette.setColor(QPalette::Text, QColor(0xE8, 0xEA, 0xED));
  palette.setColor(QPalette::Highlight, QColor(0x1F, 0x8B, 0xE5));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  edit.setPalette(palette);
}

void PlaceSkinnedEdit(QLineEdit& edit, QWidget& dialog, const QRect& place) {
  edit.setParent(&dialog);
  edit.setGeometry(place.x(), place.y(), qMax(0, place.width()), qMax(0, place.height()));
  edit.setFrame(false);
  SetFieldPalette(edit);
}

void BrowseIntoEdit(QWidget* owner, const ui::FileDialogOptions& options, LimitedLineEdit& edit,
                    int limit, std::u16string_view tooLong) {
  const std::optional<QString> chosen = ui::GetFileName(options);
  if (!chosen) return;
  if (chosen->size() > limit) {
    ui::MessageBox(owner, ui::ToQString(tooLong));
    return;
  }
  edit.SetTextSelected(*chosen);
}

}  // namespace pages
