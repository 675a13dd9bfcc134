// Every window a new user meets, in the built program with the simulated mouse under openbox on
// an X server of the test's own, captured into screens/ of this build folder: the main window
// on each tab, the function menu with its macro submenu, the macro manager, the shortcut, program
// and profile dialogs, the restore warning, a message box, and the open and save dialogs. What
// the captures show is checked where a regression would show: a long macro name in a row ends in
// "…" and leaves the drop-down arrow as it is, and a message box's frame shows no name.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pages/KeyRowCaption.h"
#include "settings/FactoryDefaults.h"
#include "settings/FunctionCodes.h"
#include "settings/Records.h"
#include "tests/app/OpenboxProgram.h"
#include "tests/platform/ui/TextInk.h"

namespace {

using apptest::Desk;
using apptest::ShowsNothing;
using apptest::WaitFor;

// The row that shows a macro of 40 characters, and a row that shows a short function name.
constexpr int kLongRow = 5;
constexpr int kShortRow = 0;
const QString kLongName = QStringLiteral("超长的宏名称").repeated(7).left(40);
// About half the width of "…" in the rows' font.
constexpr int kEllipsisTail = pages::kRowFontHeight / 2;

// The background of Qt's own windows in its default palette.
const QRgb kQtWindowColour = qRgb(0xEF, 0xEF, 0xEF);

class ScreensX11Test : public ::testing::Test, protected apptest::OpenboxProgram {
 protected:
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    if (!OpenboxInstalled()) GTEST_SKIP() << "openbox is not installed";
    ASSERT_EQ(OpenDesktop(), "");
    WriteSettings();
    ASSERT_NO_FATAL_FAILURE(StartProgram());
  }

  // The macro store with one macro of a 40-character name, and default files in which row 5
  // of every mode runs it.
  void WriteSettings() {
    const std::string folder = session_->Folder() + "/data/Kavrin-Velro-4417/DefaultCfg";
    std::filesystem::create_directories(folder);
    auto store = std::make_unique<settings::tagMACROSTORE>();
    settings::SetFieldText(store->macros[0].name, kLongName.toStdU16String());
    store->macros[0].loopCount = 1;
    store->count = 1;
    std::ofstream(folder + "/sequence.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(store.get()), sizeof *store);
    for (int m = 0; m < 4; ++m) {
      auto record = std::make_unique<settings::tagMODEINFO>();
      settings::LoadFactoryDefaults(*record, m);
      record->keys[kLongRow].major = settings::MAJOR_FUN_MACRO;
      record->keys[kLongRow].minor = 2;
      record->keys[kLongRow].macroIndex = 0;
      std::ofstream(folder + "/default" + std::to_string(m), std::ios::binary)
          .write(reinterpret_cast<const char*>(record.get()), sizeof *record);
    }
  }

  QSize SizeOf(const char16_t* section) { return Rect(section, u"WindowsRect").size(); }
  // Captures the window at `area` once it has settled, as `name`.
  void Capture(const QRect& area, const char* name) { Save(Settled(area), name); }
  // Opens the dialog of `section` by `open`, captures it as `name` and leaves it open.
  std::optional<QRect> OpenDialog(const char16_t* section, const std::function<void()>& open,
                                  const char* name) {
    open();
    std::optional<QRect> dialog = FindSized(SizeOf(section), 15000);
    EXPECT_TRUE(dialog) << "no window of " << QString::fromStdU16String(section).toStdString()
                        << "; log:\n" << session_->Log();
    if (!dialog) return std::nullopt;
    Capture(*dialog, name);
    return dialog;
  }
  void Cancel(const QRect& dialog, const char16_t* section) {
    desk_->Click(dialog.topLeft() + Rect(section, u"KeyCancleRect").center());
    EXPECT_TRUE(Gone(dialog.size()));
  }

  // A window of the program that is none of `known` (by size), once there is one.
  std::optional<Desk::Found> OtherWindow(const std::vector<QSize>& known) {
    std::optional<Desk::Found> found;
    WaitFor(
        [&] {
          for (const Desk::Found& f : desk_->WindowsOf(program_.Pid())) {
            if (f.overrideRedirect || f.geometry.width() < 100) continue;
            if (std::find(known.begin(), known.end(), f.geometry.size()) != known.end()) continue;
            found = f;
            return true;
          }
          return false;
        },
        15000);
    return found;
  }
  // Captures the new window `w` of Qt's own (a file dialog, a message box) in its frame as
  // `name`, once it has painted its background, Qt's window colour, up to its corner.
  void CaptureNew(const Desk::Found& w, const char* name) {
    const QRect corner(w.geometry.bottomLeft() + QPoint(2, -3), QSize(1, 1));
    EXPECT_TRUE(WaitFor([&] { return x_->Capture(corner).pixel(0, 0) == kQtWindowColour; }, 15000))
        << name << " is not painted";
    Capture(desk_->InFrame(w), name);
  }
};

TEST_F(ScreensX11Test, EveryWindowAsANewUserSeesIt) {
  // The button page: the long macro name ends in "…" left of the arrow, whose pixels are those
  // of the skin as beside a short name.
  const QImage sheet(QStringLiteral(KDZ_PROGRAM_DIR "/Skin/KeyDefineSetting_Normal.png"));
  ASSERT_FALSE(sheet.isNull());
  desk_->MoveTo(QPoint(2, 2));
  const QRect longRow = RowRect(kLongRow);
  const QRect shortRow = RowRect(kShortRow);
  QImage shown;
  const QImage longFace = sheet.copy(longRow);
  const bool painted = WaitFor(
      [&] { return (shown = Settled(longRow.translated(main_.topLeft()))) != longFace; }, 15000);
  ASSERT_TRUE(painted) << "the row shows no text";
  Capture(main_, "Screen_Main_KeyDefine.png");
  Save(shown, "Screen_Row_LongMacroName.png");
  const uitest::TextInk ink(shown, longFace);
  EXPECT_TRUE(ink.EndsInEllipsis(kEllipsisTail))
      << "see Screen_Row_LongMacroName.png";
  const QRect arrow(longRow.width() - pages::kRowArrowWidth, 0, pages::kRowArrowWidth,
                    longRow.height());
  const QImage shortShown = Settled(shortRow.translated(main_.topLeft()));
  EXPECT_TRUE(shown.copy(arrow) == longFace.copy(arrow)) << "the arrow is drawn over";
  EXPECT_TRUE(shortShown.copy(arrow) == sheet.copy(shortRow).copy(arrow))
      << "the arrow is drawn over beside a short name";

  // The other tabs.
  const struct {
    const char16_t* tab;
    const char* name;
  } tabs[] = {{u"KeyLightSettingRect", "Screen_Main_Light.png"},
              {u"KeySensitivitySettingRect", "Screen_Main_Sensitivity.png"},
              {u"KeyAdvanceSettingRect", "Screen_Main_Advance.png"}};
  for (const auto& t : tabs) {
    ClickButton(t.tab);
    desk_->MoveTo(QPoint(2, 2));
    Capture(main_, t.name);
  }

  // The function menu with its macro submenu, and the macro manager from it.
  ShowFourthMode();
  std::optional<QRect> menu = OpenMenu(3);
  ASSERT_TRUE(menu) << "no function menu";
  std::optional<QRect> submenu = OpenMacroSubmenu(*menu);
  ASSERT_TRUE(submenu) << "no macro submenu";
  Capture(menu->united(*submenu), "Screen_FunctionMenu.png");
  std::optional<QRect> dialog = OpenDialog(
      u"MacroManagerDialog", [&] { desk_->Click(MenuItem(*submenu, 0)); },
      "Screen_MacroManager.png");
  ASSERT_TRUE(dialog);
  Cancel(*dialog, u"MacroManagerDialog");

  // The shortcut dialog.
  dialog = OpenDialog(
      u"AssignAShortcutDialg", [&] { ChooseFunction(settings::MAJOR_FUN_ASSIGN_SHORTCUT); },
      "Screen_ShortcutDialog.png");
  ASSERT_TRUE(dialog);
  Cancel(*dialog, u"AssignAShortcutDialg");

  // The program dialog, its open dialog, and the box for a path too long for the record.
  const char16_t* program = u"AssignAProgramToExecutonDialg";
  dialog = OpenDialog(
      program, [&] { ChooseFunction(settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION); },
      "Screen_ProgramDialog.png");
  ASSERT_TRUE(dialog);
  desk_->Click(dialog->topLeft() + Rect(program, u"KeyOpenProgramPathRect").center());
  std::optional<Desk::Found> files = OtherWindow({main_.size(), dialog->size()});
  ASSERT_TRUE(files) << "no open dialog; log:\n" << session_->Log();
  CaptureNew(*files, "Screen_OpenDialog_Program.png");
  std::string tooLong = "/tmp/";
  while (tooLong.size() < 280) tooLong += "abcdefghi/";
  x_->Type(tooLong + "tool");
  x_->Key(XK_Return);
  const std::optional<Desk::Found> box =
      OtherWindow({main_.size(), dialog->size(), files->geometry.size()});
  ASSERT_TRUE(box) << "no box; log:\n" << session_->Log();
  CaptureNew(*box, "Screen_MessageBox.png");
  for (const char* property : {"_NET_WM_NAME", "WM_NAME"}) {
    const std::string title = desk_->TextProperty(box->window, property).value_or("");
    EXPECT_TRUE(ShowsNothing(title)) << property << " \"" << title << '"';
  }
  x_->Key(XK_Return);
  EXPECT_TRUE(Gone(box->geometry.size()));
  Cancel(*dialog, program);

  // The profile dialog.
  dialog = OpenDialog(
      u"CreateProfileDialog", [&] { ClickButton(u"KeyCreateConfigFileRect"); },
      "Screen_ProfileDialog.png");
  ASSERT_TRUE(dialog);
  Cancel(*dialog, u"CreateProfileDialog");

  // The restore warning.
  dialog = OpenDialog(
      u"RestoreWarningDialog",
      [&] {
        const QRect restore = Rect(u"AdvanceSettingPage", u"KeyRect_Restore");
        ClickButton(u"KeyAdvanceSettingRect");
        ASSERT_TRUE(Shows(restore, "AdvanceSettingPage_Normal.png")) << "no Advance tab";
        ClickMain(restore);
      },
      "Screen_RestoreWarning.png");
  ASSERT_TRUE(dialog);
  Cancel(*dialog, u"RestoreWarningDialog");

  // The profiles' open and save dialogs.
  for (const auto& [key, name] : {std::pair{u"KeyLoadConfigFileRect", "Screen_OpenDialog.png"},
                                  std::pair{u"KeySaveConfigFileRect", "Screen_SaveDialog.png"}}) {
    ClickButton(key);
    files = OtherWindow({main_.size()});
    ASSERT_TRUE(files) << name << "; log:\n" << session_->Log();
    CaptureNew(*files, name);
    x_->Key(XK_Escape);
    EXPECT_TRUE(Gone(files->geometry.size()));
  }
}

}  // namespace
