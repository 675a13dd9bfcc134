#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "sim/SimulatedMouse.h"

// A control pipe through which a person or a test drives the simulated mouse while the program
// runs, as a hand on the real mouse would: a named pipe from which lines are read, from one
// writer after another (`echo "keys 0x10" > pipe`). Lines:
//
//   keys <state>               the key-status report: bit b = button b held (16 bits)
//   mode <mode> <level> <rate> the mouse's own mode button: current mode 0-3, its DPI level 0-7
//                              and report-rate index 0-3, then the mode report
//   unplug                     the mouse is pulled out
//   plug                       and plugged in again
//
// Numbers are decimal or hexadecimal with "0x". A bad line is ignored with a line on standard
// error; empty lines are ignored.
namespace sim {

// The variable that names the control pipe of the simulated mouse.
inline constexpr char kSimulatedMouseControlVariable[] = "KDZ_SIMULATED_MOUSE_CONTROL";

struct ControlCommand {
  enum class Kind { Keys, Mode, Unplug, Plug };
  Kind kind = Kind::Keys;
  uint16_t keys = 0;
  int mode = 0;
  int level = 0;
  int rate = 0;
  friend bool operator==(const ControlCommand&, const ControlCommand&) = default;
};

// One line (without its line end). False, with `problem` saying why, for a bad line.
bool ParseControlLine(std::string_view line, ControlCommand& out, std::string& problem);

// Carries a command out on the mouse.
void ApplyControlCommand(SimulatedMouse& mouse, const ControlCommand& command);

class SimulatedMouseControl {
 public:
  // Makes the pipe at `path` (mode 0600) when nothing is there, and reads it on a thread of its
  // own until destruction. When `path` cannot be made or is something other than a named pipe,
  // says so on standard error and reads nothing.
  SimulatedMouseControl(std::string path, SimulatedMouse& mouse);
  // Stops the reader at once, also while it waits for a writer.
  ~SimulatedMouseControl();
  SimulatedMouseControl(const SimulatedMouseControl&) = delete;
  SimulatedMouseControl& operator=(const SimulatedMouseControl&) = delete;

  bool Listening() const { return reader_.joinable(); }
  const std::string& Path() const { return path_; }

 private:
  void ReadLoop(int pipeFd);
  void HandleLine(std::string_view line);

  std::string path_;
  SimulatedMouse& mouse_;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::thread reader_;
};

}  // namespace sim
