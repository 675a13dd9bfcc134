// kdz-window-shot PID FILE.png [TIMEOUT_MS]: waits until process PID shows a window on the X
// server of $DISPLAY and its content has settled, then saves the window as it appears on the
// screen (shape included) to FILE.png. Exit code 0 when saved, 1 when no window came up, 2 on a
// bad command line. The run script uses it on a machine without a display.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/app/ProgramUnderX.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s PID FILE.png [TIMEOUT_MS]\n", argv[0]);
    return 2;
  }
  const pid_t pid = static_cast<pid_t>(std::atol(argv[1]));
  const int timeoutMs = argc == 4 ? std::atoi(argv[3]) : 20000;
  const char* display = std::getenv("DISPLAY");
  apptest::XClient x(display ? display : "");
  if (!x.Connected()) {
    std::fprintf(stderr, "%s: cannot reach the X server of DISPLAY\n", argv[0]);
    return 1;
  }
  Window window = 0;
  QRect placed;
  QImage shot, previous;
  // Two equal captures 100 ms apart: the window has painted.
  const bool settled = apptest::WaitFor(
      [&] {
        window = x.WindowOf(pid);
        if (window == 0) return false;
        placed = x.Geometry(window);
        previous = shot;
        shot = x.Capture(placed);
        return !shot.isNull() && shot == previous;
      },
      timeoutMs, 100);
  if (!settled) {
    std::fprintf(stderr, "%s: process %d showed no window\n", argv[0], static_cast<int>(pid));
    return 1;
  }
  if (!shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
    return 1;
  }
  std::printf("%dx%d at %d,%d\n", placed.width(), placed.height(), placed.x(), placed.y());
  return 0;
}
