// Exit, as a later start with "exit" asks for it, while a window that the program shows over its
// main window is open: the built program with the simulated mouse on an X server of the test's
// own. The program ends with 0, and in the sanitizer builds without a report.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "settings/FunctionCodes.h"
#include "tests/app/ProgramSession.h"
// After Qt's headers: Xlib's macros would meet Qt's names.
#include "tests/app/DesktopUnderX.h"

namespace {

namespace fs = std::filesystem;
using apptest::Child;
using apptest::Desk;
using apptest::WaitFor;

constexpr int kWaitMs = 15000;
constexpr int kMenuItemHeight = 17;
const QSize kMenuSize(128, 375);

// The build's program folder without the keyboard-hook library: the program linked (or copied)
// into a folder of its own, beside links to its skin, images and texts.
class FolderWithoutHook {
 public:
  FolderWithoutHook() {
    std::string pattern = std::string(KDZ_WORK_DIR) + "/nohook-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    std::error_code ec;
    fs::create_hard_link(KDZ_PROGRAM, Program(), ec);
    if (ec) fs::copy_file(KDZ_PROGRAM, Program(), ec);
    if (ec) return;
    for (const char* entry : {"Setup.ini", "Language.xml", "Skin", "Icons", "Defualt"}) {
      fs::create_symlink(fs::path(KDZ_PROGRAM_DIR) / entry, fs::path(folder_) / entry, ec);
      if (ec) return;
    }
    ok_ = true;
  }
  ~FolderWithoutHook() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }
  FolderWithoutHook(const FolderWithoutHook&) = delete;
  FolderWithoutHook& operator=(const FolderWithoutHook&) = delete;

  bool Ok() const { return ok_; }
  std::string Program() const {
    return (fs::path(folder_) / fs::path(KDZ_PROGRAM).filename()).string();
  }

 private:
  std::string folder_;
  bool ok_ = false;
};

class ExitWhileOpenTest;

struct ExitCase {
  const char* name;
  bool withoutHook;
  // Opens the window from the main window as it comes up; where it is on the screen, or empty.
  std::function<std::optional<QRect>(ExitWhileOpenTest&)> open;
};
void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class ExitWhileOpenTest : public ::testing::TestWithParam<ExitCase>,
                          protected apptest::ProgramOnScreen {
 public:
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    desk_ = std::make_unique<Desk>(server_.Display());
    ASSERT_TRUE(desk_->Connected());
    std::string program = KDZ_PROGRAM;
    if (GetParam().withoutHook) {
      noHook_ = std::make_unique<FolderWithoutHook>();
      ASSERT_TRUE(noHook_->Ok());
      program = noHook_->Program();
    }
    ASSERT_EQ(StartProgram(program, QStringLiteral(KDZ_PROGRAM_DIR)), "");
  }

  // A click on the control of `key` in the main window or one of its pages.
  void Click(const char16_t* section, const char16_t* key) {
    x_.Click(placed_.topLeft() + SkinRect(section, key).center());
  }
  // Does `act`, then waits for a top-level window of the program that was not there before (of
  // `size`, when one is given); its place on the screen.
  std::optional<QRect> Opens(const std::function<void()>& act, QSize size = QSize()) {
    std::set<Window> before;
    for (const Desk::Found& f : desk_->WindowsOf(program_.Pid()))
      if (f.topLevel) before.insert(f.window);
    act();
    std::optional<QRect> found;
    WaitFor(
        [&] {
          for (const Desk::Found& f : desk_->WindowsOf(program_.Pid())) {
            if (!f.topLevel || before.count(f.window) != 0) continue;
            if (size.isValid() && f.geometry.size() != size) continue;
            found = f.geometry;
            return true;
          }
          return false;
        },
        kWaitMs);
    return found;
  }
  QSize DialogSize(const char16_t* section) { return SkinRect(section, u"WindowsRect").size(); }

  // The function menu of a row of the button page, in the fourth mode.
  std::optional<QRect> RowMenu(int row) {
    Click(u"MainWindow", u"KeyConfigFile4Rect");
    const std::u16string key = u"KeyWindowRect_" + std::u16string(1, char16_t(u'0' + row));
    return Opens([&] { Click(u"KeyDefineSettingPage", key.c_str()); }, kMenuSize);
  }
  static QPoint MenuItem(const QRect& menu, int item) {
    return menu.topLeft() + QPoint(menu.width() / 2, item * kMenuItemHeight + kMenuItemHeight / 2);
  }
  // The window that the function `major` opens from a row's menu.
  std::optional<QRect> Choose(int row, unsigned major, QSize size = QSize()) {
    const std::optional<QRect> menu = RowMenu(row);
    if (!menu) return std::nullopt;
    return Opens([&] { x_.Click(MenuItem(*menu, static_cast<int>(major) - 1)); }, size);
  }
  std::optional<QRect> MacroManager() {
    const std::optional<QRect> menu = RowMenu(2);
    if (!menu) return std::nullopt;
    const std::optional<QRect> submenu = Opens([&] { desk_->MoveTo(MenuItem(*menu, 0)); });
    if (!submenu) return std::nullopt;
    return Opens([&] { x_.Click(MenuItem(*submenu, 0)); }, DialogSize(u"MacroManagerDialog"));
  }
  std::optional<QRect> ProgramsFileDialog() {
    const QSize size = DialogSize(u"AssignAProgramToExecutonDialg");
    const std::optional<QRect> dialog =
        Choose(4, settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION, size);
    if (!dialog) return std::nullopt;
    const QRect browse = SkinRect(u"AssignAProgramToExecutonDialg", u"KeyOpenProgramPathRect");
    return Opens([&] { x_.Click(dialog->topLeft() + browse.center()); });
  }
  std::optional<QRect> FromMainWindow(const char16_t* key, const char16_t* dialogSection) {
    return Opens([&] { Click(u"MainWindow", key); }, DialogSize(dialogSection));
  }
  std::optional<QRect> RestoreWarning() {
    Click(u"MainWindow", u"KeyAdvanceSettingRect");
    return Opens([&] { Click(u"AdvanceSettingPage", u"KeyRect_Restore"); },
                 DialogSize(u"RestoreWarningDialog"));
  }

 protected:
  std::unique_ptr<Desk> desk_;
  std::unique_ptr<FolderWithoutHook> noHook_;
};

TEST_P(ExitWhileOpenTest, EndsWithZeroAndNoSanitizerReport) {
  const std::optional<QRect> open = GetParam().open(*this);
  ASSERT_TRUE(open) << "the window did not open; log:\n" << session_.Log();

  Child exit = session_.Start(KDZ_PROGRAM, {"exit"});
  EXPECT_EQ(exit.Wait(kWaitMs), std::optional<int>(0)) << session_.Log();
  EXPECT_EQ(program_.Wait(kWaitMs), std::optional<int>(0)) << session_.Log();
  const std::string log = session_.Log();
  for (const char* report : {"Sanitizer", "runtime error", "munmap_chunk", "free(): "})
    EXPECT_EQ(log.find(report), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ExitWhileOpenTest,
    ::testing::Values(
        ExitCase{"FunctionMenu", false, [](ExitWhileOpenTest& t) { return t.RowMenu(2); }},
        ExitCase{"MacroManager", false, [](ExitWhileOpenTest& t) { return t.MacroManager(); }},
        ExitCase{"ShortcutDialog", false,
                 [](ExitWhileOpenTest& t) {
                   return t.Choose(3, settings::MAJOR_FUN_ASSIGN_SHORTCUT,
                                   t.DialogSize(u"AssignAShortcutDialg"));
                 }},
        // Without the hook library the shortcut dialog first says so in a message box.
        ExitCase{"ShortcutDialogsNoHookBox", true,
                 [](ExitWhileOpenTest& t) {
                   return t.Choose(3, settings::MAJOR_FUN_ASSIGN_SHORTCUT);
                 }},
        ExitCase{"ProgramDialog", false,
                 [](ExitWhileOpenTest& t) {
                   return t.Choose(4, settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION,
                                   t.DialogSize(u"AssignAProgramToExecutonDialg"));
                 }},
        ExitCase{"ProgramDialogsFileDialog", false,
                 [](ExitWhileOpenTest& t) { return t.ProgramsFileDialog(); }},
        // Row 0 is the only left button: choosing the right button for it is refused.
        ExitCase{"SingleKeyWarning", false,
                 [](ExitWhileOpenTest& t) {
                   return t.Choose(0, settings::MAJOR_FUN_RIGHT_MOUSE_KEY,
                                   t.DialogSize(u"SingleKeyWarningDialog"));
                 }},
        ExitCase{"CreateProfileDialog", false,
                 [](ExitWhileOpenTest& t) {
                   return t.FromMainWindow(u"KeyCreateConfigFileRect", u"CreateProfileDialog");
                 }},
        ExitCase{"ModifyProfileDialog", false,
                 [](ExitWhileOpenTest& t) {
                   return t.FromMainWindow(u"KeyModifyConfigFileRect", u"CreateProfileDialog");
                 }},
        ExitCase{"ImportFileDialog", false,
                 [](ExitWhileOpenTest& t) {
                   return t.Opens([&] { t.Click(u"MainWindow", u"KeyLoadConfigFileRect"); });
                 }},
        ExitCase{"RestoreWarning", false,
                 [](ExitWhileOpenTest& t) { return t.RestoreWarning(); }}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

}  // namespace
