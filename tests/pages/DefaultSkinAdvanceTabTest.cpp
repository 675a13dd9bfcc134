// The default skin's Advance tab pages and profile dialog, as the generator draws them into the
// build's program folder.
#include <QFile>

#include "pages/AdvanceSettingPage.h"
#include "pages/CreateProfileDialog.h"
#include "pages/SystemSettingPage.h"
#include "skin/SkinValues.h"
#include "tests/pages/TestSkinFixture.h"

namespace {

const QString kFolder = QStringLiteral(KDZ_PROGRAM_DIR);
// The main window's client size and the part of it that the pages cover.
const QSize kMainWindow(860, 560);
const QRect kPageArea(20, 116, 600, 372);

struct SectionKeys {
  const char* section;
  std::vector<const char*> rects;  // besides "WindowsRect"
  bool page;                       // sheets of the main window's size
};

const SectionKeys kSections[] = {
    {"AdvanceSettingPage",
     {"KeyRect_125HZ", "KeyRect_250HZ", "KeyRect_500HZ", "KeyRect_1000HZ", "KeyRect_FireSpeed1",
      "KeyRect_FireSpeed2", "KeyRect_FireSpeed3", "KeyRect_FireSpeed4", "KeyRect_FireSpeed5",
      "KeyRect_Restore"},
     true},
    {"SystemSettingPage",
     {"Sliderbar_DoubleClickSpeed", "Sliderbar_MouseMoveSpeed",
      "Sliderbar_MouseWheelHorizontalSpeed", "Sliderbar_WheelVerticalSpeed",
      "KeyRect_MousePrecision", "KeyRect_MouseWhellOnePage"},
     true},
    {"CreateProfileDialog",
     {"KeyOKRect", "KeyCancleRect", "KeyOpenModeExcutionPathRect", "KeyEditModeNameRect",
      "KeyEditModeExcutionPathRect"},
     false},
};

class DefaultSkinAdvanceTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ini.SetFile((kFolder + QStringLiteral("/Setup.ini")).toStdU16String()), 1);
  }
  QRect Rect(const char* section, const char* key) const {
    return skin::ReadRect(ini, QString::fromLatin1(section),
                          QString::fromLatin1(key).toStdU16String());
  }
  QString Value(const char* section, const char* key) const {
    return QString::fromStdU16String(ini.GetString(QString::fromLatin1(section).toStdU16String(),
                                                   QString::fromLatin1(key).toStdU16String()));
  }
  QImage Image(const char* section, const char* key) const {
    return skin::LoadSkinImage(kFolder, ini, QString::fromLatin1(section),
                               QString::fromLatin1(key).toStdU16String());
  }

  CINIFile ini;
};

TEST_F(DefaultSkinAdvanceTabTest, EverySectionHasItsKeysSheetsAndBitmapMask) {
  for (const SectionKeys& s : kSections) {
    const QRect window = Rect(s.section, "WindowsRect");
    EXPECT_FALSE(window.isEmpty()) << s.section;
    EXPECT_EQ(Value(s.section, "Visable"), "1") << s.section;
    const QSize sheetSize = s.page ? kMainWindow : window.size();
    for (const char* sheet : {"NormalImage", "OverImage", "DownImage"}) {
      EXPECT_EQ(Image(s.section, sheet).size(), sheetSize) << s.section << " " << sheet;
    }
    // The mask is a Windows bitmap of the window's own size.
    QFile mask(skin::SkinImagePath(kFolder, ini, QString::fromLatin1(s.section),
                                   u"BackGroundMaskImage"));
    ASSERT_TRUE(mask.open(QIODevice::ReadOnly)) << s.section;
    EXPECT_EQ(mask.read(2), "BM") << s.section;
    EXPECT_EQ(Image(s.section, "BackGroundMaskImage").size(), window.size()) << s.section;
    // Every control lies inside its window: pages in the main window's coordinates, the dialog
    // in its own.
    const QRect bounds = s.page ? window : QRect(QPoint(0, 0), window.size());
    for (const char* key : s.rects) {
      const QRect r = Rect(s.section, key);
      EXPECT_FALSE(r.isEmpty()) << s.section << " " << key;
      EXPECT_TRUE(bounds.contains(r)) << s.section << " " << key;
    }
  }
}

TEST_F(DefaultSkinAdvanceTabTest, TheTwoPagesShareTheAdvanceTabInsideThePageArea) {
  const QRect system = Rect("SystemSettingPage", "WindowsRect");
  const QRect advance = Rect("AdvanceSettingPage", "WindowsRect");
  EXPECT_TRUE(kPageArea.contains(system));
  EXPECT_TRUE(kPageArea.contains(advance));
  EXPECT_FALSE(system.intersects(advance));
  // Together they cover the page area.
  EXPECT_EQ(system.united(advance), kPageArea);
}

TEST_F(DefaultSkinAdvanceTabTest, ThePagesBuildFromTheDefaultSkin) {
  QWidget mainWindow;
  mainWindow.resize(kMainWindow);
  CAdvanceSettingPage advance(ini, kFolder, QStringLiteral("AdvanceSettingPage"), &mainWindow);
  advance.Create();
  CSystemSettingPage system(ini, kFolder, QStringLiteral("SystemSettingPage"), &mainWindow);
  system.Create();
  EXPECT_EQ(advance.geometry(), Rect("AdvanceSettingPage", "WindowsRect"));
  EXPECT_TRUE(advance.rect().contains(advance.RestoreButton().geometry()));
  EXPECT_TRUE(system.rect().contains(system.SliderAt(CSystemSettingPage::PointerSpeed).geometry()));
  // A slider of eight whole cells, so that each step fills one of them.
  EXPECT_EQ(system.SliderAt(CSystemSettingPage::PointerSpeed).width() % 8, 0);
  EXPECT_NE(advance.BackgroundBrush().style(), Qt::NoBrush);
  EXPECT_NE(system.BackgroundBrush().style(), Qt::NoBrush);
}

}  // namespace
