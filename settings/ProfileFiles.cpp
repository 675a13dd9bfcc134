#include "settings/ProfileFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/WinError.h"

namespace settings {

namespace {

// Up to `n` bytes of an existing regular file, in `out` (resized to what was read); false when
// the file cannot be opened or a read fails part-way.
bool ReadUpTo(const std::string& path, size_t n, std::vector<unsigned char>& out) {
  // Non-blocking, so that a FIFO standing in the file's place cannot hold the program up; it has
  // no effect on the regular files that are read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out.resize(n);
  size_t got = 0;
  bool ok = true;
  while (got < n) {
    const ssize_t r = ::read(fd, out.data() + got, n - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (r == 0) break;  // end of a shorter file
    got += static_cast<size_t>(r);
  }
  ::close(fd);
  out.resize(got);
  return ok;
}

}  // namespace

bool ReadFileToBuffer(const std::string& path, void* buffer, size_t n) {
  if (buffer == nullptr) return false;
  // Read into scratch first, so that an error part-way leaves the record as it was rather than
  // half overwritten.
  std::vector<unsigned char> scratch;
  if (!ReadUpTo(path, n, scratch)) return false;
  if (!scratch.empty()) std::memcpy(buffer, scratch.data(), scratch.size());
  return true;
}

ReadResult ReadExactFileToBuffer(const std::string& path, void* buffer, size_t n) {
  if (buffer == nullptr) return ReadResult::Unreadable;
  // One byte more than wanted tells a longer file without reading all of it.
  std::vector<unsigned char> scratch;
  if (!ReadUpTo(path, n + 1, scratch)) return ReadResult::Unreadable;
  if (scratch.size() != n) return ReadResult::WrongSize;
  std::memcpy(buffer, scratch.data(), n);
  return ReadResult::Read;
}

bool WriteBufferToFile(const std::string& path, const void* buffer, size_t n,
                       sys::FolderSync folderSync) {
  return sys::WriteFileAtomically(path, buffer, n, folderSync) == winerr::ERROR_SUCCESS;
}

std::string DefaultFilePath(const std::string& folder, int mode) {
  return folder + "/default" + std::to_string(mode);
}

std::string SequenceFilePath(const std::string& folder) {
  return folder + "/" + SEQUENCE_FILE_NAME;
}

}  // namespace settings
