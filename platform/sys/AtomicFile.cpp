#include "platform/sys/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>
#include <vector>

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

constexpr std::string_view kTemporarySuffix = ".tmp-";
constexpr size_t kTemporaryRandomLength = 6;  // mkostemp's XXXXXX

bool IsAsciiAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
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
  const size_t tail = kTemporarySuffix.size() + kTemporaryRandomLength;
  if (name.size() <= tail) return false;
  const std::string_view suffix = name.substr(name.size() - tail);
  if (suffix.substr(0, kTemporarySuffix.size()) != kTemporarySuffix) return false;
  for (char c : suffix.substr(kTemporarySuffix.size())) {
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

  std::vector<char> temp(path.begin(), path.end());
  static constexpr char kSuffix[] = ".tmp-XXXXXX";
  temp.insert(temp.end(), kSuffix, kSuffix + sizeof kSuffix);  // includes the terminator
  static_assert(std::string_view(kSuffix).size() ==
                kTemporarySuffix.size() + kTemporaryRandomLength);
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return winerr::FromErrno(errno);

  int err = 0;
  struct stat old {};
  const mode_t mode = (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                          ? (old.st_mode & 07777)
                          : (0666 & ~CurrentUmask());
  if (::fchmod(fd, mode) != 0) err = errno;
  if (err == 0 && !WriteAll(fd, static_cast<const unsigned char*>(data), size)) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (err == 0) Synced(path);
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.data(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.data());
    return winerr::FromErrno(err);
  }
  if (folderSync == FolderSync::Now) SyncFolder(FolderOf(path));
  return winerr::ERROR_SUCCESS;
}

}  // namespace sys
