#pragma once

#include <thread>

// The caption font looked up once on a worker thread. The first look-up of a font reads the
// desktop's font configuration and fills Qt's font database, which takes milliseconds; begun
// while the user-interface thread builds the windows, their first text finds both ready. Only
// while a QGuiApplication exists. The user-interface thread ends it before it measures or draws
// its first text: the font libraries hand what they set up on the worker over through atomics
// of their own, which ThreadSanitizer cannot follow; the thread's end can.
namespace ui {

class FontWarmUp {
 public:
  FontWarmUp();
  // Waits until the look-up has ended.
  ~FontWarmUp();
  FontWarmUp(const FontWarmUp&) = delete;
  FontWarmUp& operator=(const FontWarmUp&) = delete;

 private:
  std::thread worker_;
};

}  // namespace ui
