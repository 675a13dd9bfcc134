#pragma once

// Under a Wayland session ($WAYLAND_DISPLAY set) the windows of this program work natively, but
// the foreground lookup and the wheel injection go through the X server and so reach X11 and
// XWayland programs only.
namespace desktop {

bool IsWaylandSession();

// Says once per process, on standard error, that the switching by foreground program and the
// horizontal scrolling reach X11 and XWayland programs only, when this is a Wayland session.
// The factories of ForegroundApplication and WheelInjector call it. True when it was said now.
bool NoteX11ProgramsOnly();

}  // namespace desktop
