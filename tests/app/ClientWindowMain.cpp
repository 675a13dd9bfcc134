// A client window for the end-to-end tests: an ordinary top-level X window at the given place
// that appends the number of every mouse button pressed in it to a file, one line each.
//
//   kdz-test-client RECORD_FILE X Y WIDTH HEIGHT
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s RECORD_FILE X Y WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  const int x = std::atoi(argv[2]);
  const int y = std::atoi(argv[3]);
  const unsigned w = static_cast<unsigned>(std::atoi(argv[4]));
  const unsigned h = static_cast<unsigned>(std::atoi(argv[5]));
  const Window window = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, w, h, 0, 0,
                                            0x00406080);
  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.x = x;
  hints.y = y;
  hints.width = static_cast<int>(w);
  hints.height = static_cast<int>(h);
  XSetWMNormalHints(d, window, &hints);
  XStoreName(d, window, argv[0]);
  const long pid = getpid();
  XChangeProperty(d, window, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  XSelectInput(d, window, ButtonPressMask);
  XMapWindow(d, window);
  XFlush(d);
  for (;;) {
    XEvent event;
    XNextEvent(d, &event);
    if (event.type != ButtonPress) continue;
    if (FILE* f = std::fopen(argv[1], "a")) {
      std::fprintf(f, "%u\n", event.xbutton.button);
      std::fclose(f);
    }
  }
}
