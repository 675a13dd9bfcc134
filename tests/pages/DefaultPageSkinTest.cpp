// The default skin's sections of the mouse picture, lighting and sensitivity pages: every key
// the pages read, sheets of the main window's size, every control on its page and the page in
// the page area, masks as Windows bitmaps and thumbs keyed by their first pixel.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QString>

#include <ostream>
#include <string>
#include <vector>

#include "skin/SkinValues.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

const QRect kMainWindow(0, 0, 860, 560);
const QRect kPageArea(20, 116, 600, 372);

std::vector<std::u16string> Numbered(const std::u16string& prefix, int from, int to,
                                     const std::u16string& suffix = u"") {
  std::vector<std::u16string> keys;
  for (int i = from; i <= to; ++i) keys.push_back(prefix + QString::number(i).toStdU16String() + suffix);
  return keys;
}

struct SectionCase {
  const char* section;
  std::vector<std::u16string> controls;  // rectangle keys of the page's controls
  std::vector<std::u16string> images;    // image keys besides the page's own
};
void PrintTo(const SectionCase& c, std::ostream* os) { *os << c.section; }

std::vector<std::u16string> SensitivityControls() {
  std::vector<std::u16string> keys = {u"Sliderbar_CPI_X_Rect", u"Sliderbar_CPI_Y_Rect",
                                      u"Key_X_Y_SYN_Rect"};
  for (int level = 1; level <= 4; ++level) {
    const std::u16string l = QString::number(level).toStdU16String();
    keys.push_back(u"KeyDPIRect_" + l);
    keys.push_back(u"KeyDPIEditRect_" + l);
    for (const std::u16string& k : Numbered(u"KeyDPILevel" + l + u"_", 1, 7)) keys.push_back(k);
  }
  return keys;
}

class DefaultPageSkinTest : public ::testing::TestWithParam<SectionCase> {
 protected:
  void SetUp() override {
    ASSERT_EQ(skin.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String()), 1);
  }
  QString Section() const { return QString::fromLatin1(GetParam().section); }
  QString ImagePath(std::u16string_view key) const {
    return skin::SkinImagePath(QStringLiteral(KDZ_PROGRAM_DIR), skin, Section(), key);
  }
  std::string Value(std::u16string_view key) const {
    return QString::fromStdU16String(skin.GetString(Section().toStdU16String(), key)).toStdString();
  }

  CINIFile skin;
};

TEST_P(DefaultPageSkinTest, HoldsEveryKeyOfThePage) {
  const SectionCase& c = GetParam();
  const QRect place = skin::ReadRect(skin, Section(), u"WindowsRect");
  EXPECT_TRUE(kPageArea.contains(place)) << "the page lies in the page area";
  EXPECT_EQ(Value(u"Visable"), "1");

  for (const char16_t* key : {u"NormalImage", u"OverImage", u"DownImage"}) {
    const QImage sheet(ImagePath(key));
    EXPECT_EQ(sheet.size(), kMainWindow.size()) << Value(key);
  }
  const QString maskPath = ImagePath(u"BackGroundMaskImage");
  QFile mask(maskPath);
  ASSERT_TRUE(mask.open(QIODevice::ReadOnly)) << maskPath.toStdString();
  EXPECT_EQ(mask.read(2), QByteArray("BM")) << "the mask is a Windows bitmap";
  EXPECT_EQ(QImage(maskPath).size(), place.size()) << "the mask has the page's size";

  for (const std::u16string& key : c.controls) {
    SCOPED_TRACE(QString::fromStdU16String(key).toStdString());
    const QRect r = skin::ReadRect(skin, Section(), key);
    EXPECT_FALSE(r.isEmpty());
    EXPECT_TRUE(place.contains(r)) << "the control lies on its page";
  }
  for (const std::u16string& key : c.images) {
    SCOPED_TRACE(QString::fromStdU16String(key).toStdString());
    const QImage thumb(ImagePath(key));
    ASSERT_FALSE(thumb.isNull());
    // The colour key: the corner pixel, and no pixel of the arrow shares it.
    const QRgb keyColour = thumb.pixel(0, 0);
    int keyed = 0;
    for (int y = 0; y < thumb.height(); ++y)
      for (int x = 0; x < thumb.width(); ++x) keyed += thumb.pixel(x, y) == keyColour;
    EXPECT_GT(keyed, 0);
    EXPECT_LT(keyed, thumb.width() * thumb.height());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sections, DefaultPageSkinTest,
    ::testing::Values(
        SectionCase{"MousePictruePage", Numbered(u"KeyImageRect_", 0, 9), {}},
        SectionCase{"LightSettingPage",
                    {u"KeyLightSwitchONRect", u"KeyLightSwitchOFFRect",
                     u"KeyLightEffectTypeFullRect", u"KeyLightEffectTypeBreathingRect",
                     u"KeyBlueRect", u"KeyPinkRect", u"KeyRedRect", u"KeyOrangeRect",
                     u"KeyGreenRect", u"KeyCyanRect", u"KeyWhiteRect", u"KeyCycleRect",
                     u"InterruptOrNotRect", u"ChangeTimeRect", u"OFFTimeRect", u"StayTimeRect",
                     u"StartTimeRect"},
                    {}},
        SectionCase{"SensitivitySettingPage", SensitivityControls(),
                    {u"SliderUpBKImage", u"SliderDownBKImage"}}),
    [](const auto& info) { return std::string(info.param.section); });

TEST(DefaultPageSkin, TheMousePictureLeavesTheLeftOfTheKeyDefineTab) {
  CINIFile skin;
  ASSERT_EQ(skin.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String()), 1);
  const QRect picture = skin::ReadRect(skin, QStringLiteral("MousePictruePage"), u"WindowsRect");
  EXPECT_EQ(picture.right(), kPageArea.right());
  EXPECT_GE(picture.left() - kPageArea.left(), kPageArea.width() / 2);
}

TEST(DefaultPageSkin, ValueLabelsFitBetweenTheRows) {
  // A value label lies 11 pixels below its button with the button's size: it must neither cover
  // the button nor reach the next level's row.
  CINIFile skin;
  ASSERT_EQ(skin.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String()), 1);
  const QString section = QStringLiteral("SensitivitySettingPage");
  for (int level = 1; level <= 4; ++level) {
    for (int value = 1; value <= 7; ++value) {
      const std::u16string key = u"KeyDPILevel" + QString::number(level).toStdU16String() + u"_" +
                                 QString::number(value).toStdU16String();
      const QRect button = skin::ReadRect(skin, section, key);
      const QRect label = button.translated(0, 11);
      EXPECT_FALSE(label.intersects(button)) << level << "/" << value;
      if (level < 4) {
        const std::u16string next = u"KeyDPILevel" + QString::number(level + 1).toStdU16String() +
                                    u"_" + QString::number(value).toStdU16String();
        EXPECT_FALSE(label.intersects(skin::ReadRect(skin, section, next)));
      }
    }
  }
}

}  // namespace
