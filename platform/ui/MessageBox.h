#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace ui {

// Shows `text` in a box with no caption and one OK button, the way the program shows every
// failure the user must see, and returns when it is closed. The box is modal to the window of
// `parent` only; other windows of the program (the tray icon, its menu) stay usable. It is at
// least kMessageBoxMinimumWidth wide inside its margins.
void MessageBox(QWidget* parent, const QString& text);
inline constexpr int kMessageBoxMinimumWidth = 240;

// What MessageBox does instead of showing a box; tests record the texts with it.
using MessageBoxHandler = std::function<void(QWidget* parent, const QString& text)>;

// Replaces the box process-wide; an empty handler restores the real box. UI thread only.
void SetMessageBoxHandler(MessageBoxHandler handler);

class ScopedMessageBoxHandler {
 public:
  explicit ScopedMessageBoxHandler(MessageBoxHandler handler) {
    SetMessageBoxHandler(std::move(handler));
  }
  ~ScopedMessageBoxHandler() { SetMessageBoxHandler({}); }
  ScopedMessageBoxHandler(const ScopedMessageBoxHandler&) = delete;
  ScopedMessageBoxHandler& operator=(const ScopedMessageBoxHandler&) = delete;
};

}  // namespace ui
