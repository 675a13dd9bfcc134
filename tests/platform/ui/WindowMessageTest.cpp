#include "platform/ui/WindowMessage.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

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

TEST(WindowMessageTest, MessagesQueuedForADestroyedWindowAreDropped) {
  auto window = std::make_unique<MessageRecorder>();
  ui::PostMessage(window.get(), 0x500, 1, 1);
  window.reset();
  uitest::Drain();  // nothing left to deliver to
}

TEST(WindowMessageTest, OtherThreadsPostInOrderAndSendSynchronously) {
  MessageRecorder window;
  window.reply = 5;
  sys::MessageWindow* target = nullptr;
  ui::WidgetMessageWindow adapter(&window);
  target = &adapter;

  constexpr int kPosts = 200;
  std::atomic<bool> done{false};
  ui::LRESULT sendResult = 0;
  QEventLoop loop;
  std::thread worker([&] {
    for (int i = 0; i < kPosts; ++i) target->PostMessage(0xC000, ui::WPARAM(i), 0);
    sendResult = target->SendMessage(0xC001, 0, 0);  // blocks until the UI thread ran it
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // guards against a hang only
  loop.exec();
  worker.join();
  uitest::Drain();

  ASSERT_TRUE(done);
  EXPECT_EQ(sendResult, 5);
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
