// Fresh starts of the built program together with openbox and trayer on an X server of the
// test's own, the way a session starts: right after the main window shows, each skinned dialog
// is opened in turn (a different one first at each start) and has to land centred on the main
// window, whatever the window manager and the tray report while they are still starting.
#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "settings/FunctionCodes.h"
#include "tests/app/OpenboxProgram.h"

namespace {

using apptest::WaitFor;

constexpr int kStarts = 20;

class DialogPlacementX11Test : public ::testing::TestWithParam<int>,
                               protected apptest::OpenboxProgram {
 protected:
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    if (!OpenboxInstalled()) GTEST_SKIP() << "openbox is not installed";
    ASSERT_EQ(OpenDesktop(false), "");
    trayer_ = session_->Tool("/usr/bin/trayer", {"--edge", "bottom", "--align", "right"});
    if (!trayer_) GTEST_SKIP() << "trayer is not installed";
  }

  struct Dialog {
    const char* name;
    const char16_t* section;
    std::function<void()> open;
  };

  // Opens the dialog of `section` with `open`, checks that it comes to rest centred on the main
  // window and closes it with its Cancel button.
  void CheckCentred(const Dialog& d) {
    d.open();
    const QSize size = Rect(d.section, u"WindowsRect").size();
    std::optional<QRect> dialog = FindSized(size, 15000);
    ASSERT_TRUE(dialog) << d.name << " did not open; log:\n" << session_->Log();
    const std::optional<QRect> main = FindSized(main_.size(), 0);
    ASSERT_TRUE(main);
    // The window manager places a new window first; the program may move it afterwards.
    const auto offset = [&] { return (dialog->center() - main->center()).manhattanLength(); };
    WaitFor([&] { return (dialog = FindSized(size, 0)) && offset() <= 2; }, 5000);
    ASSERT_TRUE(dialog);
    if (offset() > 2) Save(x_->Capture(QRect(0, 0, 1280, 800)), "DialogPlacement_Misplaced.png");
    EXPECT_LE(offset(), 2) << d.name << " at " << dialog->x() << "," << dialog->y()
                           << ", the main window at " << main->x() << "," << main->y();
    desk_->Click(dialog->topLeft() + Rect(d.section, u"KeyCancleRect").center());
    ASSERT_TRUE(Gone(size)) << d.name << " did not close";
  }

  std::optional<apptest::Child> trayer_;
};

TEST_P(DialogPlacementX11Test, EachSkinnedDialogLandsCentredOnTheMainWindowRightAfterStart) {
  const Dialog dialogs[] = {
      {"the profile dialog", u"CreateProfileDialog",
       [this] {
         ClickButton(u"KeyCreateConfigFileRect");
       }},
      {"the restore warning", u"RestoreWarningDialog",
       [this] {
         const QRect restore = Rect(u"AdvanceSettingPage", u"KeyRect_Restore");
         ClickButton(u"KeyAdvanceSettingRect");
         ASSERT_TRUE(Shows(restore, "AdvanceSettingPage_Normal.png")) << "no Advance tab";
         ClickMain(restore);
       }},
      {"the shortcut dialog", u"AssignAShortcutDialg",
       [this] { ChooseFunction(settings::MAJOR_FUN_ASSIGN_SHORTCUT); }},
      {"the program dialog", u"AssignAProgramToExecutonDialg",
       [this] {
         ChooseFunction(settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION);
       }},
      {"the macro manager", u"MacroManagerDialog",
       [this] {
         ShowFourthMode();
         const std::optional<QRect> menu = OpenMenu(3);
         ASSERT_TRUE(menu) << "no function menu";
         const std::optional<QRect> submenu = OpenMacroSubmenu(*menu);
         ASSERT_TRUE(submenu) << "no macro submenu";
         desk_->Click(MenuItem(*submenu, 0));
       }},
  };
  constexpr int kCount = static_cast<int>(std::size(dialogs));
  // Every other start sees a work area that does not hold the main window, as a desktop may
  // report while its panels start (openbox lets struts take at most half the screen).
  if (GetParam() % 2 == 1) {
    const QRect small(0, 0, 640, 400);
    ASSERT_TRUE(WaitFor([&] { return desk_->RootHas("_NET_WORKAREA"); }, 10000));
    // An openbox that is still starting may not see a dock mapped meanwhile: another is mapped.
    bool reserved = false;
    for (int attempt = 0; attempt < 5 && !reserved; ++attempt) {
      desk_->ReserveAllBut(small);
      reserved = WaitFor([&] { return desk_->WorkArea() == small; }, 2000);
    }
    ASSERT_TRUE(reserved) << desk_->WorkArea().width() << "x" << desk_->WorkArea().height();
  }
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  for (int i = 0; i < kCount; ++i) {
    ASSERT_NO_FATAL_FAILURE(CheckCentred(dialogs[(GetParam() + i) % kCount]));
  }
}

INSTANTIATE_TEST_SUITE_P(FreshStarts, DialogPlacementX11Test, ::testing::Range(0, kStarts));

}  // namespace
