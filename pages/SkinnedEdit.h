#pragma once

#include <QLineEdit>
#include <QRect>
#include <QWidget>

#include <string_view>

#include "platform/ui/FileDialog.h"
#include "skin/LimitedLineEdit.h"

// The edits of the small skinned dialogs that the pages open, and the browse button of a path
// edit.
namespace pages {

// The look of those edits: light text on the dark field the skin draws around them, the
// selection in the skin's accent.
void SetFieldPalette(QWidget& edit);

// Puts `edit` into `dialog` at `place` (a negative size counts as 0), without a frame (the skin
// draws the field around it) and in the field's palette. The caller shows it.
void PlaceSkinnedEdit(QLineEdit& edit, QWidget& dialog, const QRect& place);

// Runs the file dialog of `options` and puts the chosen path into `edit`, all of it selected.
// A path longer than `limit` UTF-16 units, which the record could not hold, is refused with
// `tooLong` in a box over `owner`, and the edit keeps its text; so it does when the file
// dialog is cancelled.
void BrowseIntoEdit(QWidget* owner, const ui::FileDialogOptions& options, LimitedLineEdit& edit,
                    int limit, std::u16string_view tooLong);

}  // namespace pages
