#include "platform/ui/ImagePrefetch.h"

#include <gtest/gtest.h>

#include <QTest>

#include "platform/ui/ImageFile.h"
#include "tests/platform/sys/BlockingPipe.h"
#include "tests/platform/sys/OpenCounter.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace {

using uitest::Solid;

class ImagePrefetchTest : public ::testing::Test {
 protected:
  // Waits until `prefetch` has decoded `count` files.
  static bool Decoded(const ui::ImagePrefetch& prefetch, int count) {
    return QTest::qWaitFor([&] { return prefetch.Decodes() >= count; }, uitest::kWaitMs);
  }

  uitest::TempDir dir;
  const QImage red = Solid(8, 6, Qt::red).convertToFormat(QImage::Format_RGB32);
  const QImage blue = Solid(8, 6, Qt::blue).convertToFormat(QImage::Format_RGB32);
};

// What was decoded ahead is what the loader gets, as often as it was asked for, and then the
// file is read again: a change to it after the decode shows only then.
TEST_F(ImagePrefetchTest, EachPathIsDecodedOnceAndHandedOutAsOftenAsAskedFor) {
  const QString a = dir.Save("a.png", red);
  const QString b = dir.Save("b.png", blue);
  ui::ImagePrefetch prefetch({a, b, a, QString()}, 2);
  ASSERT_TRUE(Decoded(prefetch, 2));
  EXPECT_EQ(prefetch.Owed(a), 2);
  dir.Save("a.png", blue);

  EXPECT_EQ(ui::LoadImageFile(a).convertToFormat(QImage::Format_RGB32), red);
  EXPECT_EQ(prefetch.Owed(a), 1);
  EXPECT_EQ(ui::LoadImageFile(a).convertToFormat(QImage::Format_RGB32), red);
  EXPECT_EQ(prefetch.Owed(a), 0);
  EXPECT_EQ(ui::LoadImageFile(a).convertToFormat(QImage::Format_RGB32), blue);
  EXPECT_EQ(ui::LoadImageFile(b).convertToFormat(QImage::Format_RGB32), blue);
  EXPECT_EQ(prefetch.Decodes(), 2);
  // A path it was not asked for is not its business.
  EXPECT_FALSE(ui::ImagePrefetch::Take(dir.File("c.png")).has_value());
}

// Without workers (or before one gets to it) the caller decodes the image itself when it first
// asks, once for all its hand-outs.
TEST_F(ImagePrefetchTest, WhatNoWorkerHasBegunIsDecodedByTheCaller) {
  const QString a = dir.Save("a.png", red);
  ui::ImagePrefetch prefetch({a, a}, 0);
  dir.Save("a.png", blue);
  EXPECT_EQ(prefetch.Decodes(), 0);
  EXPECT_EQ(ui::LoadImageFile(a).convertToFormat(QImage::Format_RGB32), blue);
  dir.Save("a.png", red);
  EXPECT_EQ(ui::LoadImageFile(a).convertToFormat(QImage::Format_RGB32), blue);
  EXPECT_EQ(prefetch.Decodes(), 1);
}

// Three files, and the opens of each from then on: the order in which the workers begin them.
class ImagePrefetchOrderTest : public ImagePrefetchTest {
 protected:
  void SetUp() override { ASSERT_TRUE(counter.Watching()); }

  const QString a = dir.Save("a.png", red);
  const QString b = dir.Save("b.png", blue);
  const QString c = dir.Save("c.png", red);
  testutil::OpenCounter counter{dir.path()};
};

// The paths from the hold point on wait for the release: the workers leave them alone (their
// files are not even opened), a caller that asks for one decodes it itself, and once released
// the workers go on to the rest. A prefetch that goes without the release ends its workers.
TEST_F(ImagePrefetchOrderTest, WhatIsHeldBackWaitsForTheReleaseOrForItsCaller) {
  {
    ui::ImagePrefetch prefetch({a, b, c}, 3, 1);
    ASSERT_TRUE(Decoded(prefetch, 1));
    EXPECT_EQ(counter.Opens("b.png"), 0);
    EXPECT_EQ(counter.Opens("c.png"), 0);
    EXPECT_EQ(ui::LoadImageFile(c).convertToFormat(QImage::Format_RGB32), red);
    EXPECT_EQ(prefetch.Decodes(), 2);
    prefetch.Release();
    ASSERT_TRUE(Decoded(prefetch, 3));
    EXPECT_EQ(ui::LoadImageFile(b).convertToFormat(QImage::Format_RGB32), blue);
    EXPECT_EQ(counter.Opens("b.png"), 1);
    EXPECT_EQ(counter.Opens("c.png"), 1);
  }
  ui::ImagePrefetch unreleased({a, b}, 2, 1);
  ASSERT_TRUE(Decoded(unreleased, 1));
}

// What is preferred is begun next, before the rest and whether it was held back or not.
TEST_F(ImagePrefetchOrderTest, WhatIsPreferredIsBegunNextHeldBackOrNot) {
  ui::ImagePrefetch prefetch({a, b, c}, 1, 1);
  ASSERT_TRUE(Decoded(prefetch, 1));
  prefetch.Prefer({c});
  ASSERT_TRUE(Decoded(prefetch, 2));
  EXPECT_EQ(counter.Opens("c.png"), 1);
  EXPECT_EQ(counter.Opens("b.png"), 0);
  EXPECT_EQ(prefetch.Owed(c), 1);
}

// A file that cannot be an image is a missing image, from a worker as from the caller, and
// nothing waits for a named pipe.
TEST_F(ImagePrefetchTest, AFileThatIsNoImageIsAMissingImage) {
  const testutil::BlockingPipe pipe(dir.File("pipe.png").toStdString(), uitest::kWaitMs);
  ASSERT_TRUE(pipe.Made());
  const QStringList bad = {dir.File("missing.png"), dir.Write("junk.png", "not an image"),
                           dir.Path(), dir.File("pipe.png"), QStringLiteral("/dev/zero")};
  const QString good = dir.Save("good.png", red);
  for (int threads : {0, 4}) {
    ui::ImagePrefetch prefetch(bad + QStringList{good}, threads);
    for (const QString& path : bad) {
      EXPECT_TRUE(ui::LoadImageFile(path).isNull()) << path.toStdString() << ", " << threads;
      EXPECT_EQ(prefetch.Owed(path), 0);
    }
    EXPECT_FALSE(ui::LoadImageFile(good).isNull());
  }
  EXPECT_FALSE(pipe.Blocked());
}

// Nothing is kept once the prefetch has gone: what was not taken is let go, and the loader
// reads the file as it is then.
TEST_F(ImagePrefetchTest, WhatWasNotTakenGoesWithThePrefetch) {
  const QString a = dir.Save("a.png", red);
  {
    ui::ImagePrefetch prefetch({a}, 1);
    ASSERT_TRUE(Decoded(prefetch, 1));
  }
  dir.Save("a.png", blue);
  EXPECT_FALSE(ui::ImagePrefetch::Take(a).has_value());
  EXPECT_EQ(ui::LoadImageFile(a).convertToFormat(QImage::Format_RGB32), blue);
}

}  // namespace
