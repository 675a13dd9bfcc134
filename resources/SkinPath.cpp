#include "resources/SkinPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/sys/ProgramFolder.h"
#include "platform/sys/Utf.h"

namespace resources {
namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
           return fold(x) == fold(y);
         });
}

// The entry of `folder` whose name equals `name` ignoring ASCII case; `name` itself when there
// is none. An exact match is preferred over a case-folded one.
std::string FindEntry(const std::string& folder, const std::string& name) {
  if (Exists(folder + "/" + name)) return name;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return name;
  std::string found = name;
  while (const dirent* e = readdir(dir)) {
    if (EqualNoCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string SkinPath(const std::string& programFolder, std::u16string_view value) {
  const std::string joined = sys::JoinPath(programFolder, sys::ToUtf8(value));
  if (Exists(joined) || value.empty()) return joined;

  std::string rel = sys::ToUtf8(value);
  std::replace(rel.begin(), rel.end(), '\\', '/');
  std::string path = programFolder.empty() ? "." : programFolder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  size_t pos = 0;
  while (pos <= rel.size()) {
    size_t end = rel.find('/', pos);
    if (end == std::string::npos) end = rel.size();
    const std::string part = rel.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".") continue;
    const std::string entry = part == ".." ? part : FindEntry(path, part);
    path = (path == "/" ? "" : path) + "/" + entry;
  }
  return path;
}

}  // namespace resources
