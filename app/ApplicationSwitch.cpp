#include "app/ApplicationSwitch.h"

#include <QChar>

namespace app {

std::u16string LowerCaseUnits(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (!QChar::isSurrogate(c)) c = static_cast<char16_t>(QChar::toLower(static_cast<char32_t>(c)));
  }
  return out;
}

int MatchApplicationMode(const settings::tagMODEINFO* modes, std::u16string_view processPath) {
  const std::u16string path = LowerCaseUnits(processPath);
  for (int mode = 0; mode < settings::MODE_COUNT; ++mode) {
    const std::u16string stored = LowerCaseUnits(settings::FieldText(modes[mode].appPath));
    if (stored.size() > 3 && path.find(stored) != std::u16string::npos) return mode;
  }
  return -1;
}

}  // namespace app
