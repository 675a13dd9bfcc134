#include "platform/sys/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

#include "platform/sys/WinError.h"

namespace sys {
namespace {

// The process's umask, read without changing it (umask(2) can only be read by setting it, which
// would race with other threads creating files).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
    }
  }
  return 022;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

SyncObserver& Observer() {
  static SyncObserver observer;
  return observer;
}

void Synced(const std::string& path) {
  if (Observer()) Observer()(path);
}

// Temporary files are named kTemporaryPrefix and six letters or digits: short, so that they fit
// wherever the final name fits, and the program's own, so that the clean-up in folders shared
// with other programs takes nothing else.
constexpr std::string_view kTemporaryPrefix = ".Kavrin-DireZerud.tmp-";
constexpr size_t kTemporaryRandomLength = 6;
constexpr std::string_view kTemporaryCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Names tried before giving up when each is taken already.
constexpr int kTemporaryAttempts = 100;

bool IsAsciiAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string TemporaryName() {
  unsigned char random[kTemporaryRandomLength];
  if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
    // No random source: the clock and a count still differ from one call to the next.
    static std::atomic<uint64_t> calls{0};
    uint64_t v = static_cast<uint64_t>(
                     std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (calls.fetch_add(1) << 48) ^ static_cast<uint64_t>(::getpid());
    for (unsigned char& b : random) {
      b = static_cast<unsigned char>(v >> 56);
      v = v * 6364136223846793005ull + 1442695040888963407ull;
    }
  }
  std::string name(kTemporaryPrefix);
  for (unsigned char b : random) name += kTemporaryCharacters[b % kTemporaryCharacters.size()];
  return name;
}

// Creates a new temporary file in the folder `dir` and gives its name; -1 with errno set when
// none can be made.
int CreateTemporaryFile(int dir, std::string& name) {
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    name = TemporaryName();
    const int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
  Synced(folder);
}

void SetSyncObserver(SyncObserver observer) { Observer() = std::move(observer); }

bool IsTemporaryFileName(std::string_view name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomLength) return false;
  if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) return false;
  for (char c : name.substr(kTemporaryPrefix.size())) {
    if (!IsAsciiAlphanumeric(c)) return false;
  }
  return true;
}

int RemoveLeftoverTemporaryFiles(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return 0;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return 0;
  }
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryFileName(entry->d_name)) continue;
    struct stat st {};
    if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (::unlinkat(fd, entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);  // closes fd
  return removed;
}

int WriteFileAtomically(const std::string& path, const void* data, size_t size,
                        FolderSync folderSync) {
  if (path.empty() || path.back() == '/') return winerr::ERROR_INVALID_PARAMETER;
  if (data == nullptr && size > 0) return winerr::ERROR_INVALID_PARAMETER;

  const std::string folder = FolderOf(path);
  const std::string name = path.substr(path.rfind('/') + 1);  // npos + 1 is 0
  // Reached through the folder, the temporary file's path is no longer than the folder's.
  const int dir = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return winerr::FromErrno(errno);
  std::string temp;
  const int fd = CreateTemporaryFile(dir, temp);
  if (fd < 0) {
    const int err = errno;
    ::close(dir);
    return winerr::FromErrno(err);
  }

  int err = 0;
  struct stat old {};
  const mode_t mode = (::fstatat(dir, name.c_str(), &old, 0) == 0 && S_ISREG(old.st_mode))
                          ? (old.st_mode & 07777)
                          : (0666 & ~CurrentUmask());
  if (::fchmod(fd, mode) != 0) err = errno;
  if (err == 0 && !WriteAll(fd, static_cast<const unsigned char*>(data), size)) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (err == 0) Synced(path);
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::renameat(dir, temp.c_str(), dir, name.c_str()) != 0) err = errno;
  if (err != 0) ::unlinkat(dir, temp.c_str(), 0);
  ::close(dir);
  if (err != 0) return winerr::FromErrno(err);
  if (folderSync == FolderSync::Now) SyncFolder(folder);
  return winerr::ERROR_SUCCESS;
}

}  // namespace sys
