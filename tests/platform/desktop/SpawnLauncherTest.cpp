#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/desktop/ChildReaper.h"
#include "platform/desktop/SpawnLauncher.h"
#include "platform/sys/Utf.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace desktop {
namespace {

using testutil::ReadText;

// Waits (in short sleeps, at most ~10 s) until `done` holds.
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    ::usleep(5000);
  }
  return done();
}

std::string MakeExecutable(const testutil::TempFolder& temp, const std::string& name,
                           const std::string& script) {
  const std::string path = temp.Write(name, script);
  ::chmod(path.c_str(), 0755);
  return path;
}

TEST(SpawnLauncher, StartsOnlyRegularFilesThatOpenForReading) {
  testutil::TempFolder temp;
  const std::string program = MakeExecutable(temp, "tool", "#!/bin/sh\nexit 0\n");
  const std::string document = temp.Write("notes.txt", "text");
  std::filesystem::create_directory(temp / "folder");
  ::mkfifo((temp / "pipe").c_str(), 0600);  // would block a plain open for reading
  const SpawnLauncher launcher("opener");
  const struct {
    const char* name;
    std::string path;
    std::vector<std::string> command;
  } cases[] = {
      {"missing", temp / "missing", {}},
      {"folder", temp / "folder", {}},
      {"named pipe", temp / "pipe", {}},
      {"empty path", "", {}},
      {"zero byte", program + std::string(1, '\0') + "x", {}},
      {"executable", program, {program}},
      {"document", document, {"opener", document}},
  };
  // A relative path is anchored, so that it is neither looked up in $PATH nor an option.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(temp.path());
  temp.Write("-v.txt", "text");
  EXPECT_EQ(launcher.CommandFor("tool"), std::vector<std::string>{"./tool"});
  EXPECT_EQ(launcher.CommandFor("-v.txt"), (std::vector<std::string>{"opener", "./-v.txt"}));
  std::filesystem::current_path(before);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(launcher.CommandFor(c.path), c.command);
  }
}

TEST(SpawnLauncher, AFileThatDoesNotOpenForReadingIsNotStarted) {
  testutil::TempFolder temp;
  const std::string program = MakeExecutable(temp, "tool", "#!/bin/sh\nexit 0\n");
  ::chmod(program.c_str(), 0111);  // executable, not readable
  // Root reads any file: the check runs in a child that has given up root.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(SpawnLauncher("opener").CommandFor(program).empty() ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SpawnLauncher, NothingHappensWhenTheProgramCannotStart) {
  testutil::TempFolder temp;
  const std::string document = temp.Write("notes.txt", "text");
  SpawnLauncher noOpener(temp / "no-such-opener");
  EXPECT_FALSE(noOpener.Open(sys::FromUtf8(document)));
  EXPECT_FALSE(noOpener.Open(sys::FromUtf8(temp / "missing")));
  // An executable file that is no program the system can run, and no opener for it either.
  const std::string junk = MakeExecutable(temp, "junk", "\x7F" "ELF not really");
  EXPECT_FALSE(noOpener.Open(sys::FromUtf8(junk)));
  EXPECT_EQ(SpawnDetached({}), -1);
}

// The document goes to the opener as its one argument, whatever characters its path holds.
TEST(SpawnLauncher, ADocumentGoesToTheOpenerAsOneArgument) {
  testutil::TempFolder temp;
  const std::string record = temp / "arguments";
  const std::string opener = MakeExecutable(
      temp, "opener", "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" + record + ".tmp'\nmv '" +
                          record + ".tmp' '" + record + "'\n");
  const std::string document = temp.Write("a b \"c\" $HOME;`d` 'e'\n.txt", "text");
  ASSERT_TRUE(SpawnLauncher(opener).Open(sys::FromUtf8(document)));
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(record); }));
  EXPECT_EQ(ReadText(record), "1|" + document + "|");

  // A document with the execute bit, which the system cannot run, goes to the opener too.
  std::filesystem::remove(record);
  const std::string marked = MakeExecutable(temp, "report (1).txt", "plain text\n");
  ASSERT_TRUE(SpawnLauncher(opener).Open(sys::FromUtf8(marked)));
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(record); }));
  EXPECT_EQ(ReadText(record), "1|" + marked + "|");
}

// A real start of a script in a folder whose name has a space and a '$': it runs in a session of
// its own with none of this program's descriptors (the single-instance lock is free once this
// program lets go of it, while the script still runs), and leaves no zombie.
TEST(SpawnLauncher, AStartedProgramRunsDetachedAndLeavesNoZombie) {
  testutil::TempFolder temp;
  const std::string folder = temp / "my $HOME tools";
  std::filesystem::create_directory(folder);
  const std::string lockPath = temp / "instance.lock";
  const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);  // inheritable on purpose
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

  const std::string out = folder + "/";
  const std::string script =
      "#!/bin/sh\n"
      "cat /proc/$$/stat > '" + out + "stat'\n"
      "for f in /proc/$$/fd/*; do echo \"${f##*/} $(readlink \"$f\")\"; done > '" + out + "fds'\n"
      "echo $$ > '" + out + "pid.tmp'; mv '" + out + "pid.tmp' '" + out + "pid'\n"
      "i=0; while [ ! -e '" + out + "go' ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done\n"
      "echo done > '" + out + "done'\n";
  const std::string program = folder + "/run it.sh";
  std::ofstream(program) << script;
  ::chmod(program.c_str(), 0755);

  ASSERT_TRUE(SpawnLauncher().Open(sys::FromUtf8(program)));
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(out + "pid"); }));
  const pid_t pid = std::stoi(ReadText(out + "pid"));
  const std::string procEntry = "/proc/" + std::to_string(pid);

  // Its own session: the session id (field 6 of stat) is its pid.
  const std::string stat = ReadText(out + "stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string state, ppid, pgrp, session;
  fields >> state >> ppid >> pgrp >> session;
  EXPECT_EQ(session, std::to_string(pid));

  // Standard streams on /dev/null; no descriptor of ours, the lock least of all.
  const std::string fds = ReadText(out + "fds");
  EXPECT_NE(fds.find("0 /dev/null"), std::string::npos) << fds;
  EXPECT_NE(fds.find("1 /dev/null"), std::string::npos) << fds;
  EXPECT_NE(fds.find("2 /dev/null"), std::string::npos) << fds;
  EXPECT_EQ(fds.find(lockPath), std::string::npos) << fds;

  // This program ends its hold on the lock; the running script holds nothing of it.
  ::close(lock);
  const int again = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(again, 0);
  EXPECT_TRUE(std::filesystem::exists(procEntry));  // still running
  EXPECT_EQ(::flock(again, LOCK_EX | LOCK_NB), 0);
  ::close(again);

  temp.Write("my $HOME tools/go", "");
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(out + "done"); }));
  // Reaped by the launcher: no zombie stays behind.
  EXPECT_TRUE(WaitFor([&] { return !std::filesystem::exists(procEntry); }))
      << ReadText(procEntry + "/stat");
}

size_t ThreadsOfThisProcess() { return testutil::FileNames("/proc/self/task").size(); }

// However many programs are started and still run, one thread waits for all of them; each is
// reaped when it ends, and no other child of this program is waited for.
TEST(SpawnLauncher, OneReaperWaitsForEveryStartedProgram) {
  const pid_t own = ::fork();  // a child of the test's own, ended and left for the test to reap
  if (own == 0) ::_exit(7);
  ASSERT_GT(own, 0);

  const auto reaped = [](pid_t pid) {
    return !std::filesystem::exists("/proc/" + std::to_string(pid));
  };
  // The first program brings up the reaper; later ones add no thread.
  const pid_t first = SpawnDetached({"/bin/true"});
  ASSERT_GT(first, 0);
  ASSERT_TRUE(WaitFor([&] { return reaped(first); }));
  const size_t threads = ThreadsOfThisProcess();
  std::vector<pid_t> running, ending;
  for (int i = 0; i < 40; ++i) {
    running.push_back(SpawnDetached({"/bin/sleep", "60"}));
    ending.push_back(SpawnDetached({"/bin/true"}));
    ASSERT_GT(running.back(), 0);
    ASSERT_GT(ending.back(), 0);
  }
  EXPECT_EQ(ThreadsOfThisProcess(), threads);
  for (pid_t pid : ending) EXPECT_TRUE(WaitFor([&] { return reaped(pid); })) << pid;
  for (pid_t pid : running) EXPECT_FALSE(reaped(pid)) << pid;

  for (pid_t pid : running) ::kill(pid, SIGKILL);
  for (pid_t pid : running) EXPECT_TRUE(WaitFor([&] { return reaped(pid); })) << pid;
  EXPECT_TRUE(WaitFor([] { return ChildReaper::Instance().Pending() == 0; }));
  EXPECT_EQ(ThreadsOfThisProcess(), threads);

  int status = 0;
  EXPECT_EQ(::waitpid(own, &status, 0), own);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
}

}  // namespace
}  // namespace desktop
