// The start-up's images: decoded ahead on worker threads they are the same as decoded one by
// one, and the main window with its pages reads each image file of its skin once. Label
// "startup": these also run under ThreadSanitizer.
#include <QTest>

#include <map>
#include <string>

#include "platform/ui/ImageFile.h"
#include "platform/ui/ImagePrefetch.h"
#include "tests/app/AppFixture.h"
#include "tests/app/DefaultSkinImages.h"
#include "tests/platform/sys/OpenCounter.h"

namespace {

using apptest::AppFixture;
using apptest::DefaultSkinImages;
using testutil::OpenCounter;

TEST(StartupImagesTest, DecodedAheadTheyEqualThoseDecodedOneByOne) {
  const QStringList files = DefaultSkinImages();
  ASSERT_GT(files.size(), 30);
  ui::ImagePrefetch prefetch(files, ui::ImagePrefetch::kMaxThreads);
  // From the end: the first are being decoded while the last are taken.
  for (qsizetype i = files.size() - 1; i >= 0; --i) {
    const QImage ahead = ui::LoadImageFile(files[i]);
    ASSERT_FALSE(ahead.isNull()) << files[i].toStdString();
    EXPECT_EQ(ahead, ui::DecodeImageFile(files[i])) << files[i].toStdString();
  }
}

class StartupTest : public AppFixture, public ::testing::WithParamInterface<int> {};

// Decoded ahead or where each is loaded, every image file of the main window and its pages (and
// the program's icon) is read once, the sheet a page's background is cut from included.
TEST_P(StartupTest, EachImageFileOfTheSkinIsReadOnce) {
  programFolder = CopyProgramFolder();
  OpenCounter counter(programFolder + "/Skin");
  OpenCounter icons(programFolder + "/Icons");
  ASSERT_TRUE(counter.Watching());
  ASSERT_TRUE(icons.Watching());
  CKavrinDireZerudDlg::Options options = WindowOptions();
  options.imageDecodeThreads = GetParam();
  options.paintWaitMs = 0;
  window = std::make_unique<CKavrinDireZerudDlg>(options);
  // Not painted: Qt's raster engine fills large areas on a thread pool of its own, whose
  // hand-overs inside the Qt library ThreadSanitizer cannot see. The pages are skinned without
  // waiting for a paint.
  window->setUpdatesEnabled(false);
  window->Create();
  ASSERT_TRUE(apptest::EveryPageSkinned(*window));
  const std::map<std::string, int> opened = counter.Opened();
  for (const char* sheet : {"MainWindow_Normal.png", "KeyDefineSetting_Normal.png",
                            "LightSetting_Normal.png", "SensitivityThumb_Up.png"}) {
    EXPECT_EQ(opened.count(sheet), 1u) << sheet;
  }
  for (const auto& [file, times] : opened) EXPECT_EQ(times, 1) << file;
  // The program's icon, shown by the window and the tray.
  EXPECT_EQ(icons.Opens("128.png"), 1);
}

// What the first paint needs is decoded first: while the window initialises, the workers leave
// the images of the pages skinned after its first paint alone, so that they do not compete with
// it for the processor; those are decoded once it has been painted.
TEST_F(AppFixture, ThePagesSkinnedAfterTheFirstPaintAreDecodedAfterIt) {
  programFolder = CopyProgramFolder();
  OpenCounter counter(programFolder + "/Skin");
  ASSERT_TRUE(counter.Watching());
  CKavrinDireZerudDlg::Options options = WindowOptions();
  options.imageDecodeThreads = ui::ImagePrefetch::kMaxThreads;
  options.paintWaitMs = 0;
  window = std::make_unique<CKavrinDireZerudDlg>(options);
  window->setUpdatesEnabled(false);  // see EachImageFileOfTheSkinIsReadOnce
  window->Create();
  // Not painted yet: the event loop has not run.
  const std::map<std::string, int> opened = counter.Opened();
  EXPECT_EQ(opened.count("KeyDefineSetting_Normal.png"), 1u);
  EXPECT_EQ(opened.count("MousePicture_Normal.png"), 1u);
  for (const auto& [file, times] : opened) {
    EXPECT_TRUE(file.starts_with("MainWindow_") || file.starts_with("KeyDefineSetting_") ||
                file.starts_with("MousePicture_"))
        << file;
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return counter.Opens("LightSetting_Normal.png") == 1; },
                              uitest::kWaitMs));
}

INSTANTIATE_TEST_SUITE_P(DecodeThreads, StartupTest, ::testing::Values(0, 4),
                         [](const auto& info) { return "Threads" + std::to_string(info.param); });

}  // namespace
