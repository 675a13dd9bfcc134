#include "platform/desktop/PointerSettings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdio>
#include <vector>

#include "platform/desktop/FilePointerSettings.h"
#include "platform/desktop/X11PointerSettings.h"

namespace desktop {
namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  std::vector<char> buf(16384);
  struct passwd pw {};
  struct passwd* result = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result != nullptr &&
      result->pw_dir != nullptr && result->pw_dir[0] == '/') {
    return result->pw_dir;
  }
  return {};
}

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::string PointerSettingsFilePath() {
  std::string folder;
  // A relative $XDG_CONFIG_HOME is invalid and is ignored, as the XDG base directory rules ask.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    folder = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    folder = home + "/.config";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder + "/Kavrin-DireZerud/pointer.ini";
}

std::unique_ptr<PointerSettings> CreatePointerSettings() {
  const std::string path = PointerSettingsFilePath();
  if (IsSet("DISPLAY")) {
    if (std::unique_ptr<X11PointerSettings> x = X11PointerSettings::Open({}, path)) {
      if (IsSet("WAYLAND_DISPLAY")) NoteDesktopGovernsPointer();
      return x;
    }
    std::fprintf(stderr, "The X server of DISPLAY=%s cannot be reached.\n", std::getenv("DISPLAY"));
  }
  return std::make_unique<FilePointerSettings>(path);
}

}  // namespace desktop
