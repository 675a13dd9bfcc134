#pragma once

#include <fcntl.h>
#include <unistd.h>

#include "platform/desktop/PointerMotionWatch.h"

namespace desktop {

// A watch whose pointer the test moves: Move() reports a motion while the watch is armed, and
// its descriptor becomes readable then, as the X server's socket does. `arms` counts the Arm()
// calls that armed it, `quietTakes` the TakeMotion() calls since then that found no motion.
class FakePointerMotionWatch : public PointerMotionWatch {
 public:
  FakePointerMotionWatch() {
    if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) pipe_[0] = pipe_[1] = -1;
  }
  ~FakePointerMotionWatch() override {
    for (int fd : pipe_) {
      if (fd >= 0) ::close(fd);
    }
  }
  FakePointerMotionWatch(const FakePointerMotionWatch&) = delete;
  FakePointerMotionWatch& operator=(const FakePointerMotionWatch&) = delete;

  void Arm() override {
    if (armed) return;
    ++arms;
    quietTakes = 0;
    armed = true;
  }
  void Disarm() override { armed = false; }
  bool TakeMotion() override {
    char drained[16];
    while (::read(pipe_[0], drained, sizeof drained) > 0) {
    }
    const bool report = armed && moved_;
    moved_ = false;
    if (report) armed = false;
    if (armed) ++quietTakes;
    return report;
  }
  int Descriptor() const override { return pipe_[0]; }

  // The pointer moves: an armed watch reports it.
  void Move() {
    if (!armed) return;
    moved_ = true;
    quietTakes = 0;
    (void)!::write(pipe_[1], "m", 1);
  }

  bool armed = false;
  int arms = 0;
  int quietTakes = 0;

 private:
  int pipe_[2] = {-1, -1};
  bool moved_ = false;
};

}  // namespace desktop
