#pragma once

#include <gtest/gtest.h>

#include "tests/platform/desktop/XvfbServer.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xlib.h>

namespace testutil {

// A fixture whose tests share one Xvfb server for the suite. Its SetUp skips the test when Xvfb
// is not installed and fails it when the server did not come up; a fixture that extends SetUp
// calls it first and returns when IsSkipped() or HasFatalFailure().
class XvfbSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new XvfbServer; }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (server_->Missing()) GTEST_SKIP() << server_->Problem();
    ASSERT_FALSE(server_->Display().empty()) << server_->Problem();
  }
  static const std::string& DisplayName() { return server_->Display(); }

 private:
  static inline XvfbServer* server_ = nullptr;
};

// A suite whose tests also talk to the shared server over a connection of their own (raw_),
// opened by SetUp and closed by TearDown.
class XvfbClientSuite : public XvfbSuite {
 protected:
  void SetUp() override {
    XvfbSuite::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    raw_ = XOpenDisplay(DisplayName().c_str());
    ASSERT_NE(raw_, nullptr);
  }
  void TearDown() override {
    if (raw_ != nullptr) XCloseDisplay(raw_);
  }

  Display* raw_ = nullptr;
};

}  // namespace testutil
