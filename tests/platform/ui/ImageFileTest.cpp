#include "platform/ui/ImageFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/platform/sys/BlockingPipe.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

TEST(ImageFileTest, LoadsByContentWhateverTheName) {
  uitest::TempDir dir;
  const QImage picture = uitest::CoordinateSheet(20, 10);
  struct Case {
    QString name;
    const char* format;
  } cases[] = {{"a.png", "PNG"}, {"b.bmp", "BMP"}, {"c.png", "BMP"}, {"d.bmp", "PNG"},
               {"noext", "PNG"}};
  for (const Case& c : cases) {
    const QImage loaded = ui::LoadImageFile(dir.Save(c.name, picture, c.format));
    ASSERT_FALSE(loaded.isNull()) << c.name.toStdString();
    EXPECT_EQ(loaded.convertToFormat(QImage::Format_RGB32), picture) << c.name.toStdString();
  }
  EXPECT_TRUE(ui::LoadImageFile(dir.File("missing.png")).isNull());
  EXPECT_TRUE(ui::LoadImageFile(dir.Write("junk.png", "not an image at all")).isNull());
  EXPECT_TRUE(ui::LoadImageFile(dir.Path()).isNull());
  EXPECT_TRUE(ui::LoadImageFile(QString()).isNull());
}

// Whether one of Qt's image plugins is mapped into this process.
bool ImagePluginLoaded() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find("/imageformats/") != std::string::npos) return true;
  return false;
}

// A 2×2 picture (red, green; blue, white) as a PNG file and as a BMP file, written without Qt's
// image writer, which loads the plugins.
const std::string kPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02"
    "\x08\x02\x00\x00\x00\xfd\xd4\x9a\x73\x00\x00\x00\x09\x70\x48\x59\x73\x00\x00\x0f\x61\x00\x00\x0f"
    "\x61\x01\xa8\x3f\xa7\x69\x00\x00\x00\x16\x49\x44\x41\x54\x08\x99\x63\xf8\xcf\xc0\xc0\xf0\x9f\x81"
    "\x91\x81\xe1\xff\xff\xff\x0c\x00\x1e\xf6\x04\xfd\x6f\xe8\x48\x5e\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82",
    100);
const std::string kBmp(
    "\x42\x4d\x46\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x02\x00\x00\x00\x02\x00"
    "\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x10\x00\x00\x00\x61\x0f\x00\x00\x61\x0f\x00\x00\x00\x00"
    "\x00\x00\x00\x00\x00\x00\xff\x00\x00\xff\xff\xff\x00\x00\x00\x00\xff\x00\xff\x00\x00\x00",
    70);

bool IsTheTwoByTwoPicture(const QImage& image) {
  return image.size() == QSize(2, 2) && image.pixel(0, 0) == qRgb(255, 0, 0) &&
         image.pixel(1, 0) == qRgb(0, 255, 0) && image.pixel(0, 1) == qRgb(0, 0, 255) &&
         image.pixel(1, 1) == qRgb(255, 255, 255);
}

// The skin's PNG and BMP files are read by Qt's own decoders: no image plugin is loaded (and
// kept mapped) to be asked first. In a process of its own, which no other test has made load
// one.
TEST(ImageFileDeathTest, PngAndBmpLoadNoImagePlugin) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  uitest::TempDir dir;
  const QString png = dir.Write("a.bmp", kPng);
  const QString bmp = dir.Write("b.png", kBmp);
  EXPECT_EXIT(
      {
        if (ImagePluginLoaded()) std::_Exit(2);
        const bool decoded = IsTheTwoByTwoPicture(ui::DecodeImageFile(png)) &&
                             IsTheTwoByTwoPicture(ui::DecodeImageFile(bmp));
        std::_Exit(decoded && !ImagePluginLoaded() ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

// A named pipe or a device where an image should be is a missing image, never waited for.
TEST(ImageFileTest, OnlyARegularFileIsAnImage) {
  uitest::TempDir dir;
  const testutil::BlockingPipe pipe(dir.File("pipe.png").toStdString(), uitest::kWaitMs);
  ASSERT_TRUE(pipe.Made());
  EXPECT_TRUE(ui::LoadImageFile(dir.File("pipe.png")).isNull());
  EXPECT_FALSE(pipe.Blocked());
  EXPECT_TRUE(ui::LoadImageFile(QStringLiteral("/dev/zero")).isNull());
}

TEST(ImageFileTest, CutsLieInsideTheSheet) {
  const QImage sheet = uitest::CoordinateSheet(50, 40);
  struct Case {
    QRect block;
    bool cut;
  } cases[] = {
      {QRect(10, 5, 20, 10), true}, {QRect(0, 0, 50, 40), true},  {QRect(40, 30, 11, 5), false},
      {QRect(-1, 0, 5, 5), false},  {QRect(3, 3, 0, 5), false},   {QRect(3, 3, -4, 5), false},
  };
  for (const Case& c : cases) {
    const QImage cut = ui::CutImage(&sheet, c.block);
    EXPECT_EQ(!cut.isNull(), c.cut);
    if (c.cut) {
      EXPECT_EQ(cut.size(), c.block.size());
      EXPECT_EQ(cut.pixel(0, 0), sheet.pixel(c.block.topLeft()));
      EXPECT_EQ(cut.pixel(cut.width() - 1, cut.height() - 1), sheet.pixel(c.block.bottomRight()));
    }
  }
  EXPECT_TRUE(ui::CutImage(nullptr, QRect(0, 0, 2, 2)).isNull());
}

// A cut whose pixels the kept image holds is an image over the kept one's memory, which it keeps
// alive; any other is a copy, as without a kept image. Either way the cut shows the sheet's
// pixels.
TEST(ImageFileTest, CutsThatAKeptImageHoldsShareItsMemory) {
  const QImage sheet = uitest::CoordinateSheet(60, 40);
  QImage withHole = sheet.convertToFormat(QImage::Format_ARGB32);
  withHole.setPixel(25, 15, qRgba(0, 0, 0, 0));
  const QRect place(20, 10, 30, 20);
  struct Case {
    const char* what;
    QImage sheet;
    QRect block;
    bool shared;
  } cases[] = {
      {"inside the kept block", sheet, QRect(22, 12, 10, 5), true},
      {"the whole kept block", sheet, place, true},
      {"reaching out of it", sheet, QRect(45, 12, 10, 5), false},
      {"other pixels", uitest::CoordinateSheet(60, 40).mirrored(), QRect(22, 12, 10, 5), false},
      {"a transparent pixel the kept block has black", withHole, QRect(22, 12, 10, 5), false},
      {"opaque pixels in another format", withHole, QRect(30, 20, 10, 5), true},
  };
  for (Case& c : cases) {
    ui::KeptImage kept{ui::CopyBlockOpaque(sheet, place), place.topLeft()};
    const uchar* keptBits = kept.image.constBits();
    const QImage cut = ui::CutImage(&c.sheet, c.block, kept);
    const uchar* first = cut.constBits();
    EXPECT_EQ(first >= keptBits && first < keptBits + kept.image.sizeInBytes(), c.shared) << c.what;
    kept.image = QImage();  // the window lets its image go; the cut keeps what it shows
    EXPECT_EQ(cut.convertToFormat(QImage::Format_ARGB32),
              c.sheet.copy(c.block).convertToFormat(QImage::Format_ARGB32))
        << c.what;
  }
}

// What a window keeps to paint from takes three bytes a pixel when it is opaque, with the same
// colours; an image with alpha stays as it is.
TEST(ImageFileTest, KeptOpaqueImagesTakeThreeBytesAPixel) {
  const QImage opaque = uitest::CoordinateSheet(30, 20);
  const QImage kept = ui::KeptOpaque(opaque);
  EXPECT_EQ(kept.depth(), 24);
  EXPECT_EQ(kept.convertToFormat(QImage::Format_RGB32), opaque);
  const QImage translucent = uitest::Solid(5, 5, QColor(10, 20, 30, 40));
  EXPECT_EQ(ui::KeptOpaque(translucent).format(), translucent.format());
  EXPECT_TRUE(ui::KeptOpaque(QImage()).isNull());
  EXPECT_EQ(ui::KeptOpaque(ui::CopyBlockOpaque(opaque, QRect(2, 2, 10, 10))).depth(), 24);
}

TEST(ImageFileTest, OpaqueBlocksAreBlackWhereTheSheetIsNot) {
  QImage sheet = uitest::CoordinateSheet(30, 30);
  sheet = sheet.convertToFormat(QImage::Format_ARGB32);
  sheet.setPixel(12, 12, qRgba(255, 255, 255, 0));
  const QImage block = ui::CopyBlockOpaque(sheet, QRect(10, 10, 30, 5));
  ASSERT_EQ(block.size(), QSize(30, 5));
  EXPECT_FALSE(block.hasAlphaChannel());
  EXPECT_EQ(block.pixel(0, 0), sheet.pixel(10, 10));
  EXPECT_EQ(block.pixel(2, 2), qRgb(0, 0, 0));   // was transparent
  EXPECT_EQ(block.pixel(25, 1), qRgb(0, 0, 0));  // past the sheet's right edge
  EXPECT_TRUE(ui::CopyBlockOpaque(sheet, QRect(0, 0, 0, 3)).isNull());
}

}  // namespace
