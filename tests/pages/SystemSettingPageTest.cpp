// The pointer-settings page against a test skin.
#include <climits>

#include "pages/SystemSettingPage.h"
#include "tests/pages/TestSkinFixture.h"

namespace {

using pagetest::Bytes;
using pagetest::ClickButton;
using pagetest::Patterned;
using settings::tagMODEINFO;
using S = CSystemSettingPage;

class SystemSettingPageTest : public pagetest::TestSkinFixture {
 protected:
  CSystemSettingPage& Page() {
    if (!page) {
      page = std::make_unique<CSystemSettingPage>(ini, dir.Path(),
                                                  QStringLiteral("SystemSettingPage"), &owner);
      page->Create();
    }
    return *page;
  }
  // The six controls as the page shows them: four slider values, then precision and one page.
  std::vector<int> Shown() {
    CSystemSettingPage& p = Page();
    return {p.SliderAt(S::DoubleClickSpeed).Value(), p.SliderAt(S::PointerSpeed).Value(),
            p.SliderAt(S::HorizontalScroll).Value(), p.SliderAt(S::WheelLines).Value(),
            p.PrecisionButton().GetCheckState(),     p.OnePageButton().GetCheckState()};
  }
  // A release on `slider` at x of its own width.
  void Release(S::Slider slider, int x) {
    CDMarker& marker = Page().SliderAt(slider);
    uitest::Press(&marker, QPoint(x, 5));
    uitest::Release(&marker, QPoint(x, 5));
    uitest::Drain();  // the marker posts its value to the page
  }

  static tagMODEINFO Record(int32_t doubleClick, int32_t speed, int32_t horizontal, int32_t lines,
                            int32_t precision, int32_t onePage) {
    tagMODEINFO r = Patterned();
    r.doubleClickSpeed = doubleClick;
    r.pointerSpeed = speed;
    r.horizontalScrollAmount = horizontal;
    r.wheelLines = lines;
    r.pointerPrecision = precision;
    r.wheelOnePage = onePage;
    return r;
  }

  std::unique_ptr<CSystemSettingPage> page;
};

TEST_F(SystemSettingPageTest, ControlsSitAtTheirPlaceOnThePageWithFacesCutWhereTheyLieOnTheWindow) {
  CSystemSettingPage& p = Page();
  EXPECT_EQ(p.geometry(), QRect(10, 20, 180, 260));
  EXPECT_EQ(p.SliderAt(S::DoubleClickSpeed).geometry(), QRect(10, 20, 160, 10));
  EXPECT_EQ(p.SliderAt(S::WheelLines).geometry(), QRect(10, 110, 160, 10));
  EXPECT_EQ(p.OnePageButton().geometry(), QRect(10, 180, 20, 20));
  // The slider's empty part is the normal sheet at the window's rectangle, its fill the down
  // sheet; at value 0 one cell of 20 pixels is filled.
  p.SliderAt(S::WheelLines).SetPos(0);
  const QImage slider = uitest::Render(p.SliderAt(S::WheelLines));
  EXPECT_EQ(slider.pixel(19, 0), qRgb(0, 0, 200));
  EXPECT_EQ(slider.pixel(20, 0), qRgb(40, 130, 0x80));
  EXPECT_EQ(uitest::Render(p.PrecisionButton()).pixel(1, 1), qRgb(21, 171, 0x80));
}

// Bytes in, controls out: what no slider can show shows as 0, and the record stays as it was.
TEST_F(SystemSettingPageTest, AttachShowsTheRecordAndValuesNoSliderHoldsAsZero) {
  struct Case {
    const char* name;
    tagMODEINFO record;
    std::vector<int> shown;
  } cases[] = {
      {"factory", Record(4, 4, 3, 3, 0, 0), {4, 4, 2, 2, 0, 0}},
      {"ends", Record(7, 7, 8, 8, 1, 1), {7, 7, 7, 7, 1, 1}},
      {"lowest", Record(0, 0, 1, 1, 0, 0), {0, 0, 0, 0, 0, 0}},
      {"zero", Record(0, 0, 0, 0, 0, 0), {0, 0, 0, 0, 0, 0}},
      {"nine", Record(9, 9, 9, 9, 0, 0), {0, 0, 0, 0, 0, 0}},
      {"minus one", Record(-1, -1, -1, -1, 0, 0), {0, 0, 0, 0, 0, 0}},
      {"INT32_MIN", Record(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, 0, 0), {0, 0, 0, 0, 0, 0}},
      {"INT32_MAX", Record(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, 0, 0), {0, 0, 0, 0, 0, 0}},
  };
  for (Case& c : cases) {
    const tagMODEINFO before = c.record;
    Page().AttachModeInfo(&c.record);
    EXPECT_EQ(Shown(), c.shown) << c.name;
    EXPECT_EQ(Bytes(c.record), Bytes(before)) << c.name;
  }
}

TEST(SystemSettingSliderPosition, DifferenceIsTakenWithoutOverflow) {
  struct Case {
    int32_t stored;
    int offset;
    int position;
  } cases[] = {{3, 1, 2},         {8, 1, 7},         {9, 1, 0},        {1, 1, 0},
               {0, 1, 0},         {INT32_MIN, 1, 0}, {INT32_MAX, 1, 0}, {7, 0, 7},
               {-1, 0, 0},        {INT32_MIN, 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(CSystemSettingPage::SliderPosition(c.stored, c.offset), c.position)
        << c.stored << " - " << c.offset;
  }
}

// Releases and clicks in, bytes out: every change writes all six fields, then shows them.
TEST_F(SystemSettingPageTest, EveryChangeWritesAllSixFieldsAndShowsThemAgain) {
  enum class Act { Slider, Precision, OnePage };
  struct Case {
    const char* name;
    tagMODEINFO record;
    Act act;
    S::Slider slider;
    int x;
    tagMODEINFO expected;
    std::vector<int> shown;
  } cases[] = {
      {"vertical wheel in its last cell", Record(4, 4, 3, 3, 0, 0), Act::Slider, S::WheelLines,
       159, Record(4, 4, 3, 8, 0, 0), {4, 4, 2, 7, 0, 0}},
      {"pointer speed first cell over unshowable values", Record(9, -1, 0, INT32_MIN, 5, 1),
       Act::Slider, S::PointerSpeed, 0, Record(0, 0, 1, 1, 5, 1), {0, 0, 0, 0, 5, 1}},
      {"double click to 3", Record(4, INT32_MAX, 9, 3, 0, 0), Act::Slider, S::DoubleClickSpeed, 65,
       Record(3, 0, 1, 3, 0, 0), {3, 0, 0, 2, 0, 0}},
      {"horizontal to 5", Record(4, 4, 3, 3, 1, 0), Act::Slider, S::HorizontalScroll, 100,
       Record(4, 4, 6, 3, 1, 0), {4, 4, 5, 2, 1, 0}},
      {"precision on", Record(4, 4, 3, 3, 0, 0), Act::Precision, S::DoubleClickSpeed, 0,
       Record(4, 4, 3, 3, 1, 0), {4, 4, 2, 2, 1, 0}},
      {"precision off", Record(4, 4, 3, 3, 1, 0), Act::Precision, S::DoubleClickSpeed, 0,
       Record(4, 4, 3, 3, 0, 0), {4, 4, 2, 2, 0, 0}},
      {"one page on over wheel lines 0", Record(4, 4, 3, 0, 0, 0), Act::OnePage,
       S::DoubleClickSpeed, 0, Record(4, 4, 3, 1, 0, 1), {4, 4, 2, 0, 0, 1}},
      {"a stored flag of 2 clears", Record(4, 4, 3, 3, 0, 2), Act::OnePage, S::DoubleClickSpeed, 0,
       Record(4, 4, 3, 3, 0, 0), {4, 4, 2, 2, 0, 0}},
  };
  for (Case& c : cases) {
    Page().AttachModeInfo(&c.record);
    switch (c.act) {
      case Act::Slider: Release(c.slider, c.x); break;
      case Act::Precision: ClickButton(Page().PrecisionButton()); break;
      case Act::OnePage: ClickButton(Page().OnePageButton()); break;
    }
    EXPECT_EQ(Bytes(c.record), Bytes(c.expected)) << c.name;
    EXPECT_EQ(Shown(), c.shown) << c.name;
  }
}

TEST_F(SystemSettingPageTest, PrecisionTwiceIsOnThenOff) {
  tagMODEINFO record = Record(4, 4, 3, 3, 0, 0);
  Page().AttachModeInfo(&record);
  ClickButton(Page().PrecisionButton());
  EXPECT_EQ(record.pointerPrecision, 1);
  EXPECT_EQ(Page().PrecisionButton().GetCheckState(), 1);
  ClickButton(Page().PrecisionButton());
  EXPECT_EQ(record.pointerPrecision, 0);
  EXPECT_EQ(Page().PrecisionButton().GetCheckState(), 0);
}

TEST_F(SystemSettingPageTest, BeforeARecordIsAttachedAChangeOnlyShows) {
  Release(S::WheelLines, 159);
  ClickButton(Page().PrecisionButton());
  EXPECT_EQ(Page().SliderAt(S::WheelLines).Value(), 7);
  EXPECT_EQ(Page().PrecisionButton().GetCheckState(), 1);
  EXPECT_EQ(Page().AttachedRecord(), nullptr);
  Page().SaveModeInfo();  // nothing to write into
}

TEST_F(SystemSettingPageTest, MissingKeysGiveZeroSizedControls) {
  CSystemSettingPage bare(ini, dir.Path(), QStringLiteral("Bare"), &owner);
  bare.Create();
  EXPECT_TRUE(bare.SliderAt(S::PointerSpeed).size().isEmpty());
  EXPECT_TRUE(bare.OnePageButton().size().isEmpty());
  tagMODEINFO record = Record(4, 4, 3, 3, 0, 0);
  bare.AttachModeInfo(&record);
  EXPECT_EQ(ui::SendMessage(&bare, WM_MARKER_POS, 0, 0), 0);
  EXPECT_EQ(Bytes(record), Bytes(Record(4, 4, 3, 3, 0, 0)));
}

}  // namespace
