#include "resources/INIFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <vector>

#include "TempDir.h"
#include "platform/sys/Utf.h"

namespace {

using resources_test::TempDir;

class INIFileTest : public ::testing::Test {
 protected:
  CINIFile Open(const std::string& name, std::string_view bytes) {
    CINIFile ini;
    EXPECT_EQ(ini.SetFile(sys::FromUtf8(dir_.Write(name, bytes))), 1);
    return ini;
  }
  TempDir dir_;
};

TEST_F(INIFileTest, SetFileStoresThePathAndReportsWhetherAFileIsThere) {
  const std::string file = dir_.Write("Setup.ini", "[A]\n");
  struct Case {
    std::string path;
    int expected;
  };
  const std::vector<Case> cases = {
      {file, 1},
      {dir_.path(), 0},
      {dir_.path() + "/missing.ini", 0},
      {"", 0},
  };
  for (const auto& c : cases) {
    CINIFile ini;
    EXPECT_EQ(ini.SetFile(sys::FromUtf8(c.path)), c.expected) << c.path;
    EXPECT_EQ(ini.GetFile(), sys::FromUtf8(c.path));
    const CINIFile copy = ini;
    EXPECT_EQ(copy.GetFile(), ini.GetFile());
  }
}

TEST_F(INIFileTest, ValuesAreFoundIgnoringCaseTrimmedAndUnquoted) {
  const CINIFile ini = Open("Setup.ini",
                            "; skin\r\n"
                            "top=outside any section\r\n"
                            "[MainWindow]\r\n"
                            "  NormalImage =  skin\\main.png  \r\n"
                            "Quoted=\" padded \"\r\n"
                            "Single='x'\r\n"
                            "Mismatched=\"x'\r\n"
                            "Empty=\r\n"
                            "Twice=first\r\n"
                            "Twice=second\r\n"
                            "Equals=a=b\r\n"
                            "[ Other ]\n"
                            "NormalImage=other.png\n"
                            "[mainwindow]\n"
                            "Late=only in a second section of the same name\n");
  struct Case {
    std::u16string section, key, expected;
  };
  const std::vector<Case> cases = {
      {u"MainWindow", u"NormalImage", u"skin\\main.png"},
      {u"MAINWINDOW", u"normalimage", u"skin\\main.png"},
      {u"MainWindow", u"Quoted", u" padded "},
      {u"MainWindow", u"Single", u"x"},
      {u"MainWindow", u"Mismatched", u"\"x'"},
      {u"MainWindow", u"Empty", u""},
      {u"MainWindow", u"Twice", u"first"},
      {u"MainWindow", u"Equals", u"a=b"},
      {u"other", u"NormalImage", u"other.png"},
      {u"MainWindow", u"Missing", u""},
      {u"Missing", u"NormalImage", u""},
      {u"MainWindow", u"Late", u""},
      {u"MainWindow", u"top", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini.GetString(c.section, c.key), c.expected) << sys::ToUtf8(c.key);
  }
}

TEST_F(INIFileTest, LongValuesAreCutTo259Units) {
  const std::string longValue(300, 'v');
  // A character outside the BMP straddling the cut must not leave half a surrogate pair.
  const std::string straddle = std::string(258, 'w') + "\xF0\x9F\x98\x80" + "tail";
  const CINIFile ini = Open("Setup.ini", "[S]\nLong=" + longValue + "\nPair=" + straddle + "\n");
  EXPECT_EQ(ini.GetString(u"S", u"Long"), std::u16string(259, u'v'));
  EXPECT_EQ(ini.GetString(u"S", u"Pair"), std::u16string(258, u'w'));
}

TEST_F(INIFileTest, FilesInEveryCommonEncodingRead) {
  const std::u16string text = u"[Page]\r\nName=\u914D\u7F6E\r\n";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"utf8.ini", sys::ToUtf8(text)},
      {"utf8bom.ini", "\xEF\xBB\xBF" + sys::ToUtf8(text)},
      {"utf16le.ini", resources_test::Utf16Bytes(text, false)},
      {"utf16be.ini", resources_test::Utf16Bytes(text, true)},
  };
  for (const auto& [name, bytes] : files) {
    const CINIFile ini = Open(name, bytes);
    EXPECT_EQ(ini.GetString(u"Page", u"Name"), u"\u914D\u7F6E") << name;
  }
}

TEST_F(INIFileTest, EveryReadSeesTheFileAsItIsNow) {
  CINIFile ini = Open("Setup.ini", "[S]\nK=1\n");
  EXPECT_EQ(ini.GetString(u"S", u"K"), u"1");
  dir_.Write("Setup.ini", "[S]\nK=2\n");
  EXPECT_EQ(ini.GetString(u"S", u"K"), u"2");
  std::filesystem::remove(sys::ToUtf8(ini.GetFile()));
  EXPECT_EQ(ini.GetString(u"S", u"K"), u"");
}

// The decoded file is kept, also for the process's other readers of the same file, while the
// file's device, inode, size and modification time are unchanged; a change of any of them is
// seen at the next look-up. The file's time is set an hour
// back, so that the reader does not take it for one that may still be rewritten unseen.
TEST_F(INIFileTest, TheDecodedFileIsKeptWhileItsIdentitySizeAndTimeAreUnchanged) {
  struct Case {
    const char* what;
    std::string rewrite;  // the new contents, written in place
    bool replace;         // written to another file renamed over it instead (a new inode)
    bool sameTime;        // the modification time set back to what it was
    std::u16string seen;
  } cases[] = {
      {"same size and time, in place: kept", "[S]\nK=2\n", false, true, u"1"},
      {"another time", "[S]\nK=2\n", false, false, u"2"},
      {"another size", "[S]\nK=22\n", false, true, u"22"},
      {"another inode", "[S]\nK=2\n", true, true, u"2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir_.Write("Setup.ini", "[S]\nK=1\n");
    const timespec anHourAgo{::time(nullptr) - 3600, 0};
    const timespec times[2] = {anHourAgo, anHourAgo};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    CINIFile ini;
    ASSERT_EQ(ini.SetFile(sys::FromUtf8(path)), 1);
    EXPECT_EQ(ini.GetString(u"S", u"K"), u"1");
    const std::string written = dir_.Write(c.replace ? "new.ini" : "Setup.ini", c.rewrite);
    const timespec later[2] = {{anHourAgo.tv_sec + 60, 0}, {anHourAgo.tv_sec + 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, written.c_str(), c.sameTime ? times : later, 0), 0);
    if (c.replace) std::filesystem::rename(written, path);
    EXPECT_EQ(ini.GetString(u"S", u"K"), c.seen);
    CINIFile copy = ini;
    EXPECT_EQ(copy.GetString(u"S", u"K"), c.seen) << "a copy";
    CINIFile other;
    ASSERT_EQ(other.SetFile(sys::FromUtf8(path)), 1);
    EXPECT_EQ(other.GetString(u"S", u"K"), c.seen) << "another reader of the same file";
  }
}

TEST_F(INIFileTest, ADeviceOrFolderReadsAsEmpty) {
  CINIFile ini;
  ini.SetFile(u"/dev/zero");
  EXPECT_EQ(ini.GetString(u"S", u"K"), u"");
  ini.SetFile(sys::FromUtf8(dir_.path()));
  EXPECT_EQ(ini.GetString(u"S", u"K"), u"");
}

TEST_F(INIFileTest, GetIntsReadsCommaSeparatedNumbers) {
  const CINIFile ini = Open("Setup.ini",
                            "[S]\n"
                            "Rect=10, 20,30,40\n"
                            "One=5\n"
                            "Empty=\n"
                            "Trailing=1,2,\n"
                            "Leading=,7\n"
                            "Three=1,2,3\n"
                            "Signs= -3, +4px,x,-\n"
                            "Huge=99999999999,-99999999999\n"
                            "Five=1,2,3,4,5\n");
  struct Case {
    std::u16string key;
    int expectedCount;
    std::vector<int32_t> expected;  // all four places, -1 where the caller's value stays
  };
  const std::vector<Case> cases = {
      {u"Rect", 4, {10, 20, 30, 40}},
      {u"One", 1, {5, -1, -1, -1}},
      {u"Empty", 0, {-1, -1, -1, -1}},
      {u"Missing", 0, {-1, -1, -1, -1}},
      {u"Trailing", 2, {1, 2, -1, -1}},
      {u"Leading", 2, {0, 7, -1, -1}},
      {u"Three", 3, {1, 2, 3, -1}},
      {u"Signs", 4, {-3, 4, 0, 0}},
      {u"Huge", 2, {INT32_MAX, INT32_MIN, -1, -1}},
      {u"Five", 4, {1, 2, 3, 4}},
  };
  for (const auto& c : cases) {
    std::vector<int32_t> dest(5, -1);
    EXPECT_EQ(ini.GetInts(u"s", c.key, dest.data(), 4), c.expectedCount) << sys::ToUtf8(c.key);
    EXPECT_EQ(std::vector<int32_t>(dest.begin(), dest.begin() + 4), c.expected)
        << sys::ToUtf8(c.key);
    EXPECT_EQ(dest[4], -1) << "wrote past the room given";
  }
  int32_t one = -1;
  EXPECT_EQ(ini.GetInts(u"S", u"Rect", &one, 1), 1);
  EXPECT_EQ(one, 10);
  EXPECT_EQ(ini.GetInts(u"S", u"Rect", nullptr, 4), 0);
}

}  // namespace
