#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

#include <optional>

// Showing and placing windows with the show commands of the Windows model.
namespace ui {

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// SW_HIDE hides the window; SW_SHOWNORMAL shows it restored; any other command shows it.
void ShowWindow(QWidget* window, int showCommand);

// Centres a top-level window over its parent's window when the parent is shown, else over the
// screen, and keeps it inside the screen's available area when that area holds the parent's
// window (without a parent: the window), else inside the whole screen. A window manager that
// moves the window while it is new has it put back there.
void CenterWindow(QWidget* window);

// Where CenterWindow puts the top-left corner of a window whose frame is `frame`: centred over
// `owner` (the parent's window when it is shown) or else over the area, then moved into the
// area. The area is `available` when that holds the owner (without an owner: the window), else
// `screen`.
QPoint CentredPosition(const QRect& frame, const std::optional<QRect>& owner,
                       const QRect& available, const QRect& screen);

}  // namespace ui
