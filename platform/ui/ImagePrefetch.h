#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <thread>
#include <vector>

// Image files decoded ahead of their use on a few worker threads, so that a window's skin
// loader finds its images decoded instead of decoding them one after the other itself.
namespace ui {

// While an ImagePrefetch lives, LoadImageFile takes the images it was asked for from it: a
// decoded image at once, one being decoded once its worker is done, and one no worker has
// begun yet is decoded by the caller itself, so nobody waits behind images it does not need.
// A path given n times is decoded once and handed out n times; after its last hand-out the
// prefetch lets it go, and whatever was not taken goes with the object, so nothing decoded here
// is kept beyond the start-up it serves. Thread-safe.
class ImagePrefetch {
 public:
  // Starts decoding `paths` in their order (empty paths are skipped) on `threads` workers, at
  // most one per core and one per distinct path; with 0 threads (or fewer) nothing is decoded
  // ahead and each image is decoded when it is first taken. The workers hold back from the
  // paths from index `held` on (none when `held` is negative or beyond the list) until Release:
  // what a start needs first is decoded without the rest competing with it. The workers end
  // when every path has been begun. It may be made before the QApplication, on the thread that
  // is to make it, which may make it while the workers decode.
  ImagePrefetch(const QStringList& paths, int threads, qsizetype held = -1);
  // Decodes that have not begun are dropped and those under way are waited for.
  ~ImagePrefetch();
  ImagePrefetch(const ImagePrefetch&) = delete;
  ImagePrefetch& operator=(const ImagePrefetch&) = delete;

  // Lets the workers go on to the paths held back.
  void Release();
  // Lets the workers begin the images of `paths` (those not begun yet, in their order) before
  // any other, held back or not: what is needed now is decoded in parallel.
  void Prefer(const QStringList& paths);

  // The worker count of the default pool: one per core, at most kMaxThreads.
  static int DefaultThreads();
  static constexpr int kMaxThreads = 4;

  // The image of `path` from a live prefetch that still owes it a hand-out (a null image when
  // the file is missing or cannot be decoded); nothing when no prefetch was asked for it.
  static std::optional<QImage> Take(const QString& path);

  // How many hand-outs of `path` this prefetch still owes.
  int Owed(const QString& path) const;
  // How many files it has decoded so far, on its workers or for a caller.
  int Decodes() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
  std::vector<std::thread> workers_;
};

}  // namespace ui
