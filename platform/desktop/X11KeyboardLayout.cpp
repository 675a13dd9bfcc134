#include <memory>

#include "platform/desktop/KeyboardLayout.h"
#include "platform/desktop/X11Keyboard.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xlib.h>

namespace desktop {
namespace {

// A connection of its own that follows the server's keyboard changes; each call catches up
// with them first, so that a layout switched since the last call is the one used.
class X11KeyboardLayout : public KeyboardLayout {
 public:
  explicit X11KeyboardLayout(Display* display) : display_(display), keyboard_(display) {
    keyboard_.FollowChanges();
  }
  bool Valid() const { return keyboard_.Valid(); }

  char32_t Character(unsigned virtualKey) override {
    keyboard_.Refresh();
    return keyboard_.CharacterOf(virtualKey);
  }

 private:
  struct CloseDisplay {
    void operator()(Display* d) const { XCloseDisplay(d); }
  };
  std::unique_ptr<Display, CloseDisplay> display_;  // declared first: closed last
  X11Keyboard keyboard_;
};

}  // namespace

std::unique_ptr<KeyboardLayout> OpenX11KeyboardLayout(const std::string& displayName) {
  Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
  if (display == nullptr) return nullptr;
  auto layout = std::make_unique<X11KeyboardLayout>(display);
  if (!layout->Valid()) return nullptr;
  return layout;
}

}  // namespace desktop
