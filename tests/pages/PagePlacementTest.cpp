// Every page places a control at its skin rectangle converted from the main window's client
// area to the page, and cuts the control's faces at the rectangle as read.
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "pages/LightSettingPage.h"
#include "pages/MousePicturePage.h"
#include "pages/SensitivityPage.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

// The page's place in the stand-in main window.
const QPoint kPageAt(30, 20);

struct PlacementCase {
  const char* name;
  const char* section;
  QRect skinRect;  // where the control is in the main window's client area
  std::function<QWidget&(CPageDialog&)> control;
  QPoint probe;  // a pixel of the control that shows its background cut
};
void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class PagePlacementTest : public ::testing::TestWithParam<PlacementCase> {
 protected:
  // A skin whose sheets tell every pixel's place; each page lies at kPageAt.
  void SetUp() override {
    const QImage sheet = uitest::CoordinateSheet(256, 256);
    dir.Save(QStringLiteral("sheet.png"), sheet);
    const PlacementCase& c = GetParam();
    std::string ini = std::string("[") + c.section + "]\r\n";
    ini += "WindowsRect=30,20,200,200\r\nNormalImage=sheet.png\r\nOverImage=sheet.png\r\n";
    ini += "DownImage=sheet.png\r\nVisable=1\r\n";
    const QRect& r = c.skinRect;
    const std::string rect = std::to_string(r.x()) + "," + std::to_string(r.y()) + "," +
                             std::to_string(r.width()) + "," + std::to_string(r.height());
    for (const char* key : {"KeyImageRect_3", "KeyCyanRect", "OFFTimeRect",
                            "Sliderbar_CPI_Y_Rect", "KeyDPILevel2_3"}) {
      ini += std::string(key) + "=" + rect + "\r\n";
    }
    skinFile.SetFile(dir.Write(QStringLiteral("Setup.ini"), ini).toStdU16String());
    parent.resize(300, 300);
    parent.move(500, 400);
  }

  template <typename PageClass>
  CPageDialog& Make() {
    auto made = std::make_unique<PageClass>(skinFile, dir.Path(),
                                            QString::fromLatin1(GetParam().section), &parent);
    made->Create();
    CPageDialog& p = *made;
    page = std::move(made);
    return p;
  }

  uitest::TempDir dir;
  CINIFile skinFile;
  QWidget parent;
  std::unique_ptr<CPageDialog> page;
};

TEST_P(PagePlacementTest, ControlAtTheConvertedRectangleWithItsFaceCutAtTheSkinRectangle) {
  const PlacementCase& c = GetParam();
  const std::string section = c.section;
  CPageDialog& p = section == "MousePictruePage"    ? Make<CMousePicturePage>()
                   : section == "LightSettingPage" ? Make<CLightSettingPage>()
                                                   : Make<CSensitivityPage>();
  ASSERT_EQ(p.pos(), kPageAt);
  QWidget& control = c.control(p);
  const bool label = std::string(c.name) == "ValueLabel";
  const QRect skinRect = label ? c.skinRect.translated(0, 11) : c.skinRect;
  EXPECT_EQ(control.geometry(), skinRect.translated(-kPageAt));
  const QImage face = uitest::Render(control);
  const QPoint at = skinRect.topLeft() + c.probe;
  EXPECT_EQ(face.pixel(c.probe), qRgb(at.x(), at.y(), 0x80)) << "cut at the rectangle as read";
}

INSTANTIATE_TEST_SUITE_P(
    Controls, PagePlacementTest,
    ::testing::Values(
        PlacementCase{"Marker", "MousePictruePage", QRect(120, 90, 22, 22),
                      [](CPageDialog& p) -> QWidget& {
                        return static_cast<CMousePicturePage&>(p).Marker(3);
                      },
                      QPoint(0, 0)},
        PlacementCase{"ColourButton", "LightSettingPage", QRect(70, 50, 32, 32),
                      [](CPageDialog& p) -> QWidget& {
                        return static_cast<CLightSettingPage&>(p).Button(
                            pages::LightButton::Cyan);
                      },
                      QPoint(5, 3)},
        PlacementCase{"StepSlider", "LightSettingPage", QRect(60, 140, 100, 20),
                      [](CPageDialog& p) -> QWidget& {
                        return static_cast<CLightSettingPage&>(p).Slider(
                            CLightSettingPage::Time::Off);
                      },
                      QPoint(99, 4)},
        PlacementCase{"SensitivitySlider", "SensitivitySettingPage", QRect(40, 100, 150, 28),
                      [](CPageDialog& p) -> QWidget& {
                        return static_cast<CSensitivityPage&>(p).YSlider();
                      },
                      QPoint(149, 2)},
        PlacementCase{"ValueButton", "SensitivitySettingPage", QRect(90, 60, 50, 11),
                      [](CPageDialog& p) -> QWidget& {
                        return static_cast<CSensitivityPage&>(p).ValueButton(1, 2);
                      },
                      QPoint(1, 1)},
        PlacementCase{"ValueLabel", "SensitivitySettingPage", QRect(90, 60, 50, 11),
                      [](CPageDialog& p) -> QWidget& {
                        return static_cast<CSensitivityPage&>(p).ValueLabel(1, 2);
                      },
                      QPoint(48, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

TEST(PageWithoutSkin, MissingKeysGiveZeroSizedControlsThatStillWork) {
  uitest::TempDir dir;
  CINIFile skinFile;
  skinFile.SetFile(dir.Write(QStringLiteral("Setup.ini"), "[Other]\r\nKey=1\r\n").toStdU16String());
  QWidget parent;
  CLightSettingPage light(skinFile, dir.Path(), QStringLiteral("LightSettingPage"), &parent);
  CSensitivityPage sensitivity(skinFile, dir.Path(), QStringLiteral("SensitivitySettingPage"),
                               &parent);
  CMousePicturePage picture(skinFile, dir.Path(), QStringLiteral("MousePictruePage"), &parent);
  light.Create();
  sensitivity.Create();
  picture.Create();
  EXPECT_TRUE(light.Button(pages::LightButton::Cyan).geometry().isEmpty());
  EXPECT_TRUE(sensitivity.XSlider().geometry().isEmpty());
  EXPECT_TRUE(picture.Marker(9).geometry().isEmpty());

  settings::tagMODEINFO record{};
  light.SetLightData(&record.light);
  sensitivity.AttachModeInfo(&record);
  uitest::Click(&light.Slider(CLightSettingPage::Time::Stay), QPoint(0, 0));
  uitest::Click(&sensitivity.XSlider(), QPoint(0, 0));
  // A control without size takes no click; its command still works.
  ui::SendMessage(&sensitivity, ui::WM_COMMAND, 0, ui::HandleOf(&sensitivity.ValueButton(3, 6)));
  uitest::Drain();
  EXPECT_EQ(record.light.offStayTime, 0x11);
  EXPECT_EQ(record.sensitivityX, 0x1A);
  EXPECT_EQ(record.dpiIndex23, 0x60);
}

}  // namespace
