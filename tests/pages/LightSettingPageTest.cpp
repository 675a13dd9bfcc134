// The lighting page: bytes of the record to the controls, and clicks and slider releases to the
// bytes of the record.
#include "pages/LightSettingPage.h"

#include <ostream>
#include <vector>

#include "tests/pages/PageFixture.h"

namespace {

using pages::LightButton;
using pages::LightControls;
using settings::tagLIGHTINFO;
using Time = CLightSettingPage::Time;

// --- Bytes in, controls out -------------------------------------------------------------

enum Colour { None = -1, Blue, Pink, Red, Orange, Green, Cyan, White };

struct ShowCase {
  const char* name;
  tagLIGHTINFO light;
  bool on, breathing, cycle, interrupt;
  int colour;  // the one colour checked, or None
  int change, off, stay, start;
};
void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }

class LightShowTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(LightShowTest, ControlsShowTheRecord) {
  const ShowCase& c = GetParam();
  LightControls controls;
  // Whatever the controls showed before is replaced.
  controls.colours[static_cast<int>(pages::LightColour::Green)] = true;
  controls.changeTime = 7;
  pages::ShowLightData(c.light, controls);

  EXPECT_EQ(controls.on, c.on);
  EXPECT_EQ(controls.off, !c.on);
  EXPECT_EQ(controls.breathing, c.breathing);
  EXPECT_EQ(controls.full, !c.breathing);
  EXPECT_EQ(controls.cycle, c.cycle);
  EXPECT_EQ(controls.interrupt, c.interrupt);
  for (int i = 0; i < pages::kLightColourCount; ++i) {
    EXPECT_EQ(controls.colours[i], i == c.colour) << "colour " << i;
  }
  EXPECT_EQ(controls.changeTime, c.change);
  EXPECT_EQ(controls.offTime, c.off);
  EXPECT_EQ(controls.stayTime, c.stay);
  EXPECT_EQ(controls.startTime, c.start);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, LightShowTest,
    ::testing::Values(
        ShowCase{"Pink", {0xF0, 0xFF, 0x00, 0xFF, 0x14, 0x11, 0x04}, true, true, false, false,
                 Pink, 4, 0, 0, 0},
        ShowCase{"OneEffectBitIsBreathing", {0x90, 0xFF, 0, 0, 0x14, 0x11, 0x04}, true, true,
                 false, false, Red, 4, 0, 0, 0},
        ShowCase{"OffSteadyInterrupt", {0x04, 0, 0xFF, 0, 0x28, 0xAA, 0x28}, false, false, false,
                 true, Green, 9, 9, 9, 9},
        ShowCase{"WhiteWithoutCycleBit", {0x80, 0xFF, 0xFF, 0xFF, 4, 0x11, 4}, true, false, false,
                 false, White, 0, 0, 0, 0},
        ShowCase{"CycleShowsNoColour", {0x88, 0xFF, 0xFF, 0xFF, 4, 0x11, 4}, true, false, true,
                 false, None, 0, 0, 0, 0},
        ShowCase{"UnknownColourShowsNone", {0xF0, 0x12, 0x34, 0x56, 4, 0x11, 4}, true, true,
                 false, false, None, 0, 0, 0, 0},
        ShowCase{"Orange", {0x00, 0xFF, 0xFF, 0x00, 4, 0x11, 4}, false, false, false, false,
                 Orange, 0, 0, 0, 0},
        // 42 / 4 = 10, minus 1; 44 / 4 - 1 = 10 is beyond the slider.
        ShowCase{"TimeRoundsDown", {0, 0, 0, 0xFF, 0x2A, 0x11, 0x2C}, false, false, false, false,
                 Blue, 9, 0, 0, 0},
        ShowCase{"TimesBelowTheFirstStep", {0, 0, 0, 0xFF, 0x03, 0x00, 0x00}, false, false,
                 false, false, Blue, 0, 0, 0, 0},
        ShowCase{"NibblesBeyondTheSlider", {0, 0xFF, 0xFF, 0, 0xFF, 0xBF, 0xFF}, false, false,
                 false, false, Orange, 0, 0, 0, 0},
        ShowCase{"OffAndStayApart", {0, 0, 0xFF, 0xFF, 8, 0x52, 12}, false, false, false, false,
                 Cyan, 1, 1, 4, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LightColours, SelectedColourFollowsTheOrderRedOrangeBluePinkGreenCyanWhite) {
  LightControls c;
  EXPECT_EQ(pages::GetSelectedColor(c), 0u);
  c.colours[static_cast<int>(pages::LightColour::White)] = true;
  c.colours[static_cast<int>(pages::LightColour::Blue)] = true;
  EXPECT_EQ(pages::GetSelectedColor(c), 0xFF0000u) << "Blue comes before White";
  c.colours[static_cast<int>(pages::LightColour::Orange)] = true;
  EXPECT_EQ(pages::GetSelectedColor(c), 0x00FFFFu);
  pages::SelectColor(c, 0x123456);
  EXPECT_EQ(pages::GetSelectedColor(c), 0u) << "an unknown value selects nothing";
  c.cycle = true;
  pages::UncheckColors(c);
  EXPECT_TRUE(c.cycle) << "unchecking the colours leaves Cycle";
  pages::SelectColor(c, 0xFFFF00);
  EXPECT_FALSE(c.cycle);
  EXPECT_TRUE(c.colours[static_cast<int>(pages::LightColour::Cyan)]);
}

// --- Clicks and releases in, bytes out ----------------------------------------------------

class LightPageTest : public pagetest::PageFixture<CLightSettingPage> {
 protected:
  LightPageTest() : PageFixture(u"LightSettingPage") {}

  void Attach(const tagLIGHTINFO& light) {
    record = light;
    page->SetLightData(&record);
  }
  void ClickButton(LightButton b) {
    CBitmapBtn& button = page->Button(b);
    uitest::Click(&button, button.rect().center());
  }
  // A release in cell `cell` of a time slider.
  void Release(Time t, int cell) {
    CDMarker& slider = page->Slider(t);
    const int w = slider.width();
    uitest::Click(&slider, QPoint(cell * w / 10 + w / 20, slider.height() / 2));
    uitest::Drain();
  }
  std::vector<uint8_t> Bytes() const {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&record);
    return {p, p + sizeof record};
  }

  tagLIGHTINFO record{};
};

TEST_F(LightPageTest, StartsOnBreathingRedUntilARecordIsAttached) {
  EXPECT_EQ(page->Button(LightButton::On).GetCheckState(), 1);
  EXPECT_EQ(page->Button(LightButton::Breathing).GetCheckState(), 1);
  EXPECT_EQ(page->Button(LightButton::Red).GetCheckState(), 1);
  EXPECT_EQ(page->Button(LightButton::Off).GetCheckState(), 0);
  EXPECT_EQ(page->Button(LightButton::Full).GetCheckState(), 0);
  EXPECT_EQ(page->GetSelectedColor(), 0x0000FFu);
  EXPECT_EQ(page->Attached(), nullptr);
}

struct ClickCase {
  const char* name;
  tagLIGHTINFO before;
  std::vector<LightButton> clicks;
  tagLIGHTINFO after;
};
void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

class LightClickTest : public LightPageTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(LightClickTest, WritesTheWholeRecordFromTheControls) {
  const ClickCase& c = GetParam();
  Attach(c.before);
  for (LightButton b : c.clicks) ClickButton(b);
  const std::vector<uint8_t> expected(reinterpret_cast<const uint8_t*>(&c.after),
                                      reinterpret_cast<const uint8_t*>(&c.after) + 7);
  EXPECT_EQ(Bytes(), expected);
  // The controls show what was written.
  LightControls shown;
  pages::ShowLightData(record, shown);
  EXPECT_EQ(page->Controls(), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, LightClickTest,
    ::testing::Values(
        ClickCase{"OffKeepsFlagBitsZeroAndOne", {0xF3, 0xFF, 0, 0, 0x14, 0x11, 4},
                  {LightButton::Off}, {0x73, 0xFF, 0, 0, 0x14, 0x11, 4}},
        ClickCase{"OneEffectBitBecomesAllThree", {0x92, 0xFF, 0, 0, 0x14, 0x11, 4},
                  {LightButton::Interrupt}, {0xF6, 0xFF, 0, 0, 0x14, 0x11, 4}},
        ClickCase{"FullClearsTheEffect", {0xF1, 0, 0, 0xFF, 0x14, 0x11, 4}, {LightButton::Full},
                  {0x81, 0, 0, 0xFF, 0x14, 0x11, 4}},
        ClickCase{"CycleThenWhite", {0xF0, 0xFF, 0, 0, 0x14, 0x11, 4}, {LightButton::Cycle},
                  {0xF8, 0xFF, 0xFF, 0xFF, 0x14, 0x11, 4}},
        ClickCase{"WhiteAfterCycle", {0xF0, 0xFF, 0, 0, 0x14, 0x11, 4},
                  {LightButton::Cycle, LightButton::White},
                  {0xF0, 0xFF, 0xFF, 0xFF, 0x14, 0x11, 4}},
        ClickCase{"UnknownColourIsWrittenBlack", {0xF0, 0x12, 0x34, 0x56, 0x14, 0x11, 4},
                  {LightButton::Interrupt}, {0xF4, 0, 0, 0, 0x14, 0x11, 4}},
        ClickCase{"CheckedRedAgainChangesNothing", {0xF0, 0xFF, 0, 0, 0x14, 0x11, 4},
                  {LightButton::Red}, {0xF0, 0xFF, 0, 0, 0x14, 0x11, 4}},
        ClickCase{"OnAgainAndBreathingAgainStay", {0xF0, 0, 0xFF, 0xFF, 0x14, 0x11, 4},
                  {LightButton::On, LightButton::Breathing, LightButton::Cyan},
                  {0xF0, 0, 0xFF, 0xFF, 0x14, 0x11, 4}},
        ClickCase{"InterruptToggles", {0xF0, 0, 0, 0xFF, 0x14, 0x11, 4},
                  {LightButton::Interrupt, LightButton::Interrupt},
                  {0xF0, 0, 0, 0xFF, 0x14, 0x11, 4}},
        ClickCase{"AnEditRewritesTimesTheSlidersCannotShow", {0xF0, 0xFF, 0, 0xFF, 0x2C, 0xBF, 0x01},
                  {LightButton::Pink}, {0xF0, 0xFF, 0, 0xFF, 0x04, 0x11, 0x04}},
        ClickCase{"ColourOverCycle", {0xF8, 0xFF, 0xFF, 0xFF, 0x14, 0x11, 4},
                  {LightButton::Orange}, {0xF0, 0xFF, 0xFF, 0, 0x14, 0x11, 4}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LightPageTest, SliderReleasesWriteTheTimes) {
  Attach({0xF3, 0xFF, 0, 0, 0x14, 0x11, 0x04});
  Release(Time::Change, 9);
  EXPECT_EQ(record.changeTime, 0x28);
  Release(Time::Off, 9);
  Release(Time::Stay, 9);
  EXPECT_EQ(record.offStayTime, 0xAA);
  Release(Time::Start, 0);
  EXPECT_EQ(record.startTime, 0x04);
  Release(Time::Start, 2);
  EXPECT_EQ(record.startTime, 0x0C);
  EXPECT_EQ(record.flags, 0xF3) << "flag bits 0-1 survive";
  EXPECT_EQ(page->Slider(Time::Change).Value(), 9);
}

TEST_F(LightPageTest, ReattachingShowsTheOtherRecordWithoutWritingEither) {
  tagLIGHTINFO first{0xF0, 0xFF, 0, 0xFF, 0x14, 0x11, 0x04};
  tagLIGHTINFO second{0x08, 0x12, 0x34, 0x56, 0x2C, 0xFF, 0x00};
  const tagLIGHTINFO firstCopy = first;
  const tagLIGHTINFO secondCopy = second;
  page->SetLightData(&first);
  page->SetLightData(&second);
  EXPECT_TRUE(pagetest::SameBytes(first, firstCopy));
  EXPECT_TRUE(pagetest::SameBytes(second, secondCopy));
  EXPECT_EQ(page->Button(LightButton::Cycle).GetCheckState(), 1);
  EXPECT_EQ(page->Button(LightButton::Off).GetCheckState(), 1);
  ClickButton(LightButton::On);
  EXPECT_TRUE(pagetest::SameBytes(first, firstCopy)) << "only the attached record is written";
  EXPECT_EQ(second.flags, 0x88);
}

TEST_F(LightPageTest, ClicksAndReleasesWithoutARecordChangeOnlyTheControls) {
  Release(Time::Change, 6);
  ClickButton(LightButton::Off);
  ClickButton(LightButton::Cycle);
  EXPECT_EQ(page->Button(LightButton::Off).GetCheckState(), 1);
  EXPECT_EQ(page->Button(LightButton::On).GetCheckState(), 0);
  EXPECT_EQ(page->Button(LightButton::Cycle).GetCheckState(), 1);
  EXPECT_EQ(page->Button(LightButton::Red).GetCheckState(), 0);
  EXPECT_EQ(page->Slider(Time::Change).Value(), 6);
  // The next record attached is shown as it is.
  Attach({0xF0, 0xFF, 0, 0, 0x14, 0x11, 0x04});
  EXPECT_EQ(page->Slider(Time::Change).Value(), 4);
  EXPECT_EQ(page->Button(LightButton::Red).GetCheckState(), 1);
}

TEST_F(LightPageTest, OtherCommandsAndMarkerArgumentsAreIgnored) {
  Attach({0xF0, 0xFF, 0, 0, 0x14, 0x11, 0x04});
  const tagLIGHTINFO before = record;
  ui::SendMessage(page.get(), ui::WM_COMMAND, 0, ui::HandleOf(&parent));
  EXPECT_TRUE(pagetest::SameBytes(record, before));
  // A release message stores the controls whatever it says.
  page->Slider(Time::Start).SetPos(5);
  EXPECT_EQ(ui::SendMessage(page.get(), WM_MARKER_POS, 77, 12345), 0);
  EXPECT_EQ(record.startTime, 24);
}

}  // namespace
