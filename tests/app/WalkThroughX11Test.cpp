// A new user's walk-through in the built program with the simulated mouse, under openbox on an
// X server of the test's own: in the fourth mode one row gets a macro made and recorded in the
// macro manager, one a shortcut captured from the keyboard, one a program whose path is typed;
// Apply; after a restart on the same data folder and state file the rows show the same, and the
// mouse holds what was applied. Captures of the page, the menu and the dialogs go to screens/.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "resources/SkinPath.h"
#include "settings/E2Image.h"
#include "settings/FunctionCodes.h"
#include "tests/app/OpenboxProgram.h"

namespace {

using apptest::Child;
using apptest::Desk;
using apptest::ReadText;
using apptest::WaitFor;

constexpr size_t kFlashOffset = 12;  // flash block 0 in the state file
constexpr size_t kConfigOffset = kFlashOffset + 5 * 256;

// The rows of the walk-through.
constexpr int kMacroRow = 3;
constexpr int kShortcutRow = 4;
constexpr int kProgramRow = 6;

class WalkThroughX11Test : public ::testing::Test, protected apptest::OpenboxProgram {
 protected:
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    if (!OpenboxInstalled()) GTEST_SKIP() << "openbox is not installed";
    ASSERT_EQ(OpenDesktop(), "");
  }

  // The macro manager at `manager` is recording: its stop button shows in place of the start
  // button, in one of its faces.
  bool Recording(const QRect& manager) {
    const QRect button =
        Rect(u"MacroManagerDialog", u"KeyStopRecordRect").translated(manager.topLeft());
    const QImage shown = x_->Capture(button);
    for (const char16_t* face : {u"KeyStopRecordNormalImage", u"KeyStopRecordOverImage",
                                 u"KeyStopRecordDownImage"}) {
      const std::string file =
          resources::SkinPath(KDZ_PROGRAM_DIR, skin_.GetString(u"MacroManagerDialog", face));
      if (shown == QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32))
        return true;
    }
    return false;
  }
  // The rows the macro manager's event list shows: its rows of 16 pixels from the top that are
  // not all background.
  int EventRows(const QRect& manager) {
    const QImage list = x_->Capture(
        Rect(u"MacroManagerDialog", u"KeySequenceListRect").translated(manager.topLeft()));
    constexpr int kRowHeight = 16;
    int rows = 0;
    for (; (rows + 1) * kRowHeight <= list.height(); ++rows) {
      bool ink = false;
      for (int y = rows * kRowHeight; y < (rows + 1) * kRowHeight && !ink; ++y) {
        for (int x = 0; x < list.width() && !ink; ++x) ink = list.pixel(x, y) != qRgb(255, 255, 255);
      }
      if (!ink) break;
    }
    return rows;
  }

  std::vector<unsigned char> State() {
    const std::string text = ReadText(session_->Folder() + "/mouse.state");
    return {text.begin(), text.end()};
  }
};

TEST_F(WalkThroughX11Test, ANewUsersAssignmentsReachTheMouseAndComeBackAfterARestart) {
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ClickMain(Rect(u"MainWindow", u"KeyConfigFile4Rect"));
  Pause(300);

  // The macro manager from the first row's menu: a new macro, keys recorded with delays.
  std::optional<QRect> menu = OpenMenu(kMacroRow);
  ASSERT_TRUE(menu) << "no function menu; log:\n" << session_->Log();
  std::optional<QRect> submenu = OpenMacroSubmenu(*menu);
  ASSERT_TRUE(submenu) << "no macro submenu";
  Save(Settled(menu->united(*submenu)), "KeyDefine_Menu.png");
  desk_->Click(MenuItem(*submenu, 0));
  const QSize managerSize = Rect(u"MacroManagerDialog", u"WindowsRect").size();
  std::optional<QRect> manager = FindSized(managerSize);
  if (!manager) Save(x_->Capture(QRect(0, 0, 1280, 800)), "WalkThrough_NoManager.png");
  ASSERT_TRUE(manager) << "no macro manager; log:\n" << session_->Log();
  Pause(300);
  const auto inManager = [&](const char16_t* key) {
    desk_->Click(manager->topLeft() + Rect(u"MacroManagerDialog", key).center());
    Pause(200);
  };
  inManager(u"KeyNewRect");
  inManager(u"KeyDelayOnOffRect");
  inManager(u"KeyStartRecordRect");
  // The keys reach the manager through the hook library, which it switches on when recording
  // starts and off when it stops, dropping what comes later: each press and release is typed
  // once recording is on and waited for in the list (it adds its row, and a delay row before
  // it) before the next.
  ASSERT_TRUE(WaitFor([&] { return Recording(*manager); }, 15000)) << "recording did not start";
  for (KeySym key : {XK_j, XK_k}) {
    for (bool press : {true, false}) {
      const int rows = EventRows(*manager);
      desk_->Key(key, press);
      ASSERT_TRUE(WaitFor([&] { return EventRows(*manager) > rows; }, 15000))
          << "no row for " << XKeysymToString(key) << (press ? " down" : " up");
    }
  }
  inManager(u"KeyStopRecordRect");
  Save(Settled(*manager), "KeyDefine_MacroManager.png");
  inManager(u"KeyOKRect");
  ASSERT_TRUE(Gone(managerSize)) << "the manager did not end";

  // The new macro for the row.
  menu = OpenMenu(kMacroRow);
  ASSERT_TRUE(menu);
  submenu = OpenMacroSubmenu(*menu);
  ASSERT_TRUE(submenu);
  desk_->Click(MenuItem(*submenu, 1));
  ASSERT_TRUE(Gone(kMenuSize));

  // A shortcut: Ctrl and the L key.
  menu = OpenMenu(kShortcutRow);
  ASSERT_TRUE(menu);
  desk_->Click(MenuItem(*menu, settings::MAJOR_FUN_ASSIGN_SHORTCUT - 1));
  std::optional<QRect> dialog = FindSized(kDialogSize);
  ASSERT_TRUE(dialog) << "no shortcut dialog";
  Pause(300);
  desk_->Click(dialog->topLeft() + Rect(u"AssignAShortcutDialg", u"KeyCtrlRect").center());
  Pause(200);
  // The key comes through the hook library, which the dialog switches off at OK: OK waits
  // until the key display shows the key.
  const QRect keyDisplay =
      Rect(u"AssignAShortcutDialg", u"KeyEditRect").translated(dialog->topLeft());
  const QImage noKey = Settled(keyDisplay);
  x_->Key(XK_l);
  ASSERT_TRUE(WaitFor([&] { return x_->Capture(keyDisplay) != noKey; }, 15000))
      << "the key display did not show the key";
  Save(Settled(*dialog), "KeyDefine_ShortcutDialog.png");
  desk_->Click(dialog->topLeft() + Rect(u"AssignAShortcutDialg", u"KeyOKRect").center());
  ASSERT_TRUE(Gone(kDialogSize)) << "the shortcut dialog did not end";

  // A program whose path is typed.
  menu = OpenMenu(kProgramRow);
  ASSERT_TRUE(menu);
  desk_->Click(MenuItem(*menu, settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION - 1));
  dialog = FindSized(kDialogSize);
  ASSERT_TRUE(dialog) << "no program dialog";
  Pause(300);
  x_->Type("/opt/tools/run");
  Pause(200);
  Save(Settled(*dialog), "KeyDefine_ProgramDialog.png");
  desk_->Click(dialog->topLeft() + Rect(u"AssignAProgramToExecutonDialg", u"KeyOKRect").center());
  ASSERT_TRUE(Gone(kDialogSize)) << "the program dialog did not end";

  ClickMain(Rect(u"MainWindow", u"KeyApplyRect"));
  const auto code = [](const std::vector<unsigned char>& s, int row) {
    const size_t at = kConfigOffset + settings::ButtonCodeOffset(3, row);
    return std::pair<int, int>(s[at], s[at + 1]);
  };
  std::vector<unsigned char> state;
  const uint8_t usageL = settings::UsageOfVirtualKey('L');
  const bool applied = WaitFor(
      [&] {
        state = State();
        return state.size() > kConfigOffset + 256 &&
               code(state, kShortcutRow) == std::pair<int, int>(usageL, 0x01) &&
               code(state, kProgramRow) == std::pair<int, int>(0xC2, 0x4A) &&
               (code(state, kMacroRow).second & 0xC0) == 0xC0;
      },
      20000);
  ASSERT_TRUE(applied) << "the mouse never got the assignments; log:\n" << session_->Log();
  // The rest of the Apply: the state is read once it has stayed the same for half a second.
  WaitFor(
      [&] {
        Pause(500);
        const std::vector<unsigned char> now = State();
        const bool still = now == state;
        state = now;
        return still;
      },
      10000, 0);
  // The rows as they are now, long after the last dialog has left the screen.
  const QImage before = Rows();
  Save(Settled(main_), "KeyDefine_Assigned.png");

  // The macro button points at its macro in the macro area: the length word, then the recorded
  // keys J and K, in that order, among the delays.
  const auto [low, high] = code(state, kMacroRow);
  const size_t address = (static_cast<size_t>(low) & 0xFE) | ((static_cast<size_t>(high) & 7) << 8);
  std::vector<int> usages;
  for (size_t i = address + 2; i + 1 < address + 64 && i + 1 < 5 * 256; i += 2) {
    const int usage = state[kFlashOffset + i];
    const int flags = state[kFlashOffset + i + 1];
    if ((flags & 0xF0) == 0x70) break;  // the end word
    if (flags == 0 && usage != 0) usages.push_back(usage);
  }
  EXPECT_EQ(usages, (std::vector<int>{settings::UsageOfVirtualKey('J'),
                                      settings::UsageOfVirtualKey('K')}));

  // Ended by a second start with "exit", started again on the same folders.
  Child second = session_->Program(KDZ_PROGRAM, {"exit"});
  EXPECT_EQ(second.Wait(10000), std::optional<int>(0));
  EXPECT_EQ(program_.Wait(10000), std::optional<int>(0)) << session_->Log();
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ClickMain(Rect(u"MainWindow", u"KeyConfigFile4Rect"));
  QImage after;
  const bool same = WaitFor(
      [&] {
        after = Rows();
        return after == before;
      },
      5000);
  Save(before, "KeyDefine_Rows_Before.png");
  Save(after, "KeyDefine_Rows_After.png");
  EXPECT_TRUE(same) << "the rows differ after the restart";
  // The restart reads the mouse; its flash stays as Apply left it.
  const std::vector<unsigned char> again = State();
  ASSERT_EQ(again.size(), state.size());
  EXPECT_TRUE(std::equal(state.begin() + kFlashOffset, state.begin() + kFlashOffset + 6 * 256,
                         again.begin() + kFlashOffset))
      << "the restart changed the mouse's flash";

  Child last = session_->Program(KDZ_PROGRAM, {"exit"});
  EXPECT_EQ(last.Wait(10000), std::optional<int>(0));
}

}  // namespace
