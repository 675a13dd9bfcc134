#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/hid/HidBackend.h"
#include "sim/SimulatedHidBackend.h"
#include "sim/SimulatedMouseControl.h"
#include "sim/SimulatedMouseState.h"

namespace sim {
namespace {

// Lives until the process ends and is never destroyed: the default backend may be used up to
// the very end, also from the destructors of other objects with static lifetime.
std::atomic<SimulatedHidBackend*> g_installed{nullptr};
// The installed mouse's state file, kept for as long as the backend.
std::atomic<SimulatedMouseStateFile*> g_stateFile{nullptr};
// The control pipe's reader, kept reachable for as long as the process runs.
std::atomic<SimulatedMouseControl*> g_control{nullptr};

// A hexadecimal 32-bit id, with or without "0x"; empty for anything else.
std::optional<uint32_t> ParseDeviceId(const char* text) {
  std::string_view s(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : s) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

}  // namespace

bool SimulatedMouseRequested() {
  const char* wanted = std::getenv("KDZ_SIMULATED_MOUSE");
  return wanted && *wanted && std::string_view(wanted) != "0";
}

uint32_t SimulatedDeviceIdFromEnvironment() {
  const char* text = std::getenv("KDZ_SIMULATED_DEVICE_ID");
  if (!text || !*text) return kDefaultDeviceId;
  if (const std::optional<uint32_t> id = ParseDeviceId(text)) return *id;
  std::fprintf(stderr,
               "KDZ_SIMULATED_DEVICE_ID=\"%s\" is not a hexadecimal 32-bit id; the simulated "
               "mouse answers with %08X\n",
               text, static_cast<unsigned>(kDefaultDeviceId));
  return kDefaultDeviceId;
}

bool InstallSimulatedBackendIfRequested(const SimulatedMouse::PersistentState& newMouse) {
  static std::once_flag once;
  std::call_once(once, [&newMouse] {
    if (!SimulatedMouseRequested()) return;
    auto* backend = new SimulatedHidBackend(SimulatedDeviceIdFromEnvironment());
    backend->Mouse().SetPersistentState(newMouse);
    // The mouse keeps its flash and configuration across runs when a state file is named; a
    // missing or unusable file leaves it new. The binding lives, like the backend, until the
    // process ends.
    const char* statePath = std::getenv(kSimulatedMouseStateVariable);
    if (statePath && *statePath) {
      auto* file = new SimulatedMouseStateFile(statePath);
      g_stateFile.store(file);
      file->Attach(backend->Mouse());
    }
    // The control pipe is read for as long as the process runs.
    const char* controlPath = std::getenv(kSimulatedMouseControlVariable);
    if (controlPath && *controlPath)
      g_control.store(new SimulatedMouseControl(controlPath, backend->Mouse()));
    g_installed.store(backend);
    hid::SetDefaultBackend(backend);
  });
  return g_installed.load() != nullptr;
}

SimulatedHidBackend* InstalledSimulatedBackend() { return g_installed.load(); }

}  // namespace sim
