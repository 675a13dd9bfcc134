// The Advance tab's pages and the profile dialogs in the main window, against the simulated
// mouse and the default skin.
#include <QTest>

#include <filesystem>

#include "pages/AdvanceSettingPage.h"
#include "pages/CreateProfileDialog.h"
#include "pages/LightSettingPage.h"
#include "pages/SystemSettingPage.h"
#include "settings/FactoryDefaults.h"
#include "skin/WarningDlg.h"
#include "tests/app/AppFixture.h"

namespace {

using namespace apptest;
using settings::tagMODEINFO;

constexpr Button kModes[] = {Button::ConfigFile1, Button::ConfigFile2, Button::ConfigFile3,
                             Button::ConfigFile4};

template <typename T>
std::vector<unsigned char> Raw(const T& value) {
  const auto* p = reinterpret_cast<const unsigned char*>(&value);
  return std::vector<unsigned char>(p, p + sizeof value);
}

class AdvanceTabTest : public AppFixture {
 protected:
  // Started, applied once (so the default files and the applied records exist), then every
  // mode edited away from its factory settings and mode 3 shown on the Advance tab.
  CKavrinDireZerudDlg& StartEdited() {
    CKavrinDireZerudDlg& w = Start();
    Click(Button::Apply);
    tick.Advance(1000);
    EXPECT_TRUE(boxes.empty());
    for (int m = 0; m < 4; ++m) {
      tagMODEINFO& r = w.Settings().EditingModes[m];
      r.fireSpeed = 190;
      r.reportRateIndex = 3;
      r.pointerSpeed = 7;
      r.light.red = r.light.green = r.light.blue = 255;
      settings::SetFieldText(r.profileName, u"edited");
    }
    Click(kModes[2]);
    Click(Button::Advance);
    // The log keeps only the latest commands: emptied here, any later command shows in its size.
    backend.Mouse().ClearCommandLog();
    return w;
  }

  std::string FileText(const std::string& name) {
    const std::string path = data.DefaultCfg() + "/" + name;
    return std::filesystem::exists(path) ? ReadText(path) : std::string("<none>");
  }

  // Everything a restore must leave alone.
  struct Untouched {
    std::vector<unsigned char> applied, image, editingFifth, macros, committedMacros;
    std::vector<std::string> files;
    size_t mouseCommands, pointerCalls;
    bool operator==(const Untouched&) const = default;
  };
  Untouched Snapshot() {
    settings::DeviceSettings& s = window->Settings();
    Untouched u{Raw(s.AppliedModes), Raw(s.image), Raw(s.EditingModes[4]),
                Raw(window->Macros().macroStore), Raw(window->Macros().committedMacroStore),
                {}, backend.Mouse().CommandLog().size(), pointer.calls.size()};
    for (int m = 0; m < 4; ++m) u.files.push_back(FileText("default" + std::to_string(m)));
    u.files.push_back(FileText("sequence.dat"));
    return u;
  }

  // Restore on the advanced page, answered with OK or Cancel.
  void Restore(bool ok) {
    QWidget* parent = nullptr;
    uitest::OnModal actor([&](QWidget* w) {
      auto* warning = dynamic_cast<CWarningDlg*>(w);
      ASSERT_NE(warning, nullptr);
      parent = warning->parentWidget();
      uitest::Click(ok ? &warning->OkButton() : &warning->CancelButton(), QPoint(5, 5));
    });
    CBitmapBtn& restore = window->AdvancePage()->RestoreButton();
    uitest::Click(&restore, restore.rect().center());
    uitest::Drain();
    EXPECT_TRUE(actor.Ran());
    EXPECT_EQ(parent, window.get()) << "the warning is over the main window";
  }

  // The pages of the Advance tab hold the current mode's editing record.
  void ExpectPagesOnCurrentRecord(const char* when) {
    tagMODEINFO* current = &window->Settings().CurrentEditingMode();
    EXPECT_EQ(window->AdvancePage()->AttachedRecord(), current) << when;
    EXPECT_EQ(window->SystemPage()->AttachedRecord(), current) << when;
  }
};

TEST_F(AdvanceTabTest, TheAdvanceTabShowsBothPagesAndTheyFollowTheModeShown) {
  CKavrinDireZerudDlg& w = Start();
  EXPECT_FALSE(w.AdvancePage()->isVisible());
  EXPECT_FALSE(w.SystemPage()->isVisible());
  Click(Button::Advance);
  EXPECT_TRUE(w.AdvancePage()->isVisible());
  EXPECT_TRUE(w.SystemPage()->isVisible());
  for (int m : {1, 3, 0, 2}) {
    Click(kModes[m]);
    ExpectPagesOnCurrentRecord("mode button");
  }
  // A click on the page writes the mode shown only.
  const tagMODEINFO others[4] = {w.Settings().EditingModes[0], w.Settings().EditingModes[1],
                                 w.Settings().EditingModes[2], w.Settings().EditingModes[3]};
  CBitmapBtn& rate1000 = w.AdvancePage()->ReportRateButtonAt(3);
  uitest::Click(&rate1000, rate1000.rect().center());
  EXPECT_EQ(w.Settings().EditingModes[2].reportRateIndex, 3);
  for (int m : {0, 1, 3}) EXPECT_TRUE(SameBytes(w.Settings().EditingModes[m], others[m])) << m;

  // The pointer page edits the record only: the desktop hears of it at Apply.
  const size_t pointerCalls = pointer.calls.size();
  CBitmapBtn& precision = w.SystemPage()->PrecisionButton();
  uitest::Click(&precision, precision.rect().center());
  CDMarker& speed = w.SystemPage()->SliderAt(CSystemSettingPage::PointerSpeed);
  uitest::Click(&speed, QPoint(speed.width() - 1, speed.height() / 2));
  uitest::Drain();
  EXPECT_EQ(w.Settings().EditingModes[2].pointerPrecision, 1);
  EXPECT_EQ(w.Settings().EditingModes[2].pointerSpeed, 7);
  EXPECT_EQ(pointer.calls.size(), pointerCalls);
}

TEST_F(AdvanceTabTest, ConfirmedRestoreResetsTheFourEditingRecordsAndNothingElse) {
  CKavrinDireZerudDlg& w = StartEdited();
  Untouched before = Snapshot();
  Restore(true);

  for (int m = 0; m < 4; ++m) {
    tagMODEINFO factory;
    settings::LoadFactoryDefaults(factory, m);
    EXPECT_TRUE(SameBytes(w.Settings().EditingModes[m], factory)) << "mode " << m;
  }
  EXPECT_EQ(w.Settings().CurrentMode(), 0);
  EXPECT_EQ(w.ButtonOf(Button::ConfigFile1).GetCheckState(), 1);
  EXPECT_EQ(w.ButtonOf(Button::ConfigFile3).GetCheckState(), 0);
  ExpectPagesOnCurrentRecord("restore");
  EXPECT_EQ(w.AdvancePage()->ReportRateButtonAt(1).GetCheckState(), 1);  // 250 Hz
  EXPECT_EQ(w.AdvancePage()->FireSpeedButtonAt(1).GetCheckState(), 1);   // 65
  EXPECT_EQ(w.Settings().image.configBlock.bytes[228], 15);

  // Nothing else: not the mouse, the desktop, the files, the macros or the applied records.
  before.image[228] = 15;
  EXPECT_TRUE(Snapshot() == before);

  // The light page shows each mode's factory colour.
  const uint32_t colours[4] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFF00FF};  // red, blue, green, pink
  for (int m = 0; m < 4; ++m) {
    Click(kModes[m]);
    EXPECT_EQ(w.LightPage()->GetSelectedColor(), colours[m]) << "mode " << m;
    ExpectPagesOnCurrentRecord("mode button after the restore");
  }
}

TEST_F(AdvanceTabTest, CancelledRestoreChangesNothing) {
  CKavrinDireZerudDlg& w = StartEdited();
  const Untouched before = Snapshot();
  const std::vector<unsigned char> editing = Raw(w.Settings().EditingModes);
  Restore(false);
  EXPECT_EQ(Raw(w.Settings().EditingModes), editing);
  EXPECT_EQ(w.Settings().CurrentMode(), 2);
  EXPECT_TRUE(Snapshot() == before);
}

TEST_F(AdvanceTabTest, CreateAndModifyEditTheModeShown) {
  CKavrinDireZerudDlg& w = Start();
  Click(kModes[1]);
  const std::vector<unsigned char> others[3] = {
      Raw(w.Settings().EditingModes[0]), Raw(w.Settings().EditingModes[2]),
      Raw(w.Settings().EditingModes[3])};

  QWidget* parent = nullptr;
  {
    uitest::OnModal actor([&](QWidget* top) {
      auto* dialog = dynamic_cast<CCreateProfileDialog*>(top);
      ASSERT_NE(dialog, nullptr);
      parent = dialog->parentWidget();
      QTest::keyClicks(&dialog->NameEdit(), "Racing");
      QTest::keyClicks(&dialog->PathEdit(), "/usr/games/racer");
      uitest::Click(&dialog->OkButton(), QPoint(5, 5));
    });
    Click(Button::Create);
    uitest::Drain();
    EXPECT_TRUE(actor.Ran());
  }
  EXPECT_EQ(parent, &w);
  const tagMODEINFO& mode1 = w.Settings().EditingModes[1];
  EXPECT_EQ(settings::FieldText(mode1.profileName), u"Racing");
  EXPECT_EQ(settings::FieldText(mode1.appPath), u"/usr/games/racer");
  EXPECT_EQ(w.ButtonOf(Button::Create).GetCheckState(), 0);

  const std::vector<unsigned char> created = Raw(mode1);
  {
    uitest::OnModal actor([&](QWidget* top) {
      auto* dialog = dynamic_cast<CModifyProfileDialog*>(top);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->NameEdit().selectedText(), "Racing");
      EXPECT_EQ(dialog->PathEdit().selectedText(), "/usr/games/racer");
      QTest::keyClicks(&dialog->NameEdit(), "Other");
      QTest::keyClick(&dialog->NameEdit(), Qt::Key_Escape);
    });
    Click(Button::Modify);
    uitest::Drain();
    EXPECT_TRUE(actor.Ran());
  }
  EXPECT_EQ(Raw(mode1), created);
  EXPECT_EQ(w.ButtonOf(Button::Modify).GetCheckState(), 0);
  EXPECT_EQ(Raw(w.Settings().EditingModes[0]), others[0]);
  EXPECT_EQ(Raw(w.Settings().EditingModes[2]), others[1]);
  EXPECT_EQ(Raw(w.Settings().EditingModes[3]), others[2]);
}

}  // namespace
