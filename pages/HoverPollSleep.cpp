#include "pages/HoverPollSleep.h"

#include <utility>

HoverPollSleep::HoverPollSleep(desktop::PointerMotionWatch* watch, std::function<void()> wake)
    : watch_(watch), wake_(std::move(wake)) {
  if (watch_ == nullptr || watch_->Descriptor() < 0) {
    watch_ = nullptr;
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(watch_->Descriptor(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { OnWatchReadable(); });
}

HoverPollSleep::~HoverPollSleep() { Forget(); }

bool HoverPollSleep::MaySleep(const Seen& seen) {
  if (watch_ == nullptr) return false;
  if (last_ != seen) {
    Forget();
    last_ = seen;
    return false;
  }
  if (!watching_) {
    // Armed now, the watch tells of every motion after this poll; the next poll that finds the
    // same again lets the timer sleep.
    watch_->Arm();
    watching_ = true;
    return false;
  }
  // Moved and back meanwhile: look again.
  if (watch_->TakeMotion()) {
    watching_ = false;
    return false;
  }
  return true;
}

void HoverPollSleep::Forget() {
  last_.reset();
  if (!watching_) return;
  watch_->Disarm();
  watching_ = false;
}

void HoverPollSleep::OnWatchReadable() {
  if (!watch_->TakeMotion()) return;
  watching_ = false;
  last_.reset();
  wake_();
}
