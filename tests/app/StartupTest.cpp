// The start-up's images: decoded ahead on worker threads they are the same as decoded one by
// one, and the main window with its pages reads each image file of its skin once. Label
// "startup": these also run under ThreadSanitizer.
#include <sys/inotify.h>
#include <unistd.h>

#include <QDirIterator>
#include <QTest>

#include <map>

#include "platform/ui/ImageFile.h"
#include "platform/ui/ImagePrefetch.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppFixture;

// Every image file of the default skin (sheets, masks, menus, icons).
QStringList DefaultSkinImages() {
  QStringList files;
  QDirIterator it(QStringLiteral(KDZ_PROGRAM_DIR), {"*.png", "*.bmp"}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  return files;
}

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

// The number of times each file of a folder was opened, from inotify.
class OpenCounter {
 public:
  explicit OpenCounter(const std::string& folder)
      : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
        watch_(fd_ >= 0 ? inotify_add_watch(fd_, folder.c_str(), IN_OPEN) : -1) {}
  ~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Watching() const { return watch_ >= 0; }
  std::map<std::string, int> Opened() {
    alignas(inotify_event) char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* p = buffer; p < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(p);
        if (event->len > 0 && !(event->mask & IN_ISDIR)) ++opened_[event->name];
        p += sizeof(inotify_event) + event->len;
      }
    }
    return opened_;
  }

 private:
  int fd_;
  int watch_;
  std::map<std::string, int> opened_;
};

class StartupTest : public AppFixture, public ::testing::WithParamInterface<int> {};

// Decoded ahead or where each is loaded, every image file of the main window and its pages is
// read once, the sheet a page's background is cut from included.
TEST_P(StartupTest, EachImageFileOfTheSkinIsReadOnce) {
  programFolder = CopyProgramFolder();
  OpenCounter counter(programFolder + "/Skin");
  ASSERT_TRUE(counter.Watching());
  CKavrinDireZerudDlg::Options options = WindowOptions();
  options.imageDecodeThreads = GetParam();
  options.paintWaitMs = 0;
  window = std::make_unique<CKavrinDireZerudDlg>(options);
  // Not painted: Qt's raster engine fills large areas on a thread pool of its own, whose
  // hand-overs inside the Qt library ThreadSanitizer cannot see. The pages are skinned without
  // waiting for a paint.
  window->setUpdatesEnabled(false);
  window->Create();
  // Once every page has been skinned.
  ASSERT_TRUE(QTest::qWaitFor(
      [this] {
        for (CPageDialog* page : window->findChildren<CPageDialog*>(Qt::FindDirectChildrenOnly))
          if (!page->Initialised()) return false;
        return true;
      },
      uitest::kWaitMs));
  const std::map<std::string, int> opened = counter.Opened();
  for (const char* sheet : {"MainWindow_Normal.png", "KeyDefineSetting_Normal.png",
                            "LightSetting_Normal.png", "SensitivityThumb_Up.png"}) {
    EXPECT_EQ(opened.count(sheet), 1u) << sheet;
  }
  for (const auto& [file, times] : opened) EXPECT_EQ(times, 1) << file;
}

INSTANTIATE_TEST_SUITE_P(DecodeThreads, StartupTest, ::testing::Values(0, 4),
                         [](const auto& info) { return "Threads" + std::to_string(info.param); });

}  // namespace
