#include "pages/SkinnedEdit.h"

#include <optional>

#include "platform/ui/MessageBox.h"

namespace pages {

void PlaceSkinnedEdit(QLineEdit& edit, QWidget& dialog, const QRect& place) {
  edit.setParent(&dialog);
  edit.setGeometry(place.x(), place.y(), qMax(0, place.width()), qMax(0, place.height()));
  edit.setFrame(false);
}

void BrowseIntoEdit(QWidget* owner, const ui::FileDialogOptions& options, LimitedLineEdit& edit,
                    int limit, std::u16string_view tooLong) {
  const std::optional<QString> chosen = ui::GetFileName(options);
  if (!chosen) return;
  if (chosen->size() > limit) {
    ui::MessageBox(owner,
                   QString::fromUtf16(tooLong.data(), static_cast<qsizetype>(tooLong.size())));
    return;
  }
  edit.SetTextSelected(*chosen);
}

}  // namespace pages
