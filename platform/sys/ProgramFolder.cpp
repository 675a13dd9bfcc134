#include "platform/sys/ProgramFolder.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace sys {

std::string ProgramFolder() {
  std::vector<char> buf(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return ".";
    if (static_cast<size_t>(n) < buf.size()) {
      std::string exe(buf.data(), static_cast<size_t>(n));
      const auto slash = exe.rfind('/');
      if (slash == std::string::npos) return ".";
      if (slash == 0) return "/";
      return exe.substr(0, slash);
    }
    buf.resize(buf.size() * 2);  // the path may be longer than any fixed buffer
  }
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string rel = name;
  std::replace(rel.begin(), rel.end(), '\\', '/');
  while (!rel.empty() && rel.front() == '/') rel.erase(rel.begin());
  if (folder.empty()) return rel;
  if (folder.back() == '/') return folder + rel;
  return folder + "/" + rel;
}

}  // namespace sys
