#include "app/ApplicationSwitch.h"

#include "platform/desktop/ForegroundApplication.h"

namespace app {
namespace {

// The rule counts the stored text: a longer target does not make a short path match.
constexpr size_t kShortestMatchingPath = 4;

}  // namespace

void ApplicationPaths::Update(const settings::tagMODEINFO* modes) {
  for (int mode = 0; mode < settings::MODE_COUNT; ++mode) {
    const std::u16string_view text = settings::FieldText(modes[mode].appPath);
    ModePath& path = paths_[mode];
    if (text == path.stored) continue;
    lastKnown_ = false;
    path.stored = text;
    path.lower.clear();
    path.resolved.clear();
    if (text.size() < kShortestMatchingPath) continue;
    path.lower = desktop::LowerCaseUtf16(text);
    // A bare name such as "xcalc" matches any folder: it names no file to follow.
    if (text.front() == u'/') path.resolved = desktop::LowerCaseUtf16(desktop::ResolvedPath(text));
  }
}

bool ApplicationPaths::AnyMatchable() const {
  for (const ModePath& path : paths_) {
    if (!path.lower.empty()) return true;
  }
  return false;
}

int ApplicationPaths::Match(std::u16string_view processPath) {
  if (lastKnown_ && processPath == lastProcess_) return lastMode_;
  lastMode_ = MatchAnew(processPath);
  lastProcess_ = processPath;
  lastKnown_ = true;
  return lastMode_;
}

int ApplicationPaths::MatchAnew(std::u16string_view processPath) const {
  const std::u16string process = desktop::LowerCaseUtf16(processPath);
  for (int mode = 0; mode < settings::MODE_COUNT; ++mode) {
    const ModePath& path = paths_[mode];
    if (path.lower.empty()) continue;
    if (process.find(path.lower) != std::u16string::npos) return mode;
    if (!path.resolved.empty() && process.find(path.resolved) != std::u16string::npos)
      return mode;
  }
  return -1;
}

}  // namespace app
