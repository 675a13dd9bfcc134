#include "platform/ui/WindowMessage.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <utility>

#include "tests/platform/ui/QtTestSupport.h"

namespace {

using uitest::MessageRecorder;

TEST(WindowMessageTest, PostedMessagesWaitForTheLoopSentOnesRunAtOnce) {
  MessageRecorder window;
  window.reply = 77;
  ui::PostMessage(&window, 0x801, 5, 9);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(ui::SendMessage(&window, 0x800, 1, -2), 77);
  ASSERT_EQ(window.messages.size(), 1u);
  uitest::Drain();
  ASSERT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(window.messages[0].msg, 0x800u);
  EXPECT_EQ(window.messages[0].lParam, -2);
  EXPECT_EQ(window.messages[1].msg, 0x801u);
  EXPECT_EQ(window.messages[1].wParam, 5u);
  EXPECT_EQ(window.messages[1].lParam, 9);

  EXPECT_EQ(ui::SendMessage(nullptr, 1, 2, 3), 0);
  ui::PostMessage(nullptr, 1, 2, 3);  // dropped
}

// Counts the window messages that reach any object of the UI thread; on the first call that
// another thread sends to `watched` it runs `onSentCall` instead of delivering it.
class MessageCounter : public QObject {
 public:
  int delivered = 0;
  QObject* watched = nullptr;
  std::function<void()> onSentCall;

 protected:
  bool eventFilter(QObject* receiver, QEvent* e) override {
    if (ui::AsWindowMessage(e) != nullptr) ++delivered;
    if (receiver == watched && e->type() == QEvent::MetaCall && onSentCall) {
      watched = nullptr;
      std::exchange(onSentCall, {})();
      return true;  // its receiver is gone
    }
    return false;
  }
};

// Waits for `done` at most `bound`; a thread that has not finished by then is left running
// (joining it would hang the test instead of failing it).
bool FinishesWithin(std::thread& thread, std::future<void>& done,
                    std::chrono::milliseconds bound) {
  // The UI thread keeps handling events while it waits, since the thread may wait for it.
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done.wait_for(std::chrono::seconds(0)) == std::future_status::ready) loop.quit();
  });
  poll.start(5);
  QTimer::singleShot(bound, &loop, &QEventLoop::quit);
  loop.exec();
  const bool finished = done.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  if (finished) {
    thread.join();
  } else {
    thread.detach();
  }
  return finished;
}

TEST(WindowMessageTest, MessagesForADestroyedWindowAreDroppedAndItsSenderIsReleased) {
  MessageCounter counter;
  qApp->installEventFilter(&counter);
  {
    SCOPED_TRACE("a posted message");
    auto window = std::make_unique<MessageRecorder>();
    ui::PostMessage(window.get(), 0x500, 1, 1);
    window.reset();
    uitest::Drain();
    EXPECT_EQ(counter.delivered, 0);
  }
  {
    SCOPED_TRACE("a message sent from another thread");
    auto window = std::make_unique<MessageRecorder>();
    // The window goes while the sender is blocked in its call, before the call is carried out.
    counter.watched = window.get();
    counter.onSentCall = [&] { window.reset(); };
    auto result = std::make_shared<std::atomic<ui::LRESULT>>(-1);
    auto released = std::make_shared<std::promise<void>>();
    std::future<void> done = released->get_future();
    window->reply = 7;
    QObject* target = window.get();
    std::thread sender([target, result, released] {
      *result = ui::SendMessage(target, 0x501, 0, 0);
      released->set_value();
    });
    EXPECT_TRUE(FinishesWithin(sender, done, std::chrono::seconds(10)))
        << "the sender was not released";
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(counter.delivered, 0);
    EXPECT_EQ(*result, 0) << "nothing handled the message";
  }
  qApp->removeEventFilter(&counter);
}

TEST(WindowMessageTest, OtherThreadsPostInOrderAndSendSynchronously) {
  MessageRecorder window;
  window.reply = 5;
  sys::MessageWindow* target = nullptr;
  ui::WidgetMessageWindow adapter(&window);
  target = &adapter;

  constexpr int kPosts = 200;
  auto sendResult = std::make_shared<std::atomic<ui::LRESULT>>(0);
  auto released = std::make_shared<std::promise<void>>();
  std::future<void> done = released->get_future();
  std::thread worker([target, sendResult, released] {
    for (int i = 0; i < kPosts; ++i) target->PostMessage(0xC000, ui::WPARAM(i), 0);
    *sendResult = target->SendMessage(0xC001, 0, 0);  // blocks until the UI thread ran it
    released->set_value();
  });
  ASSERT_TRUE(FinishesWithin(worker, done, std::chrono::seconds(10)))
      << "the sender was not released";
  uitest::Drain();

  EXPECT_EQ(*sendResult, 5);
  ASSERT_EQ(window.messages.size(), size_t(kPosts + 1));
  for (int i = 0; i < kPosts; ++i) EXPECT_EQ(window.messages[size_t(i)].wParam, ui::WPARAM(i));
  EXPECT_EQ(window.messages.back().msg, 0xC001u);
  for (const auto& m : window.messages) EXPECT_TRUE(m.onUiThread);
}

TEST(WindowMessageTest, PackingOfParameters) {
  struct Case {
    int x, y;
  } points[] = {{0, 0}, {5, 300}, {-5, 300}, {1919, -1}, {-32768, 32767}};
  for (const Case& c : points) {
    const ui::LPARAM packed = ui::MakeLParam(c.x, c.y);
    EXPECT_EQ(ui::XFromLParam(packed), c.x);
    EXPECT_EQ(ui::YFromLParam(packed), c.y);
  }
  EXPECT_EQ(ui::MakeLParam(3, 2), 0x00020003);
  EXPECT_EQ(ui::MakeWParam(0x12345, 0xABCDE), 0xBCDE2345u);
  EXPECT_EQ(ui::HiWord(0x00030004u), 3);
  EXPECT_EQ(ui::LoWord(0x00030004u), 4);
  EXPECT_EQ(ui::MouseKeyFlags(Qt::LeftButton | Qt::RightButton, Qt::ControlModifier),
            ui::MK_LBUTTON | ui::MK_RBUTTON | ui::MK_CONTROL);
  EXPECT_EQ(ui::ObjectFromHandle(ui::HandleOf(qApp)), qApp);
}

TEST(WindowMessageTest, RegisteredMessagesByName) {
  const uint32_t a = ui::RegisterWindowMessage(QStringLiteral("MenuMouseProc"));
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(ui::RegisterWindowMessage(QStringLiteral("MENUMOUSEPROC")), a);
  EXPECT_EQ(sys::RegisterWindowMessage(u"menumouseproc"), a);
  EXPECT_NE(ui::RegisterWindowMessage(QStringLiteral("KEYSTATUS_MSG")), a);
}

}  // namespace
