// The Advance tab, the restore and the profile dialogs in the built program with the simulated
// mouse, on an X server of the test's own, driven by XTest: what Apply leaves in the mouse's
// state file, the X server's pointer control and the default files. The pages and dialogs are
// captured into screens/ of this build folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QString>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/INIFile.h"
#include "settings/FactoryDefaults.h"
#include "settings/Records.h"
#include "tests/app/ProgramSession.h"

namespace {

using apptest::WaitFor;
using Bytes = std::vector<unsigned char>;

constexpr size_t kStateFileSize = 1557;
constexpr size_t kConfigBlockOffset = 12 + 5 * 256;  // flash block 5 in the state file
constexpr size_t kCurrentModeOffset = 1556;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The inode of a file (an atomic rewrite gives a new one), 0 when it is missing.
ino_t Inode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

settings::tagMODEINFO RecordOf(const Bytes& bytes) {
  settings::tagMODEINFO record{};
  std::memcpy(&record, bytes.data(), std::min(bytes.size(), sizeof record));
  return record;
}

class AdvanceTabX11Test : public ::testing::Test, protected apptest::ProgramOnScreen {
 protected:
  void SetUp() override {
    if (server_.Missing()) GTEST_SKIP() << server_.Problem();
    ASSERT_EQ(StartProgram(KDZ_PROGRAM, QStringLiteral(KDZ_PROGRAM_DIR)), "");
    QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
  }

  // A click on the control of `key`, in the main window or in a page.
  void Click(const char16_t* section, const char16_t* key) {
    x_.Click(placed_.topLeft() + SkinRect(section, key).center());
  }

  // The dialog of `section` once it is on the screen (its size is the skin's) and has painted
  // its OK button.
  QRect DialogOf(const char16_t* section, const char* normalSheet) {
    const QSize size = SkinRect(section, u"WindowsRect").size();
    Window dialog = 0;
    WaitFor([&] { return (dialog = x_.WindowOf(program_.Pid(), size)) != 0; }, 15000);
    if (!dialog) return QRect();
    const QRect placed = x_.Geometry(dialog);
    const QImage sheet(QStringLiteral(KDZ_PROGRAM_DIR "/Skin/") + QString::fromLatin1(normalSheet));
    const QPoint ok = SkinRect(section, u"KeyOKRect").center();
    WaitFor([&] { return x_.Capture(placed).pixel(ok) == sheet.pixel(ok); }, 15000);
    return placed;
  }
  void ClickIn(const QRect& dialog, const char16_t* section, const char16_t* key) {
    x_.Click(dialog.topLeft() + SkinRect(section, key).center());
  }

  // What the screen shows of `area` once two captures 100 ms apart agree; saved as `name`.
  QImage Capture(const QRect& area, const char* name) {
    QImage shot = x_.Capture(area);
    WaitFor(
        [&] {
          const QImage again = x_.Capture(area);
          const bool still = again == shot;
          shot = again;
          return still;
        },
        3000, 100);
    EXPECT_TRUE(shot.save(QStringLiteral(KDZ_SCREEN_DIR "/") + QString::fromLatin1(name)));
    return shot;
  }

  std::string DefaultFile(int mode) const {
    const std::string state = session_.StatePath();
    return state.substr(0, state.rfind('/')) + "/data/Kavrin-Velro-4417/DefaultCfg/default" +
           std::to_string(mode);
  }

  // Apply, and the wait for the default files it rewrites (all four, each atomically).
  bool ApplyAndWaitForTheDefaultFiles() {
    ino_t before[4];
    for (int m = 0; m < 4; ++m) before[m] = Inode(DefaultFile(m));
    Click(u"MainWindow", u"KeyApplyRect");
    return WaitFor(
        [&] {
          for (int m = 0; m < 4; ++m)
            if (Inode(DefaultFile(m)) == 0 || Inode(DefaultFile(m)) == before[m]) return false;
          return true;
        },
        15000);
  }
};

TEST_F(AdvanceTabX11Test, CyanAndTheFastestPointerReachTheMouseAndTheXServer) {
  Click(u"MainWindow", u"KeyLightSettingRect");
  Click(u"LightSettingPage", u"KeyCyanRect");
  Click(u"MainWindow", u"KeyAdvanceSettingRect");
  const QRect speed = SkinRect(u"SystemSettingPage", u"Sliderbar_MouseMoveSpeed");
  x_.Click(placed_.topLeft() + QPoint(speed.right() - 1, speed.center().y()));
  // The slider shows its last cell lit once the release is handled.
  const QImage down(QStringLiteral(KDZ_PROGRAM_DIR "/Skin/SystemSettingPage_Down.png"));
  const QPoint lastCell(speed.right() - 8, speed.center().y());
  WaitFor([&] { return x_.Capture(placed_).pixel(lastCell) == down.pixel(lastCell); }, 15000);
  Capture(placed_, "AdvanceTab_Edited.png");
  Click(u"MainWindow", u"KeyApplyRect");

  Bytes state;
  const bool written = WaitFor(
      [&] {
        state = ReadAll(session_.StatePath());
        if (state.size() != kStateFileSize) return false;
        const size_t colour = kConfigBlockOffset + 128 + 8 * state[kCurrentModeOffset] + 1;
        return state[colour] == 0x00 && state[colour + 1] == 0xFF && state[colour + 2] == 0xFF;
      },
      10000);
  EXPECT_TRUE(written) << "the mouse never got cyan; log:\n" << session_.Log();
  int numerator = 0, denominator = 0, threshold = 0;
  EXPECT_TRUE(WaitFor(
      [&] {
        return x_.PointerControl(numerator, denominator, threshold) && numerator == 14 &&
               denominator == 10 && threshold == 1;
      },
      5000))
      << numerator << "/" << denominator << " threshold " << threshold;
}

TEST_F(AdvanceTabX11Test, CreateStoresTheTypedTextsAndModifyWithEscapeKeepsThem) {
  Click(u"MainWindow", u"KeyCreateConfigFileRect");
  QRect dialog = DialogOf(u"CreateProfileDialog", "CreateProfile_Normal.png");
  ASSERT_FALSE(dialog.isEmpty()) << "no profile dialog; log:\n" << session_.Log();
  ClickIn(dialog, u"CreateProfileDialog", u"KeyEditModeNameRect");
  x_.Type("arena");
  ClickIn(dialog, u"CreateProfileDialog", u"KeyEditModeExcutionPathRect");
  x_.Type("/usr/games/arena");
  Capture(dialog, "ProfileDialog_Create.png");
  ClickIn(dialog, u"CreateProfileDialog", u"KeyOKRect");
  ASSERT_TRUE(WaitFor([&] { return x_.WindowOf(program_.Pid(), dialog.size()) == 0; }, 15000));
  ASSERT_TRUE(ApplyAndWaitForTheDefaultFiles()) << session_.Log();

  Bytes saved = ReadAll(DefaultFile(0));
  ASSERT_EQ(saved.size(), sizeof(settings::tagMODEINFO));
  const settings::tagMODEINFO record = RecordOf(saved);
  EXPECT_EQ(settings::FieldText(record.profileName), u"arena");
  EXPECT_EQ(settings::FieldText(record.appPath), u"/usr/games/arena");

  Click(u"MainWindow", u"KeyModifyConfigFileRect");
  dialog = DialogOf(u"CreateProfileDialog", "CreateProfile_Normal.png");
  ASSERT_FALSE(dialog.isEmpty());
  Capture(dialog, "ProfileDialog_Modify.png");
  ClickIn(dialog, u"CreateProfileDialog", u"KeyEditModeNameRect");
  x_.Type("other");
  x_.Key(XK_Escape);
  ASSERT_TRUE(WaitFor([&] { return x_.WindowOf(program_.Pid(), dialog.size()) == 0; }, 15000));
  ASSERT_TRUE(ApplyAndWaitForTheDefaultFiles()) << session_.Log();
  EXPECT_EQ(ReadAll(DefaultFile(0)), saved);
}

TEST_F(AdvanceTabX11Test, ConfirmedRestoreThenApplySavesTheFactoryModes) {
  // Mode 2 edited away from its factory settings first.
  Click(u"MainWindow", u"KeyConfigFile3Rect");
  Click(u"MainWindow", u"KeyAdvanceSettingRect");
  Click(u"AdvanceSettingPage", u"KeyRect_1000HZ");
  Click(u"AdvanceSettingPage", u"KeyRect_FireSpeed5");
  Click(u"SystemSettingPage", u"KeyRect_MousePrecision");
  Capture(placed_, "AdvanceTab_BeforeRestore.png");

  Click(u"AdvanceSettingPage", u"KeyRect_Restore");
  const QRect warning = DialogOf(u"RestoreWarningDialog", "RestoreWarning_Normal.png");
  ASSERT_FALSE(warning.isEmpty()) << "no restore warning; log:\n" << session_.Log();
  Capture(warning, "RestoreWarning.png");
  ClickIn(warning, u"RestoreWarningDialog", u"KeyOKRect");
  ASSERT_TRUE(WaitFor([&] { return x_.WindowOf(program_.Pid(), warning.size()) == 0; }, 15000));
  Capture(placed_, "AdvanceTab_Restored.png");
  ASSERT_TRUE(ApplyAndWaitForTheDefaultFiles()) << session_.Log();

  for (int m = 0; m < 4; ++m) {
    settings::tagMODEINFO factory;
    settings::LoadFactoryDefaults(factory, m);
    const auto* p = reinterpret_cast<const unsigned char*>(&factory);
    EXPECT_EQ(ReadAll(DefaultFile(m)), Bytes(p, p + sizeof factory)) << "default" << m;
  }
  const Bytes state = ReadAll(session_.StatePath());
  ASSERT_EQ(state.size(), kStateFileSize);
  EXPECT_EQ(state[kCurrentModeOffset], 0) << "the first mode is current";
}

}  // namespace
