// The mouse picture: its markers, which one is highlighted, and what a click on one does.
#include "pages/MousePicturePage.h"

#include <QImage>
#include <QTest>

#include <initializer_list>
#include <ostream>
#include <vector>

#include "tests/pages/PageFixture.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

class MousePictureTest : public pagetest::PageFixture<CMousePicturePage> {
 protected:
  MousePictureTest() : PageFixture(u"MousePictruePage") {}

  std::vector<int> Checked() {
    std::vector<int> out;
    for (int i = 0; i < CMousePicturePage::kMarkerCount; ++i) {
      if (page->Marker(i).GetCheckState()) out.push_back(i);
    }
    return out;
  }
};

TEST_F(MousePictureTest, MarkersCarryTheirNumbersAndStartUnchecked) {
  const int numbers[] = {1, 2, 7, 3, 5, 5, 4, 8, 6, 8};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(CMousePicturePage::MarkerNumber(i), numbers[i]) << i;
  EXPECT_TRUE(Checked().empty());
  for (int i = 0; i < 10; ++i) {
    EXPECT_FALSE(page->Marker(i).geometry().isEmpty()) << i;
    EXPECT_TRUE(page->rect().contains(page->Marker(i).geometry())) << i;
  }
}

struct SelectCase {
  const char* name;
  std::vector<unsigned> calls;
  std::vector<int> checked;
};
void PrintTo(const SelectCase& c, std::ostream* os) { *os << c.name; }

class SelectKeyTest : public MousePictureTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(SelectKeyTest, HighlightsOneMarkerAtMost) {
  for (unsigned i : GetParam().calls) EXPECT_EQ(page->SelectKey(i), 0);
  EXPECT_EQ(Checked(), GetParam().checked);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, SelectKeyTest,
    ::testing::Values(SelectCase{"ThreeThenSeven", {3, 7}, {7}},
                      SelectCase{"FirstAndLast", {0, 9}, {9}},
                      SelectCase{"TenClears", {4, 10}, {}},
                      SelectCase{"MinusOneClears", {5, static_cast<unsigned>(-1)}, {}},
                      SelectCase{"AfterClearing", {2, 10, 8}, {8}},
                      SelectCase{"SameTwice", {6, 6}, {6}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MousePictureTest, HoverAndPressLeaveTheFacesAlone) {
  parent.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&parent, uitest::kWaitMs));
  CBitmapBtn& marker = page->Marker(2);
  const QImage before = uitest::Render(marker);
  const QPoint middle = marker.rect().center();
  uitest::Move(&marker, middle);
  EXPECT_EQ(uitest::Render(marker), before) << "hover";
  uitest::Press(&marker, middle);
  EXPECT_EQ(uitest::Render(marker), before) << "pressed";
  uitest::Release(&marker, QPoint(-5, -5));
  // Only the checked state shows the highlighted face.
  page->SelectKey(2);
  EXPECT_NE(uitest::Render(marker), before);
}

TEST_F(MousePictureTest, AClickOnAMarkerDragsTheMainWindowAndChangesNoMarker) {
  page->SelectKey(4);
  CBitmapBtn& marker = page->Marker(7);
  uitest::Click(&marker, marker.rect().center());
  uitest::Drain();
  const std::vector<uitest::Message> presses = parent.Of(ui::WM_LBUTTONDOWN);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].wParam, 0u);
  EXPECT_EQ(presses[0].lParam, 0);
  EXPECT_EQ(Checked(), std::vector<int>{4});
}

}  // namespace
