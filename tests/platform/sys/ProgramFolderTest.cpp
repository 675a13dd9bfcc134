#include "platform/sys/ProgramFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
  const std::string folder = sys::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_EQ(access(sys::JoinPath(folder, "platform_sys_tests").c_str(), X_OK), 0) << folder;
}

TEST(JoinPath, JoinsWithOneSlashAndTurnsBackslashes) {
  struct Case {
    const char* folder;
    const char* name;
    const char* joined;
  } cases[] = {
      {"/opt/app", "Setup.ini", "/opt/app/Setup.ini"},
      {"/opt/app/", "Setup.ini", "/opt/app/Setup.ini"},
      {"/opt/app", "Skin\\Main\\bg.png", "/opt/app/Skin/Main/bg.png"},
      {"/opt/app", "\\Skin\\bg.png", "/opt/app/Skin/bg.png"},
      {"/", "a.png", "/a.png"},
  };
  for (const Case& c : cases) EXPECT_EQ(sys::JoinPath(c.folder, c.name), c.joined) << c.name;
}

}  // namespace
