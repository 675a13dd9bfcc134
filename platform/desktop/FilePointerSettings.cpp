#include "platform/desktop/FilePointerSettings.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/DataFolder.h"
#include "platform/sys/ReadFile.h"
#include "platform/sys/WinError.h"

namespace desktop {
namespace {

// A settings file is a few lines; anything much larger is not one.
constexpr size_t kMaxFileSize = 4096;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A decimal integer that fills `text` exactly (after trimming).
template <typename T>
bool ParseNumber(std::string_view text, T& out) {
  text = Trim(text);
  if (text.empty()) return false;
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  out = value;
  return true;
}

bool ParseAcceleration(std::string_view text, MouseAcceleration& out) {
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    const size_t comma = text.find(',');
    if ((i < 2) != (comma != std::string_view::npos)) return false;
    if (!ParseNumber(text.substr(0, comma), parts[i])) return false;
    if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
  }
  out = {parts[0], parts[1], parts[2]};
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

}  // namespace

bool ValidMouseSpeed(int speed) { return speed >= kMinMouseSpeed && speed <= kMaxMouseSpeed; }

bool ValidAcceleration(const MouseAcceleration& v) {
  return v.threshold1 >= 0 && v.threshold2 >= 0 && v.acceleration >= 0 && v.acceleration <= 2;
}

bool ValidWheelLines(int lines) { return lines >= kWheelOnePage && lines <= kMaxWheelLines; }

bool ValidDoubleClickTime(uint32_t ms) {
  return ms >= kMinDoubleClickTimeMs && ms <= kMaxDoubleClickTimeMs;
}

PointerValues ParsePointerValues(const std::string& text) {
  PointerValues values;
  std::string_view rest(text);
  while (!rest.empty()) {
    const size_t newline = rest.find('\n');
    const std::string_view line = Trim(rest.substr(0, newline));
    rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[' ||
        equals == std::string_view::npos)
      continue;
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = line.substr(equals + 1);
    if (key == "MouseSpeed") {
      int speed;
      if (ParseNumber(value, speed) && ValidMouseSpeed(speed)) values.mouseSpeed = speed;
    } else if (key == "MouseAcceleration") {
      MouseAcceleration a;
      if (ParseAcceleration(value, a) && ValidAcceleration(a)) values.acceleration = a;
    } else if (key == "WheelScrollLines") {
      int lines;
      if (ParseNumber(value, lines) && ValidWheelLines(lines)) values.wheelLines = lines;
    } else if (key == "DoubleClickTime") {
      uint32_t ms;
      if (ParseNumber(value, ms) && ValidDoubleClickTime(ms)) values.doubleClickTimeMs = ms;
    }
  }
  return values;
}

std::string FormatPointerValues(const PointerValues& v) {
  return "[Pointer]\nMouseSpeed=" + std::to_string(v.mouseSpeed) +
         "\nMouseAcceleration=" + std::to_string(v.acceleration.threshold1) + "," +
         std::to_string(v.acceleration.threshold2) + "," +
         std::to_string(v.acceleration.acceleration) +
         "\nWheelScrollLines=" + std::to_string(v.wheelLines) +
         "\nDoubleClickTime=" + std::to_string(v.doubleClickTimeMs) + "\n";
}

PointerSettingsFile::PointerSettingsFile(std::string path) : path_(std::move(path)) {
  if (!path_.empty()) {
    std::string text;  // a file that cannot be read is no settings: empty
    sys::ReadRegularFile(path_, kMaxFileSize, text);
    values_ = ParsePointerValues(text);
  }
}

PointerValues PointerSettingsFile::Values() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return values_;
}

bool PointerSettingsFile::Update(const std::function<void(PointerValues&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  PointerValues next = values_;
  change(next);
  if (next == values_) return true;
  if (!path_.empty()) {
    const std::string folder = FolderOf(path_);
    if (!folder.empty() && !sys::CreateFolders(folder)) return false;
    const std::string text = FormatPointerValues(next);
    if (sys::WriteFileAtomically(path_, text.data(), text.size()) != winerr::ERROR_SUCCESS)
      return false;
  }
  values_ = next;
  return true;
}

void NoteDesktopGovernsPointer() {
  static std::once_flag once;
  std::call_once(once, [] {
    std::fputs(
        "The desktop's own settings govern the pointer: the pointer speed and acceleration of "
        "a mode are kept, but may not take effect.\n",
        stderr);
  });
}

FilePointerSettings::FilePointerSettings(std::string path, bool quiet)
    : file_(std::move(path)), quiet_(quiet) {}

bool FilePointerSettings::GetMouseSpeed(int& speed) {
  speed = file_.Values().mouseSpeed;
  return true;
}

bool FilePointerSettings::SetMouseSpeed(int speed) {
  if (!ValidMouseSpeed(speed)) return false;
  if (!quiet_) NoteDesktopGovernsPointer();
  return file_.Update([&](PointerValues& v) { v.mouseSpeed = speed; });
}

bool FilePointerSettings::GetMouseAcceleration(MouseAcceleration& value) {
  value = file_.Values().acceleration;
  return true;
}

bool FilePointerSettings::SetMouseAcceleration(const MouseAcceleration& value) {
  if (!ValidAcceleration(value)) return false;
  if (!quiet_) NoteDesktopGovernsPointer();
  return file_.Update([&](PointerValues& v) { v.acceleration = value; });
}

bool FilePointerSettings::GetWheelScrollLines(int& lines) {
  lines = file_.Values().wheelLines;
  return true;
}

bool FilePointerSettings::SetWheelScrollLines(int lines) {
  if (!ValidWheelLines(lines)) return false;
  return file_.Update([&](PointerValues& v) { v.wheelLines = lines; });
}

bool FilePointerSettings::GetDoubleClickTime(uint32_t& ms) {
  ms = file_.Values().doubleClickTimeMs;
  return true;
}

bool FilePointerSettings::SetDoubleClickTime(uint32_t ms) {
  if (!ValidDoubleClickTime(ms)) return false;
  return file_.Update([&](PointerValues& v) { v.doubleClickTimeMs = ms; });
}

}  // namespace desktop
