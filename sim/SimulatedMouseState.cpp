#include "sim/SimulatedMouseState.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/WinError.h"

namespace sim {
namespace {

constexpr size_t kVersionOffset = 8;
constexpr size_t kFlashOffset = 12;
constexpr size_t kDpiOffset = kFlashOffset + kFlashBlockCount * kFlashBlockSize;
constexpr size_t kRateOffset = kDpiOffset + kModeCount;
constexpr size_t kModeOffset = kRateOffset + kModeCount;
static_assert(kModeOffset + 1 == kStateFileSize);

constexpr int kMaxDpiLevel = 7;
constexpr int kMaxRateIndex = 3;

enum class ReadResult { Read, Missing, Failed };

// At most `limit` bytes of a regular file. Non-blocking, so that a FIFO in the file's place
// cannot hold the program up.
ReadResult ReadSmallFile(const std::string& path, size_t limit, std::vector<uint8_t>& out,
                         int& err) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    err = errno;
    return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    err = EINVAL;
    ::close(fd);
    return ReadResult::Failed;
  }
  out.assign(limit, 0);
  size_t got = 0;
  while (got < limit) {
    const ssize_t n = ::read(fd, out.data() + got, limit - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      err = errno;
      ::close(fd);
      return ReadResult::Failed;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  out.resize(got);
  return ReadResult::Read;
}

}  // namespace

std::vector<uint8_t> EncodeMouseState(const SimulatedMouse::PersistentState& state) {
  std::vector<uint8_t> bytes(kStateFileSize, 0);
  std::memcpy(bytes.data(), kStateFileMagic, sizeof kStateFileMagic);
  for (int i = 0; i < 4; ++i)
    bytes[kVersionOffset + i] = static_cast<uint8_t>(kStateFileVersion >> (8 * i));
  for (int k = 0; k < kFlashBlockCount; ++k)
    std::memcpy(bytes.data() + kFlashOffset + k * kFlashBlockSize, state.flash[k].data(),
                kFlashBlockSize);
  for (int m = 0; m < kModeCount; ++m) {
    bytes[kDpiOffset + m] = static_cast<uint8_t>(state.dpiLevel[m]);
    bytes[kRateOffset + m] = static_cast<uint8_t>(state.rateIndex[m]);
  }
  bytes[kModeOffset] = static_cast<uint8_t>(state.currentMode);
  return bytes;
}

bool DecodeMouseState(std::span<const uint8_t> bytes, SimulatedMouse::PersistentState& state,
                      std::string& problem) {
  if (bytes.size() != kStateFileSize) {
    problem = bytes.size() < kStateFileSize ? "it is too short" : "it is too long";
    return false;
  }
  if (std::memcmp(bytes.data(), kStateFileMagic, sizeof kStateFileMagic) != 0) {
    problem = "it is not a simulated mouse's state";
    return false;
  }
  uint32_t version = 0;
  for (int i = 0; i < 4; ++i) version |= static_cast<uint32_t>(bytes[kVersionOffset + i]) << (8 * i);
  if (version != kStateFileVersion) {
    problem = "it has version " + std::to_string(version);
    return false;
  }
  SimulatedMouse::PersistentState read;
  for (int k = 0; k < kFlashBlockCount; ++k)
    std::memcpy(read.flash[k].data(), bytes.data() + kFlashOffset + k * kFlashBlockSize,
                kFlashBlockSize);
  for (int m = 0; m < kModeCount; ++m) {
    read.dpiLevel[m] = bytes[kDpiOffset + m];
    read.rateIndex[m] = bytes[kRateOffset + m];
    if (read.dpiLevel[m] > kMaxDpiLevel || read.rateIndex[m] > kMaxRateIndex) {
      problem = "a DPI level or report rate is out of range";
      return false;
    }
  }
  read.currentMode = bytes[kModeOffset];
  if (read.currentMode >= kModeCount) {
    problem = "the current mode is out of range";
    return false;
  }
  state = read;
  return true;
}

struct SimulatedMouseStateFile::Saver {
  explicit Saver(std::string p) : path(std::move(p)) {}

  // Observers may run on two threads at once; the newest state wins.
  void Save(const SimulatedMouse::PersistentState& state, uint64_t serial) {
    std::lock_guard<std::mutex> lock(mutex);
    if (serial <= savedSerial) return;
    const std::vector<uint8_t> bytes = EncodeMouseState(state);
    const int result = sys::WriteFileAtomically(path, bytes.data(), bytes.size());
    if (result != winerr::ERROR_SUCCESS) {
      if (!failing)
        std::fprintf(stderr, "simulated mouse: cannot save its state to %s (error %d)\n",
                     path.c_str(), result);
      failing = true;
      return;
    }
    failing = false;
    savedSerial = serial;
  }

  const std::string path;
  std::mutex mutex;
  uint64_t savedSerial = 0;
  bool failing = false;
};

SimulatedMouseStateFile::SimulatedMouseStateFile(std::string path)
    : path_(std::move(path)), saver_(std::make_shared<Saver>(path_)) {}

SimulatedMouseStateFile::~SimulatedMouseStateFile() {
  if (mouse_ != nullptr) mouse_->SetStateObserver(nullptr);
}

bool SimulatedMouseStateFile::Attach(SimulatedMouse& mouse) {
  if (mouse_ != nullptr) mouse_->SetStateObserver(nullptr);
  mouse_ = &mouse;
  saver_ = std::make_shared<Saver>(path_);  // serials count per mouse

  bool loaded = false;
  std::vector<uint8_t> bytes;
  int err = 0;
  switch (ReadSmallFile(path_, kStateFileSize + 1, bytes, err)) {
    case ReadResult::Missing:
      std::fprintf(stderr, "simulated mouse: %s does not exist yet; starting with a new mouse\n",
                   path_.c_str());
      break;
    case ReadResult::Failed:
      std::fprintf(stderr, "simulated mouse: cannot read %s (%s); starting with a new mouse\n",
                   path_.c_str(), std::strerror(err));
      break;
    case ReadResult::Read: {
      SimulatedMouse::PersistentState state;
      std::string problem;
      if (DecodeMouseState(bytes, state, problem) && mouse.SetPersistentState(state)) {
        loaded = true;
      } else {
        std::fprintf(stderr, "simulated mouse: ignoring %s (%s); starting with a new mouse\n",
                     path_.c_str(), problem.c_str());
      }
      break;
    }
  }
  std::shared_ptr<Saver> saver = saver_;
  mouse.SetStateObserver([saver](const SimulatedMouse::PersistentState& state, uint64_t serial) {
    saver->Save(state, serial);
  });
  return loaded;
}

}  // namespace sim
