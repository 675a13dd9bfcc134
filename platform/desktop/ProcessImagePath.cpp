#include <stdlib.h>
#include <unistd.h>

#include <QChar>
#include <string>

#include "platform/desktop/ForegroundApplication.h"
#include "platform/sys/Utf.h"

namespace desktop {

std::string ProcessExecutablePath(int pid) {
  if (pid <= 0) return {};
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  // The link's length is not known beforehand (lstat gives 0 for /proc links): grow until the
  // whole path fits.
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(link.c_str(), path.data(), path.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < path.size()) {
      path.resize(static_cast<size_t>(n));
      break;
    }
    if (path.size() >= (size_t{1} << 20)) return {};
    path.resize(path.size() * 2);
  }
  return path;
}

std::u16string GetProcessImagePath(int pid) {
  const std::string path = ProcessExecutablePath(pid);
  if (path.empty()) return kUnknownImagePath;
  return sys::FromUtf8(path);
}

std::u16string ResolvedPath(std::u16string_view path) {
  if (path.empty()) return {};
  char* resolved = ::realpath(sys::ToUtf8(path).c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::u16string out = sys::FromUtf8(resolved);
  ::free(resolved);
  return out;
}

std::u16string LowerCaseUtf16(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& unit : out) {
    if (QChar::isSurrogate(unit)) continue;
    const char32_t lower = QChar::toLower(static_cast<char32_t>(unit));
    // A unit whose lower-case form lies beyond the BMP (there are none today) stays as it is.
    if (lower <= 0xFFFF) unit = static_cast<char16_t>(lower);
  }
  return out;
}

}  // namespace desktop
