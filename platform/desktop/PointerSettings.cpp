#include "platform/desktop/PointerSettings.h"

#include <cstdlib>
#include <cstdio>

#include "platform/desktop/FilePointerSettings.h"
#include "platform/desktop/X11PointerSettings.h"
#include "platform/sys/DataFolder.h"

namespace desktop {
namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::string PointerSettingsFilePath() {
  const std::string folder = sys::ConfigFolder();
  if (folder.empty()) return {};
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
