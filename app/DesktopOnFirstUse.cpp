#include "app/DesktopOnFirstUse.h"

#include <utility>

ForegroundOnFirstUse::ForegroundOnFirstUse(Make make) : make_(std::move(make)) {}

int ForegroundOnFirstUse::ForegroundProcessId() { return Made().ForegroundProcessId(); }

std::u16string ForegroundOnFirstUse::ForegroundImagePath() {
  return Made().ForegroundImagePath();
}

void ForegroundOnFirstUse::StopFollowing() {
  if (made_) made_->StopFollowing();
}

desktop::ForegroundApplication& ForegroundOnFirstUse::Made() {
  if (!made_) made_ = make_();
  return *made_;
}

WheelOnFirstUse::WheelOnFirstUse(Make make) : make_(std::move(make)) {}

bool WheelOnFirstUse::ScrollHorizontally(int steps) {
  if (steps == 0) return false;
  if (!made_) made_ = make_();
  return made_->ScrollHorizontally(steps);
}
