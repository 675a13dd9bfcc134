#include "app/ApplicationSwitch.h"

#include <string>

#include "platform/desktop/ForegroundApplication.h"

namespace app {

int MatchApplicationMode(const settings::tagMODEINFO* modes, std::u16string_view processPath) {
  const std::u16string path = desktop::LowerCaseUtf16(processPath);
  for (int mode = 0; mode < settings::MODE_COUNT; ++mode) {
    const std::u16string stored = desktop::LowerCaseUtf16(settings::FieldText(modes[mode].appPath));
    if (stored.size() > 3 && path.find(stored) != std::u16string::npos) return mode;
  }
  return -1;
}

}  // namespace app
