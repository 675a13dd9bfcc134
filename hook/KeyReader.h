#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "hook/Zimhook.h"

struct _XDisplay;

namespace desktop {
class X11Keyboard;
}

namespace hook {

// A thread with a display connection of its own that reads the XInput 2.2 raw key events of
// the root window (every key of every keyboard, whatever has the focus or a grab) and posts
// each to the target while its status is on. It blocks on the connection and on a wake-up
// descriptor; nothing spins. The status starts off.
class KeyReader {
 public:
  explicit KeyReader(const HookWindow& target);
  // Stops and joins the thread: no post can run once it returns.
  ~KeyReader();
  KeyReader(const KeyReader&) = delete;
  KeyReader& operator=(const KeyReader&) = delete;

  // Opens $DISPLAY, selects the raw key events and starts the thread. Returns once the
  // selection has reached the server; false when there is no display or no XInput 2.2.
  bool Start();

  // Switches the reports on or off between two keys of the server's order: every key the
  // server took before the call is handled under the old status, every later one under the
  // new. Returns once the reader has switched (one round trip to the server).
  void SetStatus(bool on);

  // Posts nothing more from now on. For a call on the reader's own thread (from a post), which
  // cannot join itself.
  void Retire() { retired_.store(true); }

  // The reader whose thread is the calling one, or null.
  static KeyReader* Current();

 private:
  void Run();
  void Wake();
  void HandleQueued();
  void Dispatch(void* event);
  // On the reader's thread: catches up with the server, then takes the status asked for.
  void ApplyStatus();

  HookWindow target_;
  std::atomic<bool> on_{false};
  std::atomic<bool> retired_{false};
  std::atomic<bool> stopping_{false};

  std::mutex mutex_;  // guards the status hand-over below
  std::condition_variable applied_;
  bool wanted_ = false;
  unsigned asked_ = 0;
  unsigned done_ = 0;
  bool ended_ = false;  // the thread no longer answers

  _XDisplay* display_ = nullptr;
  std::unique_ptr<desktop::X11Keyboard> keyboard_;
  int xiOpcode_ = -1;
  int wake_ = -1;
  std::thread thread_;
};

}  // namespace hook
