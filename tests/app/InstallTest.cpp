// `cmake --install` of the build into a prefix of the test's own: the program folder, the link
// in bin/, the desktop entry naming the installed program and the icon theme's icons.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/platform/sys/FileTestUtil.h"

namespace {

namespace fs = std::filesystem;

using testutil::ReadText;

// The value of `key` in the entry's main group.
std::string Value(const std::string& entry, const std::string& key) {
  const size_t at = entry.find("\n" + key + "=");
  if (at == std::string::npos) return {};
  const size_t start = at + key.size() + 2;
  return entry.substr(start, entry.find('\n', start) - start);
}

// The one argument of an Exec value: the string escapes undone, then the quoting of the
// desktop entry rules, then the doubled "%" of a literal percent sign.
std::string ExecArgument(const std::string& exec) {
  std::string unescaped;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size() && exec[i + 1] == '\\') ++i;
    unescaped += exec[i];
  }
  std::string arg;
  if (!unescaped.empty() && unescaped.front() == '"') {
    for (size_t i = 1; i + 1 < unescaped.size(); ++i) {
      if (unescaped[i] == '\\') ++i;
      arg += unescaped[i];
    }
  } else {
    arg = unescaped;
  }
  std::string out;
  for (size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] == '%' && i + 1 < arg.size() && arg[i + 1] == '%') ++i;
    out += arg[i];
  }
  return out;
}

// Runs a command line, its output to `log`; its exit code.
int RunCommand(const std::string& command, const fs::path& log) {
  return ::system((command + " >'" + log.string() + "' 2>&1").c_str());
}

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

TEST(InstallTest, PutsTheProgramInTheApplicationMenuWithItsIcon) {
  for (const char* name : {"prefix", "pre fix $HOME %u"}) {
    testutil::TempFolder folder;
    const fs::path prefix = fs::path(folder.path()) / name;
    const fs::path log = fs::path(folder.path()) / "install.log";
    ASSERT_EQ(RunCommand(std::string(KDZ_CMAKE) + " --install " + Quoted(KDZ_BUILD_DIR) + " --prefix " +
                      Quoted(prefix.string()),
                  log),
              0)
        << ReadText(log);

    const fs::path programDir = prefix / "lib/kavrin-direzerud";
    for (const char* file : {"KavrinDireZerud", "Zimhook.so", "Setup.ini", "Language.xml",
                             "Skin/MainWindow_BackGround.png", "Icons/128.png", "Icons/135.png",
                             "Icons/136.png"}) {
      EXPECT_TRUE(fs::is_regular_file(programDir / file)) << file;
    }
    EXPECT_EQ(::access((programDir / "KavrinDireZerud").c_str(), X_OK), 0);
    const fs::path link = prefix / "bin/kavrin-direzerud";
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::canonical(link), fs::canonical(programDir / "KavrinDireZerud"));
    for (const char* size : {"48x48", "256x256"}) {
      EXPECT_TRUE(fs::is_regular_file(prefix / "share/icons/hicolor" / size /
                                      "apps/kavrin-direzerud.png"))
          << size;
    }

    const fs::path desktop = prefix / "share/applications/kavrin-direzerud.desktop";
    const std::string entry = ReadText(desktop);
    EXPECT_EQ(ExecArgument(Value(entry, "Exec")), (programDir / "KavrinDireZerud").string())
        << Value(entry, "Exec");
    EXPECT_EQ(Value(entry, "Icon"), "kavrin-direzerud");
    EXPECT_EQ(Value(entry, "Categories"), "Settings;HardwareSettings;");
    if (::access("/usr/bin/desktop-file-validate", X_OK) == 0) {
      EXPECT_EQ(RunCommand("/usr/bin/desktop-file-validate " + Quoted(desktop.string()), log), 0)
          << ReadText(log);
    }
  }
}

}  // namespace
