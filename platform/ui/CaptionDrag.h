#pragma once

#include <QPoint>
#include <QWidget>

// Dragging a borderless window by its background, as a press on a caption drags a framed one.
namespace ui {

// Starts moving `window`'s top-level window with the mouse: from now until the left button is
// released, the window follows the cursor's travel from `pressGlobal` (the screen position of
// the press). Where the windowing system moves windows itself (Wayland), it is asked to.
// Only one drag runs at a time: a call while one runs is ignored and gives false.
bool BeginCaptionDrag(QWidget* window, const QPoint& pressGlobal);

// True while a drag started by BeginCaptionDrag runs.
bool IsCaptionDragActive();

}  // namespace ui
