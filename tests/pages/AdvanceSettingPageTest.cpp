// The report-rate, fire-speed and restore page against a test skin.
#include "pages/AdvanceSettingPage.h"
#include "skin/PngHSlider.h"
#include "skin/WarningDlg.h"
#include "tests/pages/TestSkinFixture.h"

namespace {

using pagetest::Bytes;
using pagetest::ClickButton;
using pagetest::Patterned;
using settings::tagMODEINFO;

class AdvanceSettingPageTest : public pagetest::TestSkinFixture {
 protected:
  CAdvanceSettingPage& Page() {
    if (!page) {
      page = std::make_unique<CAdvanceSettingPage>(ini, dir.Path(),
                                                   QStringLiteral("AdvanceSettingPage"), &owner);
      page->Create();
    }
    return *page;
  }
  // Indexes of the checked report-rate and fire-speed buttons.
  std::vector<int> CheckedRates() {
    std::vector<int> out;
    for (int i = 0; i < CAdvanceSettingPage::kReportRateCount; ++i)
      if (Page().ReportRateButtonAt(i).GetCheckState()) out.push_back(i);
    return out;
  }
  std::vector<int> CheckedFireSpeeds() {
    std::vector<int> out;
    for (int i = 0; i < CAdvanceSettingPage::kFireSpeedCount; ++i)
      if (Page().FireSpeedButtonAt(i).GetCheckState()) out.push_back(i);
    return out;
  }

  std::unique_ptr<CAdvanceSettingPage> page;
};

TEST_F(AdvanceSettingPageTest, ButtonsSitAtTheirPlaceOnThePageWithFacesCutWhereTheyLieOnTheWindow) {
  CAdvanceSettingPage& p = Page();
  EXPECT_EQ(p.geometry(), QRect(200, 20, 180, 260));
  EXPECT_TRUE(p.isVisible());
  // The skin's rectangles are the main window's; on the page they move by its place.
  EXPECT_EQ(p.ReportRateButtonAt(3).geometry(), QRect(130, 10, 30, 20));
  EXPECT_EQ(p.FireSpeedButtonAt(0).geometry(), QRect(10, 60, 20, 20));
  EXPECT_EQ(p.RestoreButton().geometry(), QRect(10, 180, 100, 30));
  EXPECT_EQ(uitest::Render(p.ReportRateButtonAt(3)).pixel(0, 0), qRgb(330 & 0xFF, 30, 0x80));
  EXPECT_EQ(uitest::Render(p.RestoreButton()).pixel(99, 29), qRgb(309 & 0xFF, 229, 0x80));
  // Until a record is attached 125 Hz is checked and no fire speed.
  EXPECT_EQ(CheckedRates(), std::vector<int>{0});
  EXPECT_TRUE(CheckedFireSpeeds().empty());
}

TEST_F(AdvanceSettingPageTest, MissingKeysGiveZeroSizedButtons) {
  CAdvanceSettingPage bare(ini, dir.Path(), QStringLiteral("Bare"), &owner);
  bare.Create();
  EXPECT_TRUE(bare.ReportRateButtonAt(0).size().isEmpty());
  EXPECT_TRUE(bare.RestoreButton().size().isEmpty());
  tagMODEINFO record = Patterned();
  record.fireSpeed = 190;
  bare.AttachModeInfo(&record);
  EXPECT_EQ(bare.FireSpeedButtonAt(3).GetCheckState(), 1);
}

// Bytes in, controls out.
TEST_F(AdvanceSettingPageTest, AttachShowsTheRecordAndRaisesOnlyAFireSpeedBelowTheSlowestStep) {
  struct Case {
    uint8_t fireSpeed, rate;
    uint8_t storedFireSpeed;  // after the attach
    std::vector<int> fireButtons, rateButtons;
  } cases[] = {
      {0, 0, 2, {0}, {0}},       {1, 1, 2, {0}, {1}},        {2, 2, 2, {0}, {2}},
      {65, 3, 65, {1}, {3}},     {125, 1, 125, {2}, {1}},    {190, 1, 190, {3}, {1}},
      {255, 1, 255, {4}, {1}},   {100, 1, 100, {}, {1}},     {3, 4, 3, {}, {}},
      {254, 255, 254, {}, {}},
  };
  for (const Case& c : cases) {
    tagMODEINFO record = Patterned();
    record.fireSpeed = c.fireSpeed;
    record.reportRateIndex = c.rate;
    tagMODEINFO expected = record;
    expected.fireSpeed = c.storedFireSpeed;
    Page().AttachModeInfo(&record);
    EXPECT_EQ(Bytes(record), Bytes(expected)) << int(c.fireSpeed);
    EXPECT_EQ(CheckedFireSpeeds(), c.fireButtons) << int(c.fireSpeed);
    EXPECT_EQ(CheckedRates(), c.rateButtons) << int(c.rate);
  }
}

// Clicks in, bytes out: each click writes its own byte of the attached record only.
TEST_F(AdvanceSettingPageTest, AClickWritesOnlyItsOwnFieldOfTheAttachedRecord) {
  enum class Kind { Rate, Fire };
  struct Case {
    const char* name;
    uint8_t fireSpeed;
    Kind kind;
    int button;
    uint8_t rate, storedFire;
    std::vector<int> fireButtons, rateButtons;
  } cases[] = {
      {"1000 Hz beside fire speed 100", 100, Kind::Rate, 3, 3, 100, {}, {3}},
      {"125 Hz", 65, Kind::Rate, 0, 0, 65, {1}, {0}},
      {"step 3 over 100", 100, Kind::Fire, 2, 1, 125, {2}, {1}},
      {"step 1", 255, Kind::Fire, 0, 1, 2, {0}, {1}},
      {"step 5", 2, Kind::Fire, 4, 1, 255, {4}, {1}},
  };
  for (const Case& c : cases) {
    // The four modes with sentinels; the second is attached.
    tagMODEINFO modes[4] = {Patterned(0x11), Patterned(0x22), Patterned(0x33), Patterned(0x44)};
    modes[1].fireSpeed = c.fireSpeed;
    modes[1].reportRateIndex = 1;
    const tagMODEINFO others[4] = {modes[0], modes[1], modes[2], modes[3]};
    Page().AttachModeInfo(&modes[1]);
    ClickButton(c.kind == Kind::Rate ? Page().ReportRateButtonAt(c.button)
                                     : Page().FireSpeedButtonAt(c.button));
    tagMODEINFO expected = others[1];
    expected.reportRateIndex = c.rate;
    expected.fireSpeed = c.storedFire;
    EXPECT_EQ(Bytes(modes[1]), Bytes(expected)) << c.name;
    for (int m : {0, 2, 3}) EXPECT_EQ(Bytes(modes[m]), Bytes(others[m])) << c.name;
    EXPECT_EQ(CheckedFireSpeeds(), c.fireButtons) << c.name;
    EXPECT_EQ(CheckedRates(), c.rateButtons) << c.name;
  }
}

TEST_F(AdvanceSettingPageTest, BeforeARecordIsAttachedAClickOnlyShows) {
  ClickButton(Page().ReportRateButtonAt(2));
  ClickButton(Page().FireSpeedButtonAt(4));
  EXPECT_EQ(CheckedRates(), std::vector<int>{2});
  EXPECT_EQ(CheckedFireSpeeds(), std::vector<int>{4});
  EXPECT_EQ(Page().AttachedRecord(), nullptr);
}

TEST_F(AdvanceSettingPageTest, APngSliderMessageHasNoEffect) {
  tagMODEINFO record = Patterned();
  record.fireSpeed = 65;
  record.reportRateIndex = 1;
  Page().AttachModeInfo(&record);
  const tagMODEINFO before = record;
  EXPECT_EQ(ui::SendMessage(&Page(), WM_PNGSLIDER_POS, 3, ui::HandleOf(&Page())), 0);
  EXPECT_EQ(Bytes(record), Bytes(before));
  EXPECT_EQ(CheckedRates(), std::vector<int>{1});
}

TEST_F(AdvanceSettingPageTest, RestoreAsksOverTheMainWindowAndOnlyOkRestores) {
  struct Case {
    const char* name;
    bool ok;
  } cases[] = {{"Cancel", false}, {"OK", true}};
  for (const Case& c : cases) {
    int restores = 0;
    Page().SetRestoreHandler([&] { ++restores; });
    tagMODEINFO record = Patterned();
    Page().AttachModeInfo(&record);
    const tagMODEINFO before = record;
    QWidget* warningParent = nullptr;
    QString section;
    uitest::OnModal actor([&](QWidget* w) {
      auto* warning = dynamic_cast<CWarningDlg*>(w);
      ASSERT_NE(warning, nullptr);
      warningParent = warning->parentWidget();
      section = warning->Section();
      ClickButton(c.ok ? warning->OkButton() : warning->CancelButton());
    });
    ClickButton(Page().RestoreButton());
    EXPECT_TRUE(actor.Ran()) << c.name;
    EXPECT_EQ(warningParent, &owner) << c.name;
    EXPECT_EQ(section, "RestoreWarningDialog") << c.name;
    EXPECT_EQ(restores, c.ok ? 1 : 0) << c.name;
    // The page itself writes nothing: the main window's handler restores.
    EXPECT_EQ(Bytes(record), Bytes(before)) << c.name;
  }
}

}  // namespace
