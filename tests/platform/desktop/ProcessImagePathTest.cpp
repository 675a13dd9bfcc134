#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/desktop/ForegroundApplication.h"
#include "platform/sys/Utf.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace desktop {
namespace {

TEST(GetProcessImagePath, GivesTheWholeExecutablePathOrUnknown) {
  const std::u16string own = GetProcessImagePath(::getpid());
  EXPECT_EQ(own, sys::FromUtf8(std::filesystem::canonical("/proc/self/exe").string()));
  EXPECT_NE(own.find(u"/platform_desktop_tests"), std::u16string::npos);

  // A child that has ended and been reaped leaves its pid unused.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(GetProcessImagePath(child), kUnknownImagePath);

  EXPECT_EQ(GetProcessImagePath(0), kUnknownImagePath);
  EXPECT_EQ(GetProcessImagePath(-1), kUnknownImagePath);

  // Pid 2 is the kernel's thread starter, which has no executable.
  std::string comm;
  std::getline(std::ifstream("/proc/2/comm"), comm);
  if (comm == "kthreadd") {
    EXPECT_EQ(GetProcessImagePath(2), kUnknownImagePath);
  }
}

// A stored name at the end of a path longer than 260 units must still be found in it.
TEST(GetProcessImagePath, IsNotCutAt260Units) {
  testutil::TempFolder temp;
  std::string folder = temp.path();
  for (int i = 0; i < 4; ++i) folder += "/" + std::string(120, static_cast<char>('a' + i));
  std::filesystem::create_directories(folder);
  const std::string exe = folder + "/KdzLongNamedSleeper";
  std::filesystem::copy_file("/bin/sleep", exe);
  ASSERT_GT(exe.size(), 500u);

  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(exe.c_str(), exe.c_str(), "30", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_GT(child, 0);
  // Until the exec has happened the child still runs this test's executable.
  std::u16string path;
  for (int i = 0; i < 500 && path != sys::FromUtf8(exe); ++i) {
    ::usleep(2000);
    path = GetProcessImagePath(child);
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(path, sys::FromUtf8(exe));
}

TEST(LowerCaseUtf16, LowersEachUnitByTheUnicodeMapping) {
  const struct {
    std::u16string in;
    std::u16string out;
  } cases[] = {
      {u"C:\\Program Files\\GAME.EXE", u"c:\\program files\\game.exe"},
      {u"\u00C4\u00D6\u00DC\u00DF", u"\u00E4\u00F6\u00FC\u00DF"},  // German, sharp s unchanged
      {u"\u0416\u0414", u"\u0436\u0434"},                          // Cyrillic
      {u"\u03A3\u0391", u"\u03C3\u03B1"},                          // Greek
      {u"\u216B", u"\u217B"},                                      // Roman numeral twelve
      {u"\u6E38\u620F 123 <unknown>", u"\u6E38\u620F 123 <unknown>"},
      {u"\U00010400", u"\U00010400"},  // a pair of surrogates: each unit stays as it is
      {u"\xD800" u"A", u"\xD800" u"a"},  // a lone surrogate too
      {u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sys::ToUtf8(c.in));
    EXPECT_EQ(LowerCaseUtf16(c.in), c.out);
  }
}

}  // namespace
}  // namespace desktop
