#include "platform/sys/DataFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace sys {
namespace {

std::mutex g_overrideLock;
std::string g_override;

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// $NAME when it holds an absolute path (a relative one is invalid and ignored, as the XDG base
// directory rules ask), else the home folder joined with `fallback`; empty without either.
std::string XdgFolder(const char* name, const char* fallback) {
  const char* xdg = std::getenv(name);
  if (xdg != nullptr && xdg[0] == '/') return WithoutTrailingSlashes(xdg);
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return WithoutTrailingSlashes(home) + fallback;
}

}  // namespace

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  // No usable $HOME: the account database knows the home folder.
  std::vector<char> buf(16384);
  struct passwd pw {};
  struct passwd* result = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result != nullptr &&
      result->pw_dir != nullptr && result->pw_dir[0] == '/') {
    return result->pw_dir;
  }
  return {};
}

std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string DataFolder() {
  {
    std::lock_guard<std::mutex> lock(g_overrideLock);
    if (!g_override.empty()) return WithoutTrailingSlashes(g_override);
  }
  return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

void SetDataFolderOverride(std::string folder) {
  std::lock_guard<std::mutex> lock(g_overrideLock);
  g_override = std::move(folder);
}

bool CreateFolders(const std::string& folder) {
  if (folder.empty()) return false;
  if (IsDirectory(folder)) return true;
  // Create each level in turn; a level that exists already is fine.
  for (size_t pos = folder.find('/', 1); ; pos = folder.find('/', pos + 1)) {
    const std::string level = folder.substr(0, pos);
    if (!level.empty() && level.back() != '/' && mkdir(level.c_str(), 0700) != 0 &&
        errno != EEXIST) {
      return false;
    }
    if (pos == std::string::npos) break;
  }
  return IsDirectory(folder);
}

bool DataSubfolder(std::string_view subfolder, std::string& out) {
  const std::string base = DataFolder();
  if (base.empty()) return false;
  std::string folder = base;
  if (!subfolder.empty()) {
    if (subfolder.front() != '/') folder += '/';
    folder += subfolder;
  }
  folder = WithoutTrailingSlashes(std::move(folder));
  if (!CreateFolders(folder)) return false;
  out = std::move(folder);
  return true;
}

}  // namespace sys
