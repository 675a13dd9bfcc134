#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/desktop/PointerSettings.h"

namespace desktop {

// The pointer values the layer keeps itself, and the small settings file that holds them:
//
//   [Pointer]
//   MouseSpeed=10
//   MouseAcceleration=6,10,1
//   WheelScrollLines=3
//   DoubleClickTime=500
//
// A missing file, a missing key or a value out of range gives the default (the values above).
// Every change rewrites the whole file atomically.
struct PointerValues {
  int mouseSpeed = kDefaultMouseSpeed;
  MouseAcceleration acceleration = kPrecisionOn;
  int wheelLines = kDefaultWheelLines;
  uint32_t doubleClickTimeMs = kDefaultDoubleClickTimeMs;
  friend bool operator==(const PointerValues&, const PointerValues&) = default;
};

bool ValidMouseSpeed(int speed);
bool ValidAcceleration(const MouseAcceleration& value);
bool ValidWheelLines(int lines);
bool ValidDoubleClickTime(uint32_t ms);

// The values the text of a settings file gives (defaults for what it lacks or spoils).
PointerValues ParsePointerValues(const std::string& text);
std::string FormatPointerValues(const PointerValues& values);

// The values of one settings file, read once when constructed and written back on every change.
// An empty path keeps them in memory only. Thread-safe.
class PointerSettingsFile {
 public:
  explicit PointerSettingsFile(std::string path);

  PointerValues Values() const;
  // Applies `change` to a copy of the values and writes the file; the values change only when
  // the file was written (or there is none). False when the write failed.
  bool Update(const std::function<void(PointerValues&)>& change);

  const std::string& Path() const { return path_; }

 private:
  const std::string path_;
  mutable std::mutex mutex_;
  PointerValues values_;
};

// The backend without a desktop to hand the values to: all four kept in the settings file. The
// speed and acceleration do not reach the pointer; a set of either says so on standard error,
// once per process (unless `quiet`).
class FilePointerSettings : public PointerSettings {
 public:
  explicit FilePointerSettings(std::string path, bool quiet = false);

  bool GetMouseSpeed(int& speed) override;
  bool SetMouseSpeed(int speed) override;
  bool GetMouseAcceleration(MouseAcceleration& value) override;
  bool SetMouseAcceleration(const MouseAcceleration& value) override;
  bool GetWheelScrollLines(int& lines) override;
  bool SetWheelScrollLines(int lines) override;
  bool GetDoubleClickTime(uint32_t& ms) override;
  bool SetDoubleClickTime(uint32_t ms) override;

 private:
  PointerSettingsFile file_;
  bool quiet_;
};

// Says once per process, on standard error, that the desktop's own settings govern the pointer.
void NoteDesktopGovernsPointer();

}  // namespace desktop
