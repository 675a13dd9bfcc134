#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sim/SimulatedMouse.h"

// Keeps what the simulated mouse holds across restarts of the program, as the real mouse keeps
// its flash and configuration while unplugged: the six flash blocks, the DPI level and
// report-rate index of each mode, and the current mode.
//
// File layout (little-endian, kStateFileSize bytes):
//   0     8 bytes   kStateFileMagic
//   8     uint32    kStateFileVersion
//   12    1536      flash blocks 0 to 5
//   1548  4         DPI level of modes 0 to 3 (0-7)
//   1552  4         report-rate index of modes 0 to 3 (0-3)
//   1556  1         current mode (0-3)
namespace sim {

// The variable that names the state file of the simulated mouse.
inline constexpr char kSimulatedMouseStateVariable[] = "KDZ_SIMULATED_MOUSE_STATE";

inline constexpr char kStateFileMagic[8] = {'K', 'D', 'Z', 'M', 'O', 'U', 'S', 'E'};
inline constexpr uint32_t kStateFileVersion = 1;
inline constexpr size_t kStateFileSize = 8 + 4 + kFlashBlockCount * kFlashBlockSize + 4 + 4 + 1;

std::vector<uint8_t> EncodeMouseState(const SimulatedMouse::PersistentState& state);

// False, with `problem` saying why, for bytes of another size, magic or version, or with a value
// out of range; `state` is then untouched.
bool DecodeMouseState(std::span<const uint8_t> bytes, SimulatedMouse::PersistentState& state,
                      std::string& problem);

// Binds a simulated mouse to its state file. Attach loads the file into the mouse and from then
// on saves the mouse's state, atomically, after every change that alters it (flash write or
// erase, DPI, report rate or mode set). A missing, short or bad file leaves the mouse as it is
// (new) and says so in one line on standard error; a failed save does too (once, until a save
// succeeds again).
class SimulatedMouseStateFile {
 public:
  explicit SimulatedMouseStateFile(std::string path);
  // Detaches the mouse; a save under way on another thread still completes.
  ~SimulatedMouseStateFile();
  SimulatedMouseStateFile(const SimulatedMouseStateFile&) = delete;
  SimulatedMouseStateFile& operator=(const SimulatedMouseStateFile&) = delete;

  // True when the mouse took its state from the file.
  bool Attach(SimulatedMouse& mouse);

  const std::string& Path() const { return path_; }

  // Shared with the mouse's observer, which may run on another thread while this object goes.
  struct Saver;

 private:
  std::string path_;
  std::shared_ptr<Saver> saver_;
  SimulatedMouse* mouse_ = nullptr;
};

}  // namespace sim
