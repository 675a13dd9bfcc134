#pragma once

#include <QKeyEvent>

namespace pages {

// Enter (main and keypad), Esc, Space and Cancel (Ctrl+Break): the keys that would press a
// dialog's buttons. The key-capturing dialogs swallow them so that they can be captured.
bool IsDialogKey(const QKeyEvent& key);

}  // namespace pages
