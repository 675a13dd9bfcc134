#include "platform/sys/ReadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sys {

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            static_cast<unsigned long long>(st.st_size) <= maxBytes;
  char buffer[4096];
  while (ok) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    out.append(buffer, static_cast<size_t>(n));
    ok = out.size() <= maxBytes;  // a file that grew while it was read
  }
  ::close(fd);
  if (!ok) out.clear();
  return ok;
}

}  // namespace sys
