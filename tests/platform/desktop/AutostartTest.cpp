#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop/XdgAutostart.h"
#include "tests/platform/desktop/XvfbServer.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace desktop {
namespace {

// How a launcher reads an Exec value, written here from the desktop entry rules: the string
// escapes are undone first, then the command line is split into arguments, with double quotes
// grouping and a backslash inside them taking the next character literally; "%%" is a '%'.
// Empty when the value is malformed.
std::optional<std::vector<std::string>> ParseExec(const std::string& value) {
  std::string unescaped;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      unescaped += value[i];
      continue;
    }
    if (++i == value.size()) return std::nullopt;
    switch (value[i]) {
      case '\\': unescaped += '\\'; break;
      case 'n': unescaped += '\n'; break;
      case 't': unescaped += '\t'; break;
      case 'r': unescaped += '\r'; break;
      case 's': unescaped += ' '; break;
      default: return std::nullopt;
    }
  }
  std::vector<std::string> args;
  std::string arg;
  bool inArg = false, quoted = false;
  for (size_t i = 0; i < unescaped.size(); ++i) {
    const char c = unescaped[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\') {
        if (++i == unescaped.size()) return std::nullopt;
        const char next = unescaped[i];
        if (next != '"' && next != '`' && next != '$' && next != '\\') return std::nullopt;
        arg += next;
      } else if (c == '%') {
        if (++i == unescaped.size() || unescaped[i] != '%') return std::nullopt;
        arg += '%';
      } else {
        arg += c;
      }
    } else if (c == ' ') {
      if (inArg) args.push_back(arg);
      arg.clear();
      inArg = false;
    } else if (c == '"') {
      quoted = inArg = true;
    } else if (c == '%') {
      if (++i == unescaped.size() || unescaped[i] != '%') return std::nullopt;
      arg += '%';
      inArg = true;
    } else {
      // Reserved characters must not stand outside quotes.
      if (std::string_view("\t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos)
        return std::nullopt;
      arg += c;
      inArg = true;
    }
  }
  if (quoted) return std::nullopt;
  if (inArg) args.push_back(arg);
  return args;
}

// The value of `key` in the entry's text (first occurrence), or empty.
std::optional<std::string> KeyValue(const std::string& text, const std::string& key) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end == std::string::npos ? end : end - at);
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return std::nullopt;
}

using testutil::ReadText;

// desktop-file-validate's complaints about the file (empty when it accepts it), or nullopt when
// the tool is not installed.
std::optional<std::string> Validate(const std::string& path) {
  const std::string tool = testutil::XvfbServer::FindProgram("desktop-file-validate");
  if (tool.empty()) return std::nullopt;
  std::string output;
  FILE* pipe = ::popen(("'" + tool + "' '" + path + "' 2>&1").c_str(), "r");
  if (pipe == nullptr) return std::string("cannot run desktop-file-validate");
  char buffer[512];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = ::pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) output += " (exit status not 0)";
  return output;
}

// The entry passes desktop-file-validate, where that is installed.
void ExpectValid(const std::string& path) {
  if (const std::optional<std::string> complaints = Validate(path)) {
    EXPECT_EQ(*complaints, "") << ReadText(path);
  }
}

class AutostartFile : public ::testing::Test {
 protected:
  std::string EntryPath() const { return temp_ / "config/autostart/Kavrin-DireZerud.desktop"; }
  testutil::TempFolder temp_;
};

TEST_F(AutostartFile, ReadsOnWhenExecIsSetAndHiddenIsNotTrueWhoeverWroteIt) {
  const struct {
    const char* name;
    const char* text;  // null: no file
    bool on;
  } cases[] = {
      {"no file", nullptr, false},
      {"empty file", "", false},
      {"another program's entry", "[Desktop Entry]\nType=Application\nName=X\nExec=other\n", true},
      {"Hidden=false", "[Desktop Entry]\nExec=/usr/bin/x /s\nHidden=false\n", true},
      {"Hidden=true", "[Desktop Entry]\nExec=/usr/bin/x /s\nHidden=true\n", false},
      {"Hidden before Exec", "[Desktop Entry]\nHidden=true\nExec=/usr/bin/x\n", false},
      {"blanks around '='", "[Desktop Entry]\nExec = /usr/bin/x\nHidden = false\n", true},
      {"empty Exec", "[Desktop Entry]\nType=Application\nExec=\n", false},
      {"blank Exec", "[Desktop Entry]\nExec=   \n", false},
      {"no Exec", "[Desktop Entry]\nType=Application\nName=X\n", false},
      {"Exec in another group", "[Desktop Entry]\nName=X\n[Desktop Action a]\nExec=x\n", false},
      {"Hidden in another group", "[Desktop Entry]\nExec=x\n[Other]\nHidden=true\n", true},
      {"commented Hidden", "[Desktop Entry]\nExec=x\n#Hidden=true\n", true},
      {"no group", "Exec=x\n", false},
      {"CRLF line ends", "[Desktop Entry]\r\nExec=x\r\nHidden=true\r\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(EntryPath().c_str());
    if (c.text != nullptr) temp_.Write("config/autostart/Kavrin-DireZerud.desktop", c.text);
    XdgAutostart autostart(EntryPath(), "/opt/kdz/KavrinDireZerud");
    EXPECT_EQ(autostart.IsEnabled(), c.on);
  }
}

TEST_F(AutostartFile, OnWritesTheWholeEntryAndOffKeepsItHidden) {
  XdgAutostart autostart(EntryPath(), "/opt/kdz/KavrinDireZerud");
  ASSERT_TRUE(autostart.SetEnabled(true));  // the folder is made
  EXPECT_TRUE(autostart.IsEnabled());
  EXPECT_EQ(ReadText(EntryPath()),
            "[Desktop Entry]\nType=Application\nName=Kavrin-DireZerud\nIcon=kavrin-direzerud\n"
            "Exec=/opt/kdz/KavrinDireZerud /s\n");
  ExpectValid(EntryPath());

  ASSERT_TRUE(autostart.SetEnabled(false));
  EXPECT_FALSE(autostart.IsEnabled());
  const std::string off = ReadText(EntryPath());
  EXPECT_EQ(KeyValue(off, "Exec"), "/opt/kdz/KavrinDireZerud /s");
  EXPECT_EQ(KeyValue(off, "Hidden"), "true");
  ExpectValid(EntryPath());

  ASSERT_TRUE(autostart.SetEnabled(true));
  EXPECT_TRUE(autostart.IsEnabled());
  EXPECT_EQ(KeyValue(ReadText(EntryPath()), "Hidden"), std::nullopt);
}

TEST_F(AutostartFile, OffKeepsAnotherProgramsEntryAndOnlyHidesIt) {
  const struct {
    const char* name;
    const char* before;
    const char* after;
  } cases[] = {
      {"no Hidden", "[Desktop Entry]\nExec=other --x\nName=O\n[Desktop Action a]\nExec=y\n",
       "[Desktop Entry]\nExec=other --x\nName=O\nHidden=true\n[Desktop Action a]\nExec=y\n"},
      {"Hidden=false", "[Desktop Entry]\nHidden=false\nExec=other\n",
       "[Desktop Entry]\nHidden=true\nExec=other\n"},
      {"no group", "Exec=other\n", "Exec=other\n[Desktop Entry]\nHidden=true\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    temp_.Write("config/autostart/Kavrin-DireZerud.desktop", c.before);
    XdgAutostart autostart(EntryPath(), "/opt/kdz/KavrinDireZerud");
    ASSERT_TRUE(autostart.SetEnabled(false));
    EXPECT_EQ(ReadText(EntryPath()), c.after);
    EXPECT_FALSE(autostart.IsEnabled());
  }
}

TEST_F(AutostartFile, ExecHoldsAnyPathThatAValidEntryCanHold) {
  const std::string longFolder(300, 'd');
  const struct {
    const char* name;
    std::string path;
  } cases[] = {
      {"plain", "/opt/kdz/KavrinDireZerud"},
      {"space", "/home/a b/Kavrin DireZerud"},
      {"double quote", "/home/a\"b/kdz"},
      {"dollar", "/home/$HOME/kdz"},
      {"percent", "/home/100%/kdz%u"},
      {"backslash", "/home/a\\b/kdz\\"},
      {"backtick and apostrophe", "/home/`x`/it's"},
      {"shell characters", "/home/a;b|c&d<e>f~g*h?i#j(k)/kdz"},
      {"newline, tab, carriage return", "/home/a\nb\tc\rd/kdz"},
      {"not ASCII", "/home/j\xC3\xBCrgen/\xE6\xB5\x8B\xE8\xAF\x95/kdz"},
      {"over 260 units", "/home/" + longFolder + "/KavrinDireZerud"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(EntryPath().c_str());
    XdgAutostart autostart(EntryPath(), c.path);
    ASSERT_TRUE(autostart.SetEnabled(true));
    EXPECT_TRUE(autostart.IsEnabled());
    const std::optional<std::string> exec = KeyValue(ReadText(EntryPath()), "Exec");
    ASSERT_TRUE(exec.has_value());
    const std::optional<std::vector<std::string>> args = ParseExec(*exec);
    ASSERT_TRUE(args.has_value()) << *exec;
    EXPECT_EQ(*args, (std::vector<std::string>{c.path, "/s"})) << *exec;
    ExpectValid(EntryPath());
  }
}

TEST_F(AutostartFile, APathNoEntryCanHoldLeavesTheStartOffSilently) {
  const struct {
    const char* name;
    std::string path;
  } cases[] = {
      {"equals sign", "/home/a=b/kdz"},
      {"control character", "/home/a\x01" "b/kdz"},
      {"delete character", "/home/a\x7F" "b/kdz"},
      {"not UTF-8", "/home/a\xFF" "b/kdz"},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExecProgramField(c.path), std::nullopt);
    XdgAutostart autostart(EntryPath(), c.path);
    EXPECT_FALSE(autostart.SetEnabled(true));
    EXPECT_FALSE(autostart.IsEnabled());
    EXPECT_FALSE(std::filesystem::exists(EntryPath()));
  }
}

TEST_F(AutostartFile, SomethingOtherThanAFileAtTheEntryReadsOffAndIsNotWaitedFor) {
  std::filesystem::create_directories(temp_ / "config/autostart");
  ASSERT_EQ(::mkfifo(EntryPath().c_str(), 0600), 0);  // no writer: a plain read would block
  EXPECT_FALSE(XdgAutostart(EntryPath(), "/opt/kdz/KavrinDireZerud").IsEnabled());
  std::filesystem::remove(EntryPath());
  std::filesystem::create_directory(EntryPath());
  EXPECT_FALSE(XdgAutostart(EntryPath(), "/opt/kdz/KavrinDireZerud").IsEnabled());
}

TEST_F(AutostartFile, AFileWhereTheFolderShouldBeLeavesEverythingUnchanged) {
  temp_.Write("config/autostart", "not a folder");
  XdgAutostart autostart(EntryPath(), "/opt/kdz/KavrinDireZerud");
  EXPECT_FALSE(autostart.SetEnabled(true));
  EXPECT_FALSE(autostart.SetEnabled(false));
  EXPECT_FALSE(autostart.IsEnabled());
  EXPECT_EQ(ReadText(temp_ / "config/autostart"), "not a folder");
}

TEST_F(AutostartFile, TheProgramsEntryStartsTheRunningExecutable) {
  testutil::ScopedEnv config("XDG_CONFIG_HOME", (temp_ / "config").c_str());
  const std::unique_ptr<Autostart> autostart = CreateAutostart();
  EXPECT_FALSE(autostart->IsEnabled());
  ASSERT_TRUE(autostart->SetEnabled(true));
  EXPECT_TRUE(autostart->IsEnabled());
  const std::optional<std::vector<std::string>> args =
      ParseExec(KeyValue(ReadText(EntryPath()), "Exec").value_or(""));
  ASSERT_TRUE(args.has_value());
  EXPECT_EQ(*args, (std::vector<std::string>{
                       std::filesystem::read_symlink("/proc/self/exe").string(), "/s"}));
}

TEST(AutostartPath, FollowsTheConfigurationFolder) {
  testutil::ScopedEnv config("XDG_CONFIG_HOME", "/tmp/kdz-config");
  EXPECT_EQ(AutostartEntryPath(), "/tmp/kdz-config/autostart/Kavrin-DireZerud.desktop");
  testutil::ScopedEnv relative("XDG_CONFIG_HOME", "relative");
  testutil::ScopedEnv home("HOME", "/tmp/kdz-home");
  EXPECT_EQ(AutostartEntryPath(), "/tmp/kdz-home/.config/autostart/Kavrin-DireZerud.desktop");
}

}  // namespace
}  // namespace desktop
