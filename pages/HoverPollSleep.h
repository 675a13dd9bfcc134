#pragma once

#include <QObject>
#include <QPoint>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <optional>

#include "platform/desktop/PointerMotionWatch.h"

// When the button page's hover poll may sleep: a poll that finds what the poll before it found
// (the cursor, where the rows are, whether the function menu shows), with the pointer watched
// and still since, could only find the same again. Its timer's wake-ups then pause until the
// pointer moves, or until the page learns of a change that needs no motion. Without a watch
// the poll never sleeps.
class HoverPollSleep : public QObject {
 public:
  // What one poll found.
  struct Seen {
    QPoint cursor;
    QPoint rowsOrigin;  // the page's origin on the screen: the rows move with it
    bool menuShown = false;
    bool operator==(const Seen&) const = default;
  };

  // `watch` (null for none) must outlive this object; `wake` is called when the pointer moved
  // while the poll slept.
  HoverPollSleep(desktop::PointerMotionWatch* watch, std::function<void()> wake);
  ~HoverPollSleep() override;
  HoverPollSleep(const HoverPollSleep&) = delete;
  HoverPollSleep& operator=(const HoverPollSleep&) = delete;

  // After a poll that found `seen`: true when the poll may sleep until `wake`.
  bool MaySleep(const Seen& seen);
  // Forgets the polls so far and stops watching: the next polls look afresh.
  void Forget();

 private:
  void OnWatchReadable();

  desktop::PointerMotionWatch* watch_;
  std::function<void()> wake_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::optional<Seen> last_;
  bool watching_ = false;  // the watch was armed before the last poll looked
};
