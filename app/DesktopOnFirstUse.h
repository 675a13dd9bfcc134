#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/desktop/ForegroundApplication.h"
#include "platform/desktop/WheelInjector.h"

// Desktop services that the main window makes when they are first needed rather than with the
// window: each real one opens a connection of its own to the X server, and most runs never ask
// them anything (no applied mode names a program to follow, no button scrolls sideways).

// The foreground application, made at the first look-up. Before it, there is nothing to stop
// following.
class ForegroundOnFirstUse : public desktop::ForegroundApplication {
 public:
  using Make = std::function<std::unique_ptr<desktop::ForegroundApplication>()>;
  explicit ForegroundOnFirstUse(Make make);

  int ForegroundProcessId() override;
  std::u16string ForegroundImagePath() override;
  void StopFollowing() override;

 private:
  desktop::ForegroundApplication& Made();

  Make make_;
  std::unique_ptr<desktop::ForegroundApplication> made_;
};

// The wheel injector, made at the first scroll of at least one step.
class WheelOnFirstUse : public desktop::WheelInjector {
 public:
  using Make = std::function<std::unique_ptr<desktop::WheelInjector>()>;
  explicit WheelOnFirstUse(Make make);

  bool ScrollHorizontally(int steps) override;

 private:
  Make make_;
  std::unique_ptr<desktop::WheelInjector> made_;
};
