#include "sim/SimulatedMouse.h"

#include <algorithm>

#include "platform/sys/WinError.h"
#include "sim/PreciseWait.h"

namespace sim {
namespace {

constexpr uint8_t kSubSetMode = 0x08;
constexpr uint8_t kSubTestMode = 0x84;
constexpr uint8_t kSubNormalMode = 0x80;
constexpr uint8_t kSetAllModes = 0x0F;
constexpr int kMaxDpiLevel = 7;
constexpr int kMaxRateIndex = 3;

// Heap order for the pending reports: the earliest due first, and in the order produced.
bool LaterThan(const auto& a, const auto& b) {
  return a.due != b.due ? a.due > b.due : a.sequence > b.sequence;
}

}  // namespace

SimulatedMouse::SimulatedMouse(uint32_t deviceId) : deviceId_(deviceId) {
  for (FlashBlock& block : flash_) block.fill(0xFF);
  dpiLevel_.fill(1);
  rateIndex_.fill(3);
  deliveryThread_ = std::thread([this] { DeliveryLoop(); });
}

SimulatedMouse::~SimulatedMouse() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  pendingChanged_.notify_all();
  deliveryThread_.join();
}

void SimulatedMouse::AttachHost(Host* host) {
  std::lock_guard<std::recursive_mutex> lock(hostMutex_);
  host_ = host;
}

int SimulatedMouse::ReceiveOutputReport(const Report& report) {
  std::optional<Report> reply;
  std::optional<Fault> fault;
  bool unplugged = false;
  uint64_t before = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connected_) return winerr::ERROR_DEVICE_NOT_CONNECTED;
    before = stateSerial_;
    if (disconnectCountdown_ > 0 && --disconnectCountdown_ == 0) {
      connected_ = false;
      pending_.clear();
      unplugged = true;
    } else {
      if (log_.size() < kCommandLogCapacity) {
        log_.push_back(report);
      } else {
        log_[logStart_] = report;
        logStart_ = (logStart_ + 1) % kCommandLogCapacity;
      }
      for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (it->command && *it->command != report[1]) continue;
        fault = *it;
        if (it->count > 0 && --it->count == 0) faults_.erase(it);
        break;
      }
      reply = ExecuteLocked(report);
    }
  }
  // The change is kept before the reply leaves, as the real flash has it before it answers.
  NotifyStateChange(before);
  if (unplugged) {
    NotifyHost(false);
    return winerr::ERROR_DEVICE_NOT_CONNECTED;
  }
  if (!reply) return winerr::ERROR_SUCCESS;

  uint32_t delayMs = 0;
  if (fault) {
    switch (fault->kind) {
      case FaultKind::NoReply:
        return winerr::ERROR_SUCCESS;
      case FaultKind::LateReply:
        delayMs = fault->delayMs;
        break;
      case FaultKind::WrongEcho:
        (*reply)[1] = fault->echo;
        break;
      case FaultKind::WrongReportId:
        (*reply)[0] = fault->reportId;
        break;
      case FaultKind::WrongData:
        if (fault->patch) fault->patch(*reply);
        break;
      case FaultKind::WrongLength:
        break;
    }
  }
  std::vector<uint8_t> bytes(reply->begin(), reply->end());
  if (fault && fault->kind == FaultKind::WrongLength) bytes.resize(fault->length, 0);
  Send(std::move(bytes), delayMs, true, report[1]);
  return winerr::ERROR_SUCCESS;
}

std::optional<Report> SimulatedMouse::Execute(const Report& command) {
  std::optional<Report> reply;
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    before = stateSerial_;
    reply = ExecuteLocked(command);
  }
  NotifyStateChange(before);
  return reply;
}

std::optional<Report> SimulatedMouse::ExecuteLocked(const Report& c) {
  if (c[0] != kReportId) return std::nullopt;
  Report r{};
  r[0] = kReportId;
  r[1] = c[1];
  switch (c[1]) {
    case CMD_FLASH_WRITE: {
      if (!testMode_) return std::nullopt;
      const unsigned offset = c[2];
      const unsigned block = c[3] >> 4;
      const unsigned count = c[3] & 0x0F;
      r[3] = c[3];
      if (block >= kFlashBlockCount || count < 1 || count > 4 || offset + count > kFlashBlockSize)
        return r;  // status 0: refused
      for (unsigned j = 0; j < count; ++j) {
        uint8_t& cell = flash_[block][offset + j];
        if ((cell & c[4 + j]) != cell) ++stateSerial_;
        cell &= c[4 + j];  // programming can only clear bits
        r[4 + j] = cell;
      }
      r[2] = 1;
      return r;
    }
    case CMD_FLASH_READ: {
      if (!testMode_) return std::nullopt;
      const unsigned offset = c[2];
      const unsigned count = c[3];
      const unsigned block = c[4];
      if (block >= kFlashBlockCount || count < 1 || count > 4 || offset + count > kFlashBlockSize)
        return std::nullopt;
      r[2] = c[2];
      r[3] = c[3];
      std::copy_n(flash_[block].begin() + offset, count, r.begin() + 4);
      return r;
    }
    case CMD_FLASH_ERASE: {
      if (!testMode_) return std::nullopt;
      const unsigned block = c[2];
      r[3] = c[2];
      const bool accepted = block < kFlashBlockCount && c[3] == static_cast<uint8_t>(~c[2]) &&
                            c[4] == 0x55 && c[5] == 0xAA && c[6] == 0x55;
      if (accepted) {
        if (std::any_of(flash_[block].begin(), flash_[block].end(),
                        [](uint8_t b) { return b != 0xFF; }))
          ++stateSerial_;
        flash_[block].fill(0xFF);
        r[2] = 1;
      }
      return r;
    }
    case CMD_MODE_INFO:
      if (c[2] == kSubSetMode && c[3] < kModeCount && c[3] != currentMode_) {
        currentMode_ = c[3];
        ++stateSerial_;
      }
      if (c[2] == kSubTestMode) testMode_ = true;
      if (c[2] == kSubNormalMode) testMode_ = false;
      return ModeInfoLocked();
    case CMD_DPI:
    case CMD_REPORT_RATE: {
      std::array<int, kModeCount>& values = c[1] == CMD_DPI ? dpiLevel_ : rateIndex_;
      const int max = c[1] == CMD_DPI ? kMaxDpiLevel : kMaxRateIndex;
      if (c[2] == kSetAllModes) {
        const int nibbles[kModeCount] = {c[3] & 0x0F, c[3] >> 4, c[4] & 0x0F, c[4] >> 4};
        for (int m = 0; m < kModeCount; ++m) {
          if (nibbles[m] > max || nibbles[m] == values[m]) continue;
          values[m] = nibbles[m];
          ++stateSerial_;
        }
      }
      r[2] = c[2];
      r[3] = static_cast<uint8_t>(values[0] | values[1] << 4);
      r[4] = static_cast<uint8_t>(values[2] | values[3] << 4);
      return r;
    }
    case CMD_VERSION:
      for (int i = 0; i < 4; ++i) r[2 + i] = static_cast<uint8_t>(deviceId_ >> (8 * i));
      return r;
    default:
      return std::nullopt;
  }
}

Report SimulatedMouse::ModeInfoLocked() const {
  Report r{};
  r[0] = kReportId;
  r[1] = CMD_MODE_INFO;
  r[4] =
      static_cast<uint8_t>(rateIndex_[currentMode_] | currentMode_ << 4 | (testMode_ ? 0x80 : 0));
  r[5] = static_cast<uint8_t>(dpiLevel_[currentMode_] << 4);
  return r;
}

void SimulatedMouse::Send(std::vector<uint8_t> bytes, uint32_t delayMs, bool isReply,
                          uint8_t command) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connected_) return;
    const uint32_t total = latencyMs_ + delayMs;
    if (total > 0) {
      pending_.push_back(
          Pending{std::chrono::steady_clock::now() + std::chrono::milliseconds(total),
                  nextSequence_++, std::move(bytes), isReply, command});
      std::push_heap(pending_.begin(), pending_.end(),
                     [](const Pending& a, const Pending& b) { return LaterThan(a, b); });
      pendingChanged_.notify_all();
      return;
    }
  }
  DeliverNow(bytes, isReply, command);
}

void SimulatedMouse::DeliverNow(const std::vector<uint8_t>& bytes, bool isReply, uint8_t command) {
  // The host lock is held across the hook, so that what the hook injects follows the reply
  // before any report of another thread.
  std::lock_guard<std::recursive_mutex> hostLock(hostMutex_);
  ReplyHook hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connected_) return;
    if (isReply) hook = replyHook_;
  }
  if (host_) host_->DeliverInputReport(bytes);
  if (hook) hook(command);
}

void SimulatedMouse::NotifyHost(bool connected) {
  std::lock_guard<std::recursive_mutex> hostLock(hostMutex_);
  if (host_) host_->ConnectionChanged(connected);
}

void SimulatedMouse::DeliveryLoop() {
  const auto later = [](const Pending& a, const Pending& b) { return LaterThan(a, b); };
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (pending_.empty()) {
      pendingChanged_.wait(lock);
      continue;
    }
    const auto due = pending_.front().due;
    const auto now = std::chrono::steady_clock::now();
    if (now < SleepTarget(due)) {
      pendingChanged_.wait_until(lock, SleepTarget(due));
      continue;
    }
    if (now < due) {
      // The last stretch, without the lock, so that commands and injections go on meanwhile; a
      // report queued for earlier is taken at the next turn.
      lock.unlock();
      PreciseWaitRest(due);
      lock.lock();
      continue;
    }
    std::pop_heap(pending_.begin(), pending_.end(), later);
    Pending next = std::move(pending_.back());
    pending_.pop_back();
    lock.unlock();
    DeliverNow(next.bytes, next.isReply, next.command);
    lock.lock();
  }
}

FlashBlock SimulatedMouse::GetFlashBlock(int block) const {
  FlashBlock out;
  out.fill(0xFF);
  std::lock_guard<std::mutex> lock(mutex_);
  if (block >= 0 && block < kFlashBlockCount) out = flash_[block];
  return out;
}

bool SimulatedMouse::SetFlashBlock(int block, const FlashBlock& data) {
  if (block < 0 || block >= kFlashBlockCount) return false;
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    before = stateSerial_;
    if (flash_[block] != data) {
      flash_[block] = data;
      ++stateSerial_;
    }
  }
  NotifyStateChange(before);
  return true;
}

bool SimulatedMouse::InTestMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return testMode_;
}

void SimulatedMouse::SetTestMode(bool test) {
  std::lock_guard<std::mutex> lock(mutex_);
  testMode_ = test;
}

uint32_t SimulatedMouse::DeviceId() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return deviceId_;
}

void SimulatedMouse::SetDeviceId(uint32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  deviceId_ = id;
}

int SimulatedMouse::CurrentMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return currentMode_;
}

bool SimulatedMouse::SetCurrentMode(int mode) {
  if (mode < 0 || mode >= kModeCount) return false;
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    before = stateSerial_;
    if (currentMode_ != mode) {
      currentMode_ = mode;
      ++stateSerial_;
    }
  }
  NotifyStateChange(before);
  return true;
}

int SimulatedMouse::DpiLevel(int mode) const {
  if (mode < 0 || mode >= kModeCount) return -1;
  std::lock_guard<std::mutex> lock(mutex_);
  return dpiLevel_[mode];
}

bool SimulatedMouse::SetDpiLevel(int mode, int level) {
  if (mode < 0 || mode >= kModeCount || level < 0 || level > kMaxDpiLevel) return false;
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    before = stateSerial_;
    if (dpiLevel_[mode] != level) {
      dpiLevel_[mode] = level;
      ++stateSerial_;
    }
  }
  NotifyStateChange(before);
  return true;
}

int SimulatedMouse::RateIndex(int mode) const {
  if (mode < 0 || mode >= kModeCount) return -1;
  std::lock_guard<std::mutex> lock(mutex_);
  return rateIndex_[mode];
}

bool SimulatedMouse::SetRateIndex(int mode, int index) {
  if (mode < 0 || mode >= kModeCount || index < 0 || index > kMaxRateIndex) return false;
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    before = stateSerial_;
    if (rateIndex_[mode] != index) {
      rateIndex_[mode] = index;
      ++stateSerial_;
    }
  }
  NotifyStateChange(before);
  return true;
}

SimulatedMouse::PersistentState SimulatedMouse::PersistentStateLocked() const {
  PersistentState state;
  state.flash = flash_;
  state.dpiLevel = dpiLevel_;
  state.rateIndex = rateIndex_;
  state.currentMode = currentMode_;
  return state;
}

SimulatedMouse::PersistentState SimulatedMouse::GetPersistentState() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return PersistentStateLocked();
}

bool SimulatedMouse::SetPersistentState(const PersistentState& state) {
  const auto within = [](int v, int max) { return v >= 0 && v <= max; };
  if (!within(state.currentMode, kModeCount - 1)) return false;
  for (int m = 0; m < kModeCount; ++m) {
    if (!within(state.dpiLevel[m], kMaxDpiLevel) || !within(state.rateIndex[m], kMaxRateIndex))
      return false;
  }
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    before = stateSerial_;
    if (flash_ != state.flash || dpiLevel_ != state.dpiLevel || rateIndex_ != state.rateIndex ||
        currentMode_ != state.currentMode) {
      flash_ = state.flash;
      dpiLevel_ = state.dpiLevel;
      rateIndex_ = state.rateIndex;
      currentMode_ = state.currentMode;
      ++stateSerial_;
    }
  }
  NotifyStateChange(before);
  return true;
}

void SimulatedMouse::SetStateObserver(StateObserver observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  stateObserver_ = std::move(observer);
}

void SimulatedMouse::NotifyStateChange(uint64_t before) {
  StateObserver observer;
  PersistentState state;
  uint64_t serial;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stateSerial_ == before || !stateObserver_) return;
    observer = stateObserver_;
    state = PersistentStateLocked();
    serial = stateSerial_;
  }
  observer(state, serial);
}

std::vector<Report> SimulatedMouse::CommandLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Report> out(log_.begin() + static_cast<std::ptrdiff_t>(logStart_), log_.end());
  out.insert(out.end(), log_.begin(), log_.begin() + static_cast<std::ptrdiff_t>(logStart_));
  return out;
}

void SimulatedMouse::ClearCommandLog() {
  std::lock_guard<std::mutex> lock(mutex_);
  log_.clear();
  logStart_ = 0;
}

void SimulatedMouse::InjectKeyStatus(uint16_t state, uint32_t delayMs) {
  std::vector<uint8_t> bytes(kReportLength, 0);
  bytes[0] = kReportId;
  bytes[1] = CMD_KEY_STATUS;
  bytes[2] = static_cast<uint8_t>(state);
  bytes[3] = static_cast<uint8_t>(state >> 8);
  Send(std::move(bytes), delayMs, false, CMD_KEY_STATUS);
}

void SimulatedMouse::InjectModeInfo(uint32_t delayMs) {
  Report report;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    report = ModeInfoLocked();
  }
  Send(std::vector<uint8_t>(report.begin(), report.end()), delayMs, false, CMD_MODE_INFO);
}

bool SimulatedMouse::ChangeModeByButton(int mode, int level, int rate) {
  if (mode < 0 || mode >= kModeCount || level < 0 || level > kMaxDpiLevel || rate < 0 ||
      rate > kMaxRateIndex)
    return false;
  uint64_t before;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    before = stateSerial_;
    if (currentMode_ != mode || dpiLevel_[mode] != level || rateIndex_[mode] != rate) {
      currentMode_ = mode;
      dpiLevel_[mode] = level;
      rateIndex_[mode] = rate;
      ++stateSerial_;
    }
  }
  NotifyStateChange(before);
  InjectModeInfo();
  return true;
}

void SimulatedMouse::InjectReport(std::span<const uint8_t> bytes, uint32_t delayMs) {
  const uint8_t command = bytes.size() > 1 ? bytes[1] : 0;
  Send(std::vector<uint8_t>(bytes.begin(), bytes.end()), delayMs, false, command);
}

void SimulatedMouse::SetReplyHook(ReplyHook hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  replyHook_ = std::move(hook);
}

void SimulatedMouse::SetLatency(uint32_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  latencyMs_ = ms;
}

void SimulatedMouse::AddFault(Fault fault) {
  if (fault.count == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.push_back(std::move(fault));
}

void SimulatedMouse::ClearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

void SimulatedMouse::DisconnectAtCommand(int n) {
  std::lock_guard<std::mutex> lock(mutex_);
  disconnectCountdown_ = std::max(n, 0);
}

void SimulatedMouse::Disconnect() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connected_) return;
    connected_ = false;
    disconnectCountdown_ = 0;
    pending_.clear();
  }
  NotifyHost(false);
}

void SimulatedMouse::Reconnect() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (connected_) return;
    connected_ = true;
    testMode_ = false;  // the controller powers up in normal mode
  }
  NotifyHost(true);
}

bool SimulatedMouse::IsConnected() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connected_;
}

}  // namespace sim
