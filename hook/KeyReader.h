#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "hook/Zimhook.h"

struct _XDisplay;

namespace desktop {
class X11Keyboard;
}

namespace hook {

// A thread with a display connection of its own that reads the XInput 2.2 raw key events of
// the root window (every key of every keyboard, whatever has the focus or a grab) and posts
// each to the target while `status` is on. It blocks on the connection and on a wake-up
// descriptor; nothing spins.
class KeyReader {
 public:
  KeyReader(const HookWindow& target, const std::atomic<int>& status);
  // Stops and joins the thread: no post can run once it returns.
  ~KeyReader();
  KeyReader(const KeyReader&) = delete;
  KeyReader& operator=(const KeyReader&) = delete;

  // Opens $DISPLAY, selects the raw key events and starts the thread. Returns once the
  // selection has reached the server; false when there is no display or no XInput 2.2.
  bool Start();

  // Posts nothing more from now on. For a call on the reader's own thread (from a post), which
  // cannot join itself.
  void Retire() { retired_.store(true); }

  // The reader whose thread is the calling one, or null.
  static KeyReader* Current();

 private:
  void Run();
  void Dispatch(void* event);

  HookWindow target_;
  const std::atomic<int>& status_;
  std::atomic<bool> retired_{false};
  _XDisplay* display_ = nullptr;
  std::unique_ptr<desktop::X11Keyboard> keyboard_;
  int xiOpcode_ = -1;
  int wake_ = -1;
  std::thread thread_;
};

}  // namespace hook
