#pragma once

#include <QWidget>

// Showing and placing windows with the show commands of the Windows model.
namespace ui {

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// SW_HIDE hides the window; SW_SHOWNORMAL shows it restored; any other command shows it.
void ShowWindow(QWidget* window, int showCommand);

// Centres a top-level window over its parent's window when the parent is shown, else over the
// screen, and keeps it inside the screen's available area.
void CenterWindow(QWidget* window);

}  // namespace ui
