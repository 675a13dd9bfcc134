// The sensitivity page: bytes of the record to the controls, and clicks and slider releases to
// the bytes of the record.
#include "pages/SensitivityPage.h"

#include <array>
#include <ostream>

#include "tests/pages/PageFixture.h"

namespace {

using pages::SensitivityControls;
using settings::tagMODEINFO;

// --- The sensitivity steps ----------------------------------------------------------------

TEST(SensitivitySteps, EveryPositionStoresItsByteAndOnlyThoseBytesReadBack) {
  const uint8_t bytes[] = {0x1A, 0x15, 0x25, 0x35, 0x45, 0x11, 0x65, 0x75, 0x85, 0x95, 0x21};
  for (int p = 0; p <= 10; ++p) {
    EXPECT_EQ(pages::SensitivityByte(p), bytes[p]) << p;
  }
  int known = 0;
  for (int b = 0; b < 256; ++b) {
    const int p = CSensitivityPage::SensitivityToPosition(b >> 4, b & 0x0F);
    if (p < 0) continue;
    ++known;
    EXPECT_EQ(pages::SensitivityByte(p), b);
  }
  EXPECT_EQ(known, 11);
  EXPECT_EQ(CSensitivityPage::SensitivityToPosition(1, 2), -1) << "0x12";
  EXPECT_EQ(CSensitivityPage::SensitivityToPosition(2, 2), -1) << "a ratio of 1 is only 0x11";
}

// --- Bytes in, controls out -------------------------------------------------------------

struct ShowCase {
  const char* name;
  uint8_t dpi01, dpi23, x, y, level, sync;
  std::array<int, 4> indexes;
  int shownX, shownY;
};
void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }

class SensitivityShowTest : public ::testing::TestWithParam<ShowCase> {};

TEST_P(SensitivityShowTest, ControlsShowTheRecord) {
  const ShowCase& c = GetParam();
  tagMODEINFO record{};
  record.dpiIndex01 = c.dpi01;
  record.dpiIndex23 = c.dpi23;
  record.sensitivityX = c.x;
  record.sensitivityY = c.y;
  record.dpiLevel = c.level;
  record.xySync = c.sync;
  const SensitivityControls shown = pages::ShowSensitivity(record);
  EXPECT_EQ(shown.x, c.shownX);
  EXPECT_EQ(shown.y, c.shownY);
  EXPECT_EQ(shown.sync, c.sync != 0);
  EXPECT_EQ(shown.currentLevel, c.level);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(shown.valueIndex[i], c.indexes[i]) << "level " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, SensitivityShowTest,
    ::testing::Values(ShowCase{"Factory", 0x10, 0x64, 0x11, 0x11, 1, 0, {0, 1, 4, 6}, 5, 5},
                      ShowCase{"Extremes", 0x60, 0x06, 0x21, 0x1A, 3, 0, {0, 6, 6, 0}, 10, 0},
                      ShowCase{"UnknownBytesStandAtZero", 0x10, 0x64, 0x12, 0xFF, 0, 0,
                               {0, 1, 4, 6}, 0, 0},
                      ShowCase{"HighNibblesKeepTheirLowerBits", 0xF9, 0x8E, 0x35, 0x95, 2, 0,
                               {1, 7, 6, 0}, 3, 9},
                      ShowCase{"SyncShowsYAtX", 0x10, 0x64, 0x25, 0x85, 1, 1, {0, 1, 4, 6}, 2, 2},
                      ShowCase{"AnySyncByteCounts", 0x10, 0x64, 0x45, 0x11, 1, 0x80,
                               {0, 1, 4, 6}, 4, 4},
                      ShowCase{"LevelBeyondThree", 0x10, 0x64, 0x11, 0x11, 9, 0, {0, 1, 4, 6},
                               5, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// --- The page -----------------------------------------------------------------------------

void ClickOn(CBitmapBtn& button) { uitest::Click(&button, button.rect().center()); }
// A click on a slider's track where position `position` lies.
void ReleaseAt(CPngHSliderBar& slider, int position) {
  const int x = position * (slider.width() - 1) / 10;
  uitest::Click(&slider, QPoint(x, slider.height() / 2));
  uitest::Drain();
}

class SensitivityPageTest : public pagetest::PageFixture<CSensitivityPage> {
 protected:
  SensitivityPageTest() : PageFixture(u"SensitivitySettingPage") {}

  void Attach() { page->AttachModeInfo(&record); }
  void Click(CBitmapBtn& button) { ClickOn(button); }
  void Release(CPngHSliderBar& slider, int position) { ReleaseAt(slider, position); }
  int CheckedLevel() {
    int checked = -1;
    for (int i = 0; i < 4; ++i) {
      if (page->LevelButton(i).GetCheckState()) {
        EXPECT_EQ(checked, -1) << "one level at most";
        checked = i;
      }
    }
    return checked;
  }
  int CheckedValue(int level) {
    int checked = -1;
    for (int j = 0; j < 7; ++j) {
      if (page->ValueButton(level, j).GetCheckState()) {
        EXPECT_EQ(checked, -1) << "one value at most";
        checked = j;
      }
    }
    return checked;
  }

  tagMODEINFO record = FactoryRecord();
};

TEST_F(SensitivityPageTest, StartsAtLevelZeroWithYAtZero) {
  EXPECT_EQ(CheckedLevel(), 0);
  EXPECT_EQ(page->YSlider().GetPos(), 0);
  EXPECT_EQ(page->Attached(), nullptr);
}

TEST_F(SensitivityPageTest, FactoryRecordShowsItsLevelsAndSensitivity) {
  const tagMODEINFO before = record;
  Attach();
  EXPECT_TRUE(pagetest::SameBytes(record, before)) << "showing never writes";
  EXPECT_EQ(CheckedLevel(), 1);
  const int expected[] = {0, 1, 4, 6};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(CheckedValue(i), expected[i]);
  EXPECT_EQ(page->XSlider().GetPos(), 5);
  EXPECT_EQ(page->YSlider().GetPos(), 5);
  EXPECT_EQ(page->SyncButton().GetCheckState(), 0);
}

TEST_F(SensitivityPageTest, IndexSevenAndLevelFourCheckNothing) {
  record.dpiIndex01 = 0x12;
  Attach();
  const QImage shows1200 = uitest::Render(page->LevelDisplay(0));
  record.dpiIndex01 = 0x13;
  Attach();
  ASSERT_NE(uitest::Render(page->LevelDisplay(0)), shows1200) << "the display shows the value";
  record.dpiIndex01 = 0x12;
  Attach();
  record.dpiIndex01 = 0x07;
  record.dpiLevel = 4;
  Attach();
  EXPECT_EQ(uitest::Render(page->LevelDisplay(0)), shows1200) << "index 7 keeps the caption";
  EXPECT_EQ(CheckedValue(0), -1);
  EXPECT_EQ(CheckedValue(1), 0);
  EXPECT_EQ(CheckedLevel(), -1);
  // Both stay as they are until their own buttons are clicked.
  record.deviceByte10 = 0;
  Click(page->ValueButton(1, 3));
  EXPECT_EQ(record.dpiIndex01, 0x37);
  EXPECT_EQ(record.dpiLevel, 4);
  EXPECT_EQ(record.deviceByte10, 0xFF);
  Click(page->LevelButton(2));
  EXPECT_EQ(record.dpiLevel, 2);
  Click(page->ValueButton(0, 5));
  EXPECT_EQ(record.dpiIndex01, 0x35);
}

struct EditCase {
  const char* name;
  void (*edit)(CSensitivityPage&, tagMODEINFO&);
  // Bytes 6308, 6309, 6312, 6313, 6340, 6404 after the edit.
  std::array<uint8_t, 6> after;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class SensitivityEditTest : public SensitivityPageTest,
                            public ::testing::WithParamInterface<EditCase> {};

TEST_P(SensitivityEditTest, WritesTheControlsIntoTheRecord) {
  const EditCase& c = GetParam();
  record.deviceByte10 = 0x00;
  record.deviceByte11 = 0x5A;
  Attach();
  c.edit(*page, record);
  const std::array<uint8_t, 6> after = {record.dpiIndex01,   record.dpiIndex23,
                                        record.sensitivityX, record.sensitivityY,
                                        record.dpiLevel,     record.xySync};
  EXPECT_EQ(after, c.after);
  EXPECT_EQ(record.deviceByte10, 0xFF) << "every store writes 0xFF";
  EXPECT_EQ(record.deviceByte11, 0x5A) << "byte 6311 is never written";
  // The controls show what was written.
  SensitivityControls shown = pages::ShowSensitivity(record);
  EXPECT_EQ(page->Controls(), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, SensitivityEditTest,
    ::testing::Values(
        EditCase{"SameValueOfLevelFour",
                 [](CSensitivityPage& p, tagMODEINFO&) { ClickOn(p.ValueButton(3, 6)); },
                 {0x10, 0x64, 0x11, 0x11, 1, 0}},
        EditCase{"FirstValueOfLevelFour",
                 [](CSensitivityPage& p, tagMODEINFO&) { ClickOn(p.ValueButton(3, 0)); },
                 {0x10, 0x04, 0x11, 0x11, 1, 0}},
        EditCase{"LevelButton",
                 [](CSensitivityPage& p, tagMODEINFO&) { ClickOn(p.LevelButton(3)); },
                 {0x10, 0x64, 0x11, 0x11, 3, 0}},
        EditCase{"XToTheEnd",
                 [](CSensitivityPage& p, tagMODEINFO&) { ReleaseAt(p.XSlider(), 10); },
                 {0x10, 0x64, 0x21, 0x11, 1, 0}},
        EditCase{"UnknownByteRewrittenAtTheNextEdit",
                 [](CSensitivityPage& p, tagMODEINFO& r) {
                   r.sensitivityY = 0x12;
                   p.AttachModeInfo(&r);
                   ClickOn(p.LevelButton(1));
                 },
                 {0x10, 0x64, 0x11, 0x1A, 1, 0}},
        EditCase{"SyncedYDragsX",
                 [](CSensitivityPage& p, tagMODEINFO&) {
                   ClickOn(p.SyncButton());
                   ReleaseAt(p.YSlider(), 3);
                 },
                 {0x10, 0x64, 0x35, 0x35, 1, 1}},
        EditCase{"SyncOnMovesYToX",
                 [](CSensitivityPage& p, tagMODEINFO&) {
                   ReleaseAt(p.XSlider(), 2);
                   ReleaseAt(p.YSlider(), 8);
                   ClickOn(p.SyncButton());
                 },
                 {0x10, 0x64, 0x25, 0x25, 1, 1}},
        EditCase{"SyncOffLeavesBothWhereTheyAre",
                 [](CSensitivityPage& p, tagMODEINFO&) {
                   ReleaseAt(p.XSlider(), 2);
                   ClickOn(p.SyncButton());
                   ClickOn(p.SyncButton());
                   ReleaseAt(p.YSlider(), 7);
                 },
                 {0x10, 0x64, 0x25, 0x75, 1, 0}},
        EditCase{"StoredSyncWithDifferentBytes",
                 [](CSensitivityPage& p, tagMODEINFO& r) {
                   r.xySync = 1;
                   r.sensitivityX = 0x45;
                   r.sensitivityY = 0x95;
                   p.AttachModeInfo(&r);
                   EXPECT_EQ(p.YSlider().GetPos(), 4);
                   EXPECT_EQ(r.sensitivityY, 0x95) << "kept until an edit";
                   ClickOn(p.ValueButton(0, 2));
                 },
                 {0x12, 0x64, 0x45, 0x45, 1, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SensitivityPageTest, ClicksAndReleasesWithoutARecordChangeOnlyTheControls) {
  Click(page->LevelButton(2));
  Release(page->XSlider(), 7);
  Click(page->SyncButton());
  EXPECT_EQ(CheckedLevel(), 2);
  EXPECT_EQ(page->XSlider().GetPos(), 7);
  EXPECT_EQ(page->YSlider().GetPos(), 7);
  EXPECT_EQ(page->SyncButton().GetCheckState(), 1);
  Attach();
  EXPECT_EQ(CheckedLevel(), 1);
  EXPECT_EQ(page->XSlider().GetPos(), 5);
}

TEST_F(SensitivityPageTest, LabelsDisplaysAndForeignSlidersWriteNothing) {
  record.deviceByte10 = 0;
  Attach();
  const tagMODEINFO before = record;
  Click(page->ValueLabel(2, 0));
  Click(page->LevelDisplay(0));
  page->XSlider().SetPos(9);
  EXPECT_EQ(ui::SendMessage(page.get(), WM_PNGSLIDER_POS, 9, ui::HandleOf(&parent)), 0);
  EXPECT_TRUE(pagetest::SameBytes(record, before));
}

}  // namespace
