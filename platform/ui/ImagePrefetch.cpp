#include "platform/ui/ImagePrefetch.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>

#include "platform/ui/ImageFile.h"

namespace ui {

struct ImagePrefetch::State {
  enum class Stage { Waiting, Decoding, Decoded, Dropped };
  struct Entry {
    QString path;  // never changed once the entry is made
    int owed = 0;
    Stage stage = Stage::Waiting;
    QImage image;
  };

  // The next entry no one has begun, marked as being decoded; null when there is none or the
  // rest is held back.
  Entry* Begin() {
    for (; next < order.size() && next < held; ++next) {
      Entry& entry = entries[order[next]];
      if (entry.stage == Stage::Waiting) {
        entry.stage = Stage::Decoding;
        ++next;
        return &entry;
      }
    }
    return nullptr;
  }
  void Finish(Entry& entry, QImage image) {
    ++decodes;
    entry.image = std::move(image);
    entry.stage = Stage::Decoded;
    done.notify_all();
  }
  void Work() {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      Entry* entry = Begin();
      if (!entry && next < entries.size()) {
        // The rest is held back: wait for the release (or the end).
        released.wait(hold, [&] { return next < held || next >= entries.size(); });
        continue;
      }
      if (!entry) return;
      hold.unlock();
      QImage image = DecodeImageFile(entry->path);
      hold.lock();
      Finish(*entry, std::move(image));
    }
  }
  std::optional<QImage> Take(const QString& path) {
    std::unique_lock<std::mutex> hold(lock);
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
      return e.owed > 0 && e.stage != Stage::Dropped && e.path == path;
    });
    if (found == entries.end()) return std::nullopt;
    Entry& entry = *found;
    if (entry.stage == Stage::Waiting) {
      // No worker has got to it yet: decoding it here is quicker than waiting for one.
      entry.stage = Stage::Decoding;
      hold.unlock();
      QImage image = DecodeImageFile(entry.path);
      hold.lock();
      Finish(entry, std::move(image));
    }
    done.wait(hold, [&] { return entry.stage == Stage::Decoded || entry.stage == Stage::Dropped; });
    if (entry.stage == Stage::Dropped) return std::nullopt;
    // The last hand-out leaves nothing behind.
    return --entry.owed > 0 ? entry.image : std::exchange(entry.image, QImage());
  }
  // Drops every image that is not being decoded and refuses later hand-outs of them; what is
  // being decoded is still handed out to those who wait for it.
  void Drop() {
    std::lock_guard<std::mutex> hold(lock);
    for (Entry& entry : entries) {
      if (entry.stage == Stage::Decoding) continue;
      entry.stage = Stage::Dropped;
      entry.image = QImage();
    }
    next = entries.size();
    done.notify_all();
    released.notify_all();
  }
  void Release() {
    std::lock_guard<std::mutex> hold(lock);
    held = entries.size();
    released.notify_all();
  }
  // Moves the waiting entries of `paths`, in their order, ahead of every other entry not begun
  // yet; those that were held back are no longer.
  void Prefer(const QStringList& paths) {
    std::lock_guard<std::mutex> hold(lock);
    size_t at = next;
    for (const QString& path : paths) {
      const auto first = order.begin() + static_cast<std::ptrdiff_t>(at);
      const auto found = std::find_if(first, order.end(), [&](size_t i) {
        return entries[i].stage == Stage::Waiting && entries[i].path == path;
      });
      if (found == order.end()) continue;
      if (static_cast<size_t>(found - order.begin()) >= held) ++held;
      std::rotate(first, found, found + 1);
      ++at;
    }
    released.notify_all();
  }

  mutable std::mutex lock;
  std::condition_variable done;
  std::condition_variable released;
  std::vector<Entry> entries;  // in the order of the paths; its size never changes
  std::vector<size_t> order;   // the entries' indices in the order the workers begin them
  size_t next = 0;             // the entries of order before it have all been begun
  size_t held = SIZE_MAX;      // the workers begin none of order from it on
  int decodes = 0;
};

namespace {

// The prefetches alive, which LoadImageFile asks.
std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}
std::vector<std::shared_ptr<ImagePrefetch::State>>& Registry() {
  static auto* registry = new std::vector<std::shared_ptr<ImagePrefetch::State>>;
  return *registry;
}

}  // namespace

ImagePrefetch::ImagePrefetch(const QStringList& paths, int threads, qsizetype held)
    : state_(std::make_shared<State>()) {
  for (qsizetype i = 0; i < paths.size(); ++i) {
    const QString& path = paths[i];
    // The entries made so far are those of the paths before `held`.
    if (i == held) state_->held = state_->entries.size();
    if (path.isEmpty()) continue;
    auto same = std::find_if(state_->entries.begin(), state_->entries.end(),
                             [&](const State::Entry& e) { return e.path == path; });
    if (same == state_->entries.end()) {
      state_->entries.emplace_back();
      state_->entries.back().path = path;
      same = state_->entries.end() - 1;
    }
    ++same->owed;
  }
  for (size_t i = 0; i < state_->entries.size(); ++i) state_->order.push_back(i);
  {
    std::lock_guard<std::mutex> hold(RegistryLock());
    Registry().push_back(state_);
  }
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int count =
      std::min({threads, cores, static_cast<int>(state_->entries.size())});
  if (count > 0 && !QCoreApplication::instance()) {
    // Begun before the application exists, the workers must leave alone what its construction
    // sets up. Qt takes the first thread that uses its thread data for the main thread: this
    // one, not a worker. And the image readers' plugin loader reads the library paths when it is
    // made, which the construction resets without a lock: it is made here, now, by a reader of a
    // built-in format, which reads the plugins' descriptions and loads none of them.
    QThread::currentThread();
    QBuffer nothing;
    nothing.open(QIODevice::ReadOnly);
    QImageReader reader(&nothing, "png");
    reader.setAutoDetectImageFormat(false);
    reader.canRead();
  }
  for (int i = 0; i < count; ++i) workers_.emplace_back([state = state_] { state->Work(); });
}

ImagePrefetch::~ImagePrefetch() {
  {
    std::lock_guard<std::mutex> hold(RegistryLock());
    std::erase(Registry(), state_);
  }
  state_->Drop();
  for (std::thread& worker : workers_) worker.join();
  // What the workers were still decoding is let go too.
  state_->Drop();
}

void ImagePrefetch::Release() { state_->Release(); }

void ImagePrefetch::Prefer(const QStringList& paths) { state_->Prefer(paths); }

int ImagePrefetch::DefaultThreads() {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return std::min(cores, kMaxThreads);
}

std::optional<QImage> ImagePrefetch::Take(const QString& path) {
  std::vector<std::shared_ptr<State>> live;
  {
    std::lock_guard<std::mutex> hold(RegistryLock());
    live = Registry();
  }
  for (const std::shared_ptr<State>& state : live) {
    if (std::optional<QImage> image = state->Take(path)) return image;
  }
  return std::nullopt;
}

int ImagePrefetch::Owed(const QString& path) const {
  std::lock_guard<std::mutex> hold(state_->lock);
  for (const State::Entry& entry : state_->entries) {
    if (entry.path == path) return entry.stage == State::Stage::Dropped ? 0 : entry.owed;
  }
  return 0;
}

int ImagePrefetch::Decodes() const {
  std::lock_guard<std::mutex> hold(state_->lock);
  return state_->decodes;
}

}  // namespace ui
