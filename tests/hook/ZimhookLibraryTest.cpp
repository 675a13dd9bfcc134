// The keyboard-hook library on its own: loaded by path with a plain C target, on an Xvfb of the
// test's own.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hook/Zimhook.h"
#include "tests/hook/XKeyboard.h"
#include "tests/platform/desktop/XvfbServer.h"

namespace {

using namespace hooktest;

// The target window: records each report with the thread it came on.
struct Recorder {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<uintptr_t> keys;
  std::vector<std::thread::id> threads;
  removehook_fn removeOnFirst = nullptr;  // called from the first post when set

  static void Post(void* window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    auto* self = static_cast<Recorder*>(window);
    if (msg != WM_HOOK_KEY) return;
    bool first;
    {
      std::lock_guard<std::mutex> lock(self->mutex);
      self->keys.push_back(wParam | (static_cast<uintptr_t>(lParam) << 16));
      self->threads.push_back(std::this_thread::get_id());
      first = self->keys.size() == 1;
    }
    self->changed.notify_all();
    if (first && self->removeOnFirst != nullptr) self->removeOnFirst();
  }
  // The reports once there are `count` (5 s at most).
  std::vector<uintptr_t> WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(5), [&] { return keys.size() >= count; });
    return keys;
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex);
    return keys.size();
  }
};

class ZimhookLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = dlopen(KDZ_ZIMHOOK, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << dlerror();
    install_ = reinterpret_cast<installhook_fn>(dlsym(module_, "installhook"));
    remove_ = reinterpret_cast<removehook_fn>(dlsym(module_, "removehook"));
    status_ = reinterpret_cast<SetHookStatus_fn>(dlsym(module_, "SetHookStatus"));
    ASSERT_TRUE(install_ && remove_ && status_);
  }
  void TearDown() override {
    if (module_ == nullptr) return;
    remove_();
    dlclose(module_);
  }
  // Starts an Xvfb and points DISPLAY at it.
  bool StartServer() {
    server_ = std::make_unique<testutil::XvfbServer>();
    if (server_->Display().empty()) return false;
    ::setenv("DISPLAY", server_->Display().c_str(), 1);
    keys_ = std::make_unique<XKeyboard>(server_->Display());
    return keys_->display() != nullptr;
  }
  HookWindow Target() { return HookWindow{&Recorder::Post, &recorder_}; }

  void* module_ = nullptr;
  installhook_fn install_ = nullptr;
  removehook_fn remove_ = nullptr;
  SetHookStatus_fn status_ = nullptr;
  std::unique_ptr<testutil::XvfbServer> server_;
  std::unique_ptr<XKeyboard> keys_;
  Recorder recorder_;
};

TEST_F(ZimhookLibraryTest, ExportsOnlyItsThreeFunctions) {
  for (const char* hidden : {"_ZN7desktop12VirtualKeyOfEjDib", "_ZN7desktop7KeyRowsEv",
                             "_ZN4hook9KeyReader5StartEv", "xkb_keysym_to_utf32"}) {
    void* symbol = dlsym(module_, hidden);
    Dl_info info{};
    // A symbol found must come from another library, never from this one.
    if (symbol != nullptr && dladdr(symbol, &info) != 0) {
      EXPECT_NE(std::string(info.dli_fname), KDZ_ZIMHOOK) << hidden;
    }
  }
}

TEST_F(ZimhookLibraryTest, NoDisplayOrNoTargetGivesZero) {
  const HookWindow target = Target();
  ::setenv("DISPLAY", ":999999", 1);
  EXPECT_EQ(install_(&target), 0);
  ::unsetenv("DISPLAY");
  EXPECT_EQ(install_(&target), 0);
  if (!StartServer()) GTEST_SKIP() << "no Xvfb with XTest";
  EXPECT_EQ(install_(nullptr), 0);
  const HookWindow noPost{nullptr, &recorder_};
  EXPECT_EQ(install_(&noPost), 0);
  EXPECT_EQ(install_(&target), 1);
}

TEST_F(ZimhookLibraryTest, PostsOnItsOwnThreadAndMayBeRemovedFromThere) {
  if (!StartServer()) GTEST_SKIP() << "no Xvfb with XTest";
  recorder_.removeOnFirst = remove_;
  const HookWindow target = Target();
  ASSERT_EQ(install_(&target), 1);
  status_(1);
  keys_->Tap(kKeyA);
  ASSERT_EQ(recorder_.WaitFor(1).size(), 1u);
  keys_->Tap(kKeyB);
  remove_();  // joins the reader that removed itself: nothing more can come
  std::vector<uintptr_t> keys = recorder_.WaitFor(1);
  EXPECT_EQ(keys, (std::vector<uintptr_t>{'A'}));
  EXPECT_NE(recorder_.threads.at(0), std::this_thread::get_id());

  // A new hook works after that.
  recorder_.removeOnFirst = nullptr;
  ASSERT_EQ(install_(&target), 1);
  status_(1);
  keys_->Tap(kKeyB);
  EXPECT_EQ(recorder_.WaitFor(3),
            (std::vector<uintptr_t>{'A', 'B', 'B' | (uintptr_t{HOOK_KEY_RELEASED} << 16)}));
}

TEST_F(ZimhookLibraryTest, UnloadingJoinsTheThread) {
  if (!StartServer()) GTEST_SKIP() << "no Xvfb with XTest";
  const HookWindow target = Target();
  ASSERT_EQ(install_(&target), 1);
  status_(1);
  keys_->Tap(kKeyA);
  ASSERT_EQ(recorder_.WaitFor(2).size(), 2u);
  ASSERT_EQ(dlclose(module_), 0);
  module_ = nullptr;
  ASSERT_EQ(dlopen(KDZ_ZIMHOOK, RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
  // A reader left running would now run unmapped code or post to the recorder.
  keys_->Tap(kKeyB);
  XSync(keys_->display(), False);
  EXPECT_EQ(recorder_.Count(), 2u);
}

}  // namespace
