#pragma once

#include <cstdint>
#include <functional>

// A 32-bit millisecond tick in the manner of GetTickCount: it wraps after about 49.7 days, so
// two ticks are compared by their signed difference, never by plain "<".
namespace sys {

using TickSource = std::function<uint32_t()>;

// Milliseconds of the steady clock, truncated to 32 bits (or of the installed source).
uint32_t GetTickCount();

// Milliseconds elapsed from `earlier` to `later`, correct across the wrap of the tick.
inline int32_t TickDiff(uint32_t later, uint32_t earlier) {
  return static_cast<int32_t>(later - earlier);
}

// Replaces the tick source process-wide (tests install a fake clock); an empty source restores
// the steady clock. Not meant to be switched while other threads read the tick.
void SetTickSource(TickSource source);

// A hand-driven clock for tests.
class FakeTick {
 public:
  explicit FakeTick(uint32_t start = 1000) : now_(start) {}
  uint32_t operator()() const { return now_; }
  void Advance(uint32_t ms) { now_ += ms; }
  void Set(uint32_t now) { now_ = now; }

 private:
  uint32_t now_;
};

// Installs a source for the lifetime of the object and restores the steady clock afterwards.
class ScopedTickSource {
 public:
  explicit ScopedTickSource(TickSource source) { SetTickSource(std::move(source)); }
  ~ScopedTickSource() { SetTickSource({}); }
  ScopedTickSource(const ScopedTickSource&) = delete;
  ScopedTickSource& operator=(const ScopedTickSource&) = delete;
};

// Blocks the calling thread for `ms` milliseconds.
void Sleep(uint32_t ms);

}  // namespace sys
