#include "platform/desktop/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/platform/sys/FileTestUtil.h"

namespace desktop {
namespace {

using SendResult = SingleInstance::SendResult;

// The whole decision: what the new process does, and what the running one carries out.
TEST(SingleInstanceDecision, FollowsTheCommandLineAndTheRunningInstance) {
  const struct {
    bool peer, published, deviceFlag;
    const char* commandLine;
    StartAction action;
    InstanceCommand peerDoes;  // for SendExit and SendActivate
  } cases[] = {
      {false, false, false, "", StartAction::Run, InstanceCommand::None},
      {false, false, false, "/s", StartAction::RunHidden, InstanceCommand::None},
      {false, false, false, "/S", StartAction::RunHidden, InstanceCommand::None},
      {false, false, false, "/home/sam/profiles", StartAction::RunHidden, InstanceCommand::None},
      {false, false, false, "EXIT", StartAction::Quit, InstanceCommand::None},
      {false, false, false, "--exiting-soon", StartAction::Quit, InstanceCommand::None},
      {false, false, false, "/s exit", StartAction::Quit, InstanceCommand::None},
      {false, false, false, "-s", StartAction::Run, InstanceCommand::None},
      {true, false, true, "", StartAction::Quit, InstanceCommand::None},
      {true, false, true, "exit", StartAction::Quit, InstanceCommand::None},
      {true, true, false, "Exit", StartAction::SendExit, InstanceCommand::Exit},
      {true, true, true, "/s exit", StartAction::SendExit, InstanceCommand::Exit},
      {true, true, true, "", StartAction::SendActivate, InstanceCommand::Raise},
      {true, true, true, "/S", StartAction::SendActivate, InstanceCommand::Raise},
      {true, true, false, "", StartAction::SendActivate, InstanceCommand::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.peer << c.published << c.deviceFlag << " '"
                                    << c.commandLine << "'");
    const StartAction action = DecideStart(c.peer, c.published, ParseStartSwitches(c.commandLine));
    EXPECT_EQ(action, c.action);
    if (action == StartAction::SendExit || action == StartAction::SendActivate) {
      const InstanceRequest request =
          action == StartAction::SendExit ? InstanceRequest::Exit : InstanceRequest::Activate;
      EXPECT_EQ(DecideRequest(request, c.deviceFlag), c.peerDoes);
    }
  }
}

TEST(SingleInstanceDecision, CommandLineIsTheTextAfterTheProgramName) {
  const char* argv[] = {"/opt/exit/kdz", "a", "B c", nullptr};
  EXPECT_EQ(CommandLineText(3, argv), "a B c");
  EXPECT_EQ(CommandLineText(1, argv), "");
  EXPECT_FALSE(ParseStartSwitches(CommandLineText(1, argv)).exit);  // the program's own path
  EXPECT_EQ(ExecutableBaseName(), "platform_desktop_instance_tests");
}

// Records the commands a running instance was handed.
struct Recorder {
  SingleInstance::CommandHandler Handler(bool accept = true) {
    return [this, accept](InstanceCommand c) {
      std::lock_guard<std::mutex> lock(mutex);
      commands.push_back(c);
      return accept;
    };
  }
  std::vector<InstanceCommand> Commands() {
    std::lock_guard<std::mutex> lock(mutex);
    return commands;
  }
  std::mutex mutex;
  std::vector<InstanceCommand> commands;
};

class SingleInstanceTest : public ::testing::Test {
 protected:
  SingleInstance::Options Options(uint32_t timeoutMs = 2000, uint32_t exitWaitMs = 10000) {
    return {folder, timeoutMs, exitWaitMs};
  }
  testutil::TempFolder temp;
  const std::string folder = temp / "run";
};

TEST_F(SingleInstanceTest, SecondStartReachesThePublishedInstance) {
  SingleInstance first("kdz", Options());
  ASSERT_EQ(first.Start("").action, StartAction::Run);
  ASSERT_TRUE(first.HoldsLock());

  // Still initialising: nothing published, the second start quits with no effect.
  SingleInstance early("kdz", Options());
  const SingleInstance::StartOutcome quiet = early.Start("exit");
  EXPECT_EQ(quiet.action, StartAction::Quit);
  EXPECT_EQ(quiet.sent, SendResult::NotPublished);
  EXPECT_FALSE(quiet.Runs());

  Recorder recorder;
  ASSERT_TRUE(first.Publish(recorder.Handler()));
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(first.SocketPath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // "activate" raises the window only while the mouse is the expected one.
  SingleInstance second("kdz", Options(2000, /*exitWaitMs=*/100));
  SingleInstance::StartOutcome o = second.Start("");
  EXPECT_EQ(o.action, StartAction::SendActivate);
  EXPECT_EQ(o.sent, SendResult::Answered);
  EXPECT_TRUE(recorder.Commands().empty());
  first.SetDeviceFlag(true);
  EXPECT_EQ(second.Start("/S").sent, SendResult::Answered);
  o = second.Start("EXIT");
  EXPECT_EQ(o.action, StartAction::SendExit);
  EXPECT_EQ(o.sent, SendResult::Answered);
  EXPECT_TRUE(o.ExitFailed()) << "the recorder takes the request on but never ends";
  EXPECT_EQ(recorder.Commands(),
            (std::vector<InstanceCommand>{InstanceCommand::Raise, InstanceCommand::Exit}));
  EXPECT_FALSE(second.HoldsLock());

  // Another executable name is another instance.
  SingleInstance other("kdz-other", Options());
  EXPECT_EQ(other.Start("").action, StartAction::Run);

  first.Unpublish();
  EXPECT_NE(::stat(first.SocketPath().c_str(), &st), 0);
  EXPECT_EQ(second.Start("exit").action, StartAction::Quit);
}

TEST_F(SingleInstanceTest, ARefusedRequestIsAnsweredNo) {
  SingleInstance first("kdz", Options());
  ASSERT_TRUE(first.Start("").Runs());
  Recorder recorder;
  ASSERT_TRUE(first.Publish(recorder.Handler(/*accept=*/false)));
  SingleInstance second("kdz", Options());
  const SingleInstance::StartOutcome o = second.Start("exit");
  EXPECT_EQ(o.sent, SendResult::Refused);
  EXPECT_TRUE(o.ExitFailed());
  EXPECT_FALSE(second.Publish(recorder.Handler()));  // only the lock holder publishes
}

TEST_F(SingleInstanceTest, AHungInstanceHoldsALaterStartForTheTimeOutOnly) {
  SingleInstance first("kdz", Options());
  ASSERT_TRUE(first.Start("").Runs());
  // A listener that takes connections in but never answers, in the published socket's place.
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, first.SocketPath().c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 4), 0);

  SingleInstance second("kdz", Options(/*timeoutMs=*/150, /*exitWaitMs=*/150));
  const auto start = std::chrono::steady_clock::now();
  const SingleInstance::StartOutcome o = second.Start("exit");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(o.action, StartAction::SendExit);
  EXPECT_EQ(o.sent, SendResult::NoAnswer);
  EXPECT_TRUE(o.ExitFailed());
  EXPECT_GE(waited, std::chrono::milliseconds(150));
  EXPECT_LT(waited, std::chrono::seconds(5));
  ::close(listener);
}

TEST_F(SingleInstanceTest, ASilentClientDoesNotHoldUpUnpublish) {
  SingleInstance first("kdz", Options(/*timeoutMs=*/20000));
  ASSERT_TRUE(first.Start("").Runs());
  ASSERT_TRUE(first.Publish([](InstanceCommand) { return true; }));
  const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, first.SocketPath().c_str());
  ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the server waits for its line
  const auto start = std::chrono::steady_clock::now();
  first.Unpublish();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  ::close(client);
}

TEST_F(SingleInstanceTest, AnUnsafeFolderIsNotUsed) {
  testutil::WriteAll(folder, "x", 1);  // a file in the folder's place
  SingleInstance instance("kdz", Options());
  const SingleInstance::StartOutcome o = instance.Start("");
  EXPECT_TRUE(o.Runs());  // runs unguarded
  EXPECT_FALSE(instance.HoldsLock());
  EXPECT_FALSE(instance.Publish([](InstanceCommand) { return true; }));

  // A folder of ours that others may enter is closed to them.
  ::unlink(folder.c_str());
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ::chmod(folder.c_str(), 0755);
  SingleInstance open("kdz", Options());
  ASSERT_TRUE(open.Start("").Runs());
  EXPECT_TRUE(open.HoldsLock());
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// Each safety check of the private folder on its own: a folder of another user, a symbolic link
// in the folder's place (to a private folder of ours), and a symbolic link in the lock file's
// place are not used; the process runs without the guard and nothing is created through a link.
TEST_F(SingleInstanceTest, AFolderOfAnotherUserOrALinkedFolderOrLockIsNotUsed) {
  const std::string ours = temp / "ours";
  const std::string target = temp / "target.lock";
  const struct {
    const char* what;
    std::function<void()> plant;
    std::string folder;
  } cases[] = {
      {"another user's folder",
       [&] {
         ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
         // Root makes it another user's; another user meets a folder of root's.
         if (::chown(folder.c_str(), 4242, 4242) != 0) {
           ASSERT_EQ(errno, EPERM);
         }
       },
       ::geteuid() == 0 ? folder : std::string("/")},
      {"a symbolic link to a folder of ours",
       [&] {
         ASSERT_EQ(::mkdir(ours.c_str(), 0700), 0);
         ASSERT_EQ(::symlink(ours.c_str(), folder.c_str()), 0);
       },
       folder},
      {"a symbolic link in the lock file's place",
       [&] {
         ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
         ASSERT_EQ(::symlink(target.c_str(), (folder + "/kdz.lock").c_str()), 0);
       },
       folder},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(ours);
    c.plant();
    SingleInstance instance("kdz", {c.folder, 2000});
    EXPECT_TRUE(instance.Start("").Runs()) << "runs unguarded";
    EXPECT_FALSE(instance.HoldsLock());
    EXPECT_FALSE(std::filesystem::exists(target)) << "a link was followed";
    EXPECT_FALSE(std::filesystem::exists(ours + "/kdz.lock")) << "a linked folder was used";
  }
}

// The running instance in a child process: it publishes, carries out "exit" by ending with code
// 0, and dies without withdrawing its socket. A new start afterwards is not blocked by what it
// left behind.
TEST_F(SingleInstanceTest, ExitReachesAnotherProcessAndWhatItLeavesBlocksNothing) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    SingleInstance first("kdz", Options());
    if (!first.Start("").Runs() || !first.HoldsLock()) ::_exit(2);
    std::atomic<bool> exitAsked{false};
    if (!first.Publish([&](InstanceCommand c) {
          exitAsked = c == InstanceCommand::Exit;
          return true;
        }))
      ::_exit(3);
    if (::write(ready[1], "r", 1) != 1) ::_exit(4);
    for (int i = 0; i < 500 && !exitAsked; ++i) ::usleep(10000);
    // The answer is out before the process ends, as on the tray's Exit path.
    first.Unpublish();
    ::_exit(exitAsked ? 0 : 5);
  }
  ::close(ready[1]);
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::close(ready[0]);

  SingleInstance second("kdz", Options());
  const SingleInstance::StartOutcome o = second.Start("exit");
  EXPECT_EQ(o.action, StartAction::SendExit);
  EXPECT_EQ(o.sent, SendResult::Answered);
  EXPECT_TRUE(o.peerEnded);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  // A dead instance's lock is gone with it; a socket file it left is replaced.
  const std::string stale = second.SocketPath();
  const int leftover = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, stale.c_str());
  ASSERT_EQ(::bind(leftover, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(leftover);  // bound, never listened: connecting is refused

  SingleInstance third("kdz", Options());
  EXPECT_EQ(third.Start("").action, StartAction::Run);
  Recorder recorder;
  ASSERT_TRUE(third.Publish(recorder.Handler()));
  EXPECT_EQ(SingleInstance("kdz", Options(2000, /*exitWaitMs=*/50)).Start("exit").sent,
            SendResult::Answered);
  EXPECT_EQ(recorder.Commands(), std::vector<InstanceCommand>{InstanceCommand::Exit});
}

// "exit" returns once the running instance has ended, not when it has taken the request on: an
// instance that is busy (an Apply) ends a while after its answer, and a start right after the
// "exit" must find no instance left. One that does not end within the wait is told.
TEST_F(SingleInstanceTest, ExitReturnsOnceTheRunningInstanceHasReleasedItsLock) {
  const struct {
    const char* what;
    bool ends;
    uint32_t exitWaitMs;
  } cases[] = {
      {"ends a while after its answer", true, 10000},
      {"does not end within the wait", false, 150},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto first = std::make_unique<SingleInstance>("kdz", Options());
    ASSERT_TRUE(first->Start("").Runs());
    std::mutex mutex;
    std::condition_variable asked;
    bool exitAsked = false;
    ASSERT_TRUE(first->Publish([&](InstanceCommand command) {
      std::lock_guard<std::mutex> lock(mutex);
      exitAsked = command == InstanceCommand::Exit;
      asked.notify_all();
      return true;
    }));
    // The instance ends some time after it has answered, as the tray's Exit does once an Apply
    // has finished.
    std::thread busy([&] {
      std::unique_lock<std::mutex> lock(mutex);
      if (!asked.wait_for(lock, std::chrono::seconds(20), [&] { return exitAsked; })) return;
      lock.unlock();
      if (!c.ends) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      first.reset();
    });

    SingleInstance sender("kdz", Options(2000, c.exitWaitMs));
    testing::internal::CaptureStderr();
    const SingleInstance::StartOutcome o = sender.Start("exit");
    const std::string said = testing::internal::GetCapturedStderr();
    SingleInstance next("kdz", Options());
    EXPECT_EQ(next.Start("").Runs(), c.ends) << "a start right after the exit";
    busy.join();

    EXPECT_EQ(o.action, StartAction::SendExit);
    EXPECT_EQ(o.sent, SendResult::Answered);
    EXPECT_EQ(o.peerEnded, c.ends);
    EXPECT_EQ(o.ExitFailed(), !c.ends);
    EXPECT_EQ(said.find("has not ended") != std::string::npos, !c.ends) << said;
  }
}

}  // namespace
}  // namespace desktop
