#include "platform/desktop/WaylandSession.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace desktop {

bool IsWaylandSession() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  return display != nullptr && *display != '\0';
}

bool NoteX11ProgramsOnly() {
  static std::atomic<bool> said{false};
  if (!IsWaylandSession() || said.exchange(true)) return false;
  std::fputs(
      "This is a Wayland session: the mode switching by foreground program and the horizontal "
      "scrolling reach X11 and XWayland programs only.\n",
      stderr);
  return true;
}

}  // namespace desktop
