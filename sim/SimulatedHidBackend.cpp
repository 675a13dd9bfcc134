#include "sim/SimulatedHidBackend.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/sys/WinError.h"

namespace sim {
namespace {

constexpr uint16_t kMouseButtonsPage = 0x09;
constexpr uint16_t kGenericDesktopPage = 0x01;
constexpr uint16_t kMainDataVariableAbsolute = 0x02;

struct SimInterface {
  hid::HidInterfaceDescription description;
  bool partOfMouse;  // unplugged and plugged in with the mouse
  bool answers;      // its output reports go to the mouse's firmware
};

// The mouse's vendor collection: report 0xB3 with seven vendor bytes each way.
hid::HidInterfaceDescription VendorCollection(std::string path, uint16_t productId,
                                              uint16_t version) {
  hid::HidInterfaceDescription d;
  d.path = std::move(path);
  d.attributes.VendorID = kVendorId;
  d.attributes.ProductID = productId;
  d.attributes.VersionNumber = version;
  d.caps.UsagePage = 0xFFB3;
  d.caps.Usage = 0x0001;
  d.caps.InputReportByteLength = kReportLength;
  d.caps.OutputReportByteLength = kReportLength;
  d.caps.NumberLinkCollectionNodes = 1;
  d.caps.NumberInputValueCaps = 1;
  d.caps.NumberInputDataIndices = 1;
  d.caps.NumberOutputValueCaps = 1;
  d.caps.NumberOutputDataIndices = 1;
  hid::HidValueCaps value;
  value.UsagePage = 0xFFB3;
  value.ReportID = kReportId;
  value.BitField = kMainDataVariableAbsolute;
  value.LinkUsage = 0x0001;
  value.LinkUsagePage = 0xFFB3;
  value.IsAbsolute = true;
  value.BitSize = 8;
  value.ReportCount = kReportLength - 1;
  value.LogicalMax = 255;
  value.UsageMin = value.UsageMax = 0x0002;
  d.inputValueCaps.push_back(value);
  value.UsageMin = value.UsageMax = 0x0003;
  d.outputValueCaps.push_back(value);
  return d;
}

// The mouse's ordinary pointer collection: five buttons, X, Y and wheel, no report id.
hid::HidInterfaceDescription PointerCollection(std::string path) {
  hid::HidInterfaceDescription d;
  d.path = std::move(path);
  d.attributes.VendorID = kVendorId;
  d.attributes.ProductID = kProductId;
  d.attributes.VersionNumber = kMouseVersionNumber;
  d.caps.UsagePage = kGenericDesktopPage;
  d.caps.Usage = 0x0002;
  d.caps.InputReportByteLength = 5;
  d.caps.NumberLinkCollectionNodes = 2;
  d.caps.NumberInputButtonCaps = 1;
  d.caps.NumberInputValueCaps = 2;
  d.caps.NumberInputDataIndices = 8;
  hid::HidButtonCaps buttons;
  buttons.UsagePage = kMouseButtonsPage;
  buttons.BitField = kMainDataVariableAbsolute;
  buttons.LinkCollection = 1;
  buttons.LinkUsage = 0x0001;
  buttons.LinkUsagePage = kGenericDesktopPage;
  buttons.IsRange = true;
  buttons.IsAbsolute = true;
  buttons.UsageMin = 1;
  buttons.UsageMax = 5;
  buttons.ReportCount = 5;
  d.inputButtonCaps.push_back(buttons);
  hid::HidValueCaps axes;
  axes.UsagePage = kGenericDesktopPage;
  axes.BitField = 0x06;  // data, variable, relative
  axes.LinkCollection = 1;
  axes.LinkUsage = 0x0001;
  axes.LinkUsagePage = kGenericDesktopPage;
  axes.IsRange = true;
  axes.BitSize = 8;
  axes.ReportCount = 2;
  axes.LogicalMin = -127;
  axes.LogicalMax = 127;
  axes.UsageMin = 0x30;  // X
  axes.UsageMax = 0x31;  // Y
  d.inputValueCaps.push_back(axes);
  hid::HidValueCaps wheel = axes;
  wheel.IsRange = false;
  wheel.ReportCount = 1;
  wheel.UsageMin = wheel.UsageMax = 0x38;
  d.inputValueCaps.push_back(wheel);
  return d;
}

struct HandleState {
  std::string path;
  bool read = false;
  bool write = false;
  bool toMouse = false;  // a handle on the mouse's vendor collection
  uint16_t outputLength = 0;
  std::deque<std::vector<uint8_t>> queue;
  bool cancelled = false;
  bool unplugged = false;
  std::condition_variable changed;
};

}  // namespace

struct SimulatedHidBackend::Core : SimulatedMouse::Host {
  explicit Core(uint32_t deviceId) : mouse(deviceId) {
    interfaces.push_back({PointerCollection(kDecoyMousePath), true, false});
    interfaces.push_back(
        {VendorCollection(kDecoyVendorPath, kDecoyProductId, kDecoyVersionNumber), false, false});
    interfaces.push_back(
        {VendorCollection(kMousePath, kProductId, kMouseVersionNumber), true, true});
    mouse.AttachHost(this);
    notifier = std::thread([this] { NotifierLoop(); });
  }

  ~Core() override { mouse.AttachHost(nullptr); }

  // Ends the notifier thread; events not yet delivered are dropped.
  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    eventsChanged.notify_all();
    if (notifier.joinable()) notifier.join();
  }

  const SimInterface* Find(const std::string& path) const {
    for (const SimInterface& i : interfaces)
      if (i.description.path == path && (mousePresent || !i.partOfMouse)) return &i;
    return nullptr;
  }

  void DeliverInputReport(std::span<const uint8_t> report) override {
    std::lock_guard<std::mutex> lock(mutex);
    for (const std::shared_ptr<HandleState>& h : handles) {
      if (!h->toMouse || !h->read || h->unplugged) continue;
      if (h->queue.size() >= kInputQueueCapacity) h->queue.pop_front();
      h->queue.emplace_back(report.begin(), report.end());
      h->changed.notify_all();
    }
  }

  void ConnectionChanged(bool connected) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (mousePresent == connected) return;
    mousePresent = connected;
    for (const std::shared_ptr<HandleState>& h : handles) {
      const SimInterface* i = nullptr;
      for (const SimInterface& candidate : interfaces)
        if (candidate.description.path == h->path) i = &candidate;
      if (!connected && i && i->partOfMouse) {
        h->unplugged = true;
        h->changed.notify_all();
      }
    }
    if (watchers.empty()) return;
    for (const SimInterface& i : interfaces)
      if (i.partOfMouse)
        events.emplace_back(connected ? hid::HidChange::Arrival : hid::HidChange::Removal,
                            i.description.path);
    eventsChanged.notify_all();
  }

  void NotifierLoop() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      eventsChanged.wait(lock, [this] { return stopping || !events.empty(); });
      if (stopping) return;
      const auto [change, path] = events.front();
      events.pop_front();
      std::vector<std::pair<uint64_t, std::shared_ptr<hid::HidChangeCallback>>> targets = watchers;
      for (const auto& [id, callback] : targets) {
        const bool stillWatching = std::any_of(watchers.begin(), watchers.end(),
                                               [id = id](const auto& w) { return w.first == id; });
        if (!stillWatching) continue;
        calling = id;
        lock.unlock();
        (*callback)(change, path);
        lock.lock();
        calling = 0;
        callEnded.notify_all();
        if (stopping) return;
      }
    }
  }

  void Unwatch(uint64_t id) {
    std::unique_lock<std::mutex> lock(mutex);
    std::erase_if(watchers, [id](const auto& w) { return w.first == id; });
    // A callback that drops its own watcher must not wait for itself.
    if (std::this_thread::get_id() == notifier.get_id()) return;
    callEnded.wait(lock, [&] { return calling != id; });
  }

  SimulatedMouse mouse;
  std::vector<SimInterface> interfaces;

  mutable std::mutex mutex;  // everything below
  bool mousePresent = true;
  std::vector<std::shared_ptr<HandleState>> handles;
  std::vector<std::pair<uint64_t, std::shared_ptr<hid::HidChangeCallback>>> watchers;
  uint64_t nextWatcherId = 1;
  uint64_t calling = 0;  // the watcher whose callback runs now, 0 for none
  std::condition_variable callEnded;
  std::deque<std::pair<hid::HidChange, std::string>> events;
  std::condition_variable eventsChanged;
  bool stopping = false;
  std::thread notifier;
};

namespace {

class SimHidDevice : public hid::HidDevice {
 public:
  SimHidDevice(std::shared_ptr<SimulatedHidBackend::Core> core, std::shared_ptr<HandleState> state)
      : core_(std::move(core)), state_(std::move(state)) {}

  ~SimHidDevice() override {
    std::lock_guard<std::mutex> lock(core_->mutex);
    std::erase(core_->handles, state_);
  }

  int Read(uint8_t* buffer, size_t length, size_t* transferred, uint32_t timeoutMs) override {
    if (transferred) *transferred = 0;
    if (!buffer && length > 0) return winerr::ERROR_INVALID_PARAMETER;
    std::unique_lock<std::mutex> lock(core_->mutex);
    HandleState& s = *state_;
    if (!s.read) return winerr::ERROR_INVALID_HANDLE;
    const bool woken = s.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      return s.cancelled || s.unplugged || !s.queue.empty();
    });
    if (s.cancelled) return winerr::ERROR_OPERATION_ABORTED;
    if (s.unplugged) return winerr::ERROR_DEVICE_NOT_CONNECTED;
    if (!woken) return winerr::ERROR_TIMEOUT;
    const std::vector<uint8_t> report = std::move(s.queue.front());
    s.queue.pop_front();
    const size_t n = std::min(length, report.size());
    if (n > 0) std::memcpy(buffer, report.data(), n);
    if (transferred) *transferred = n;
    return winerr::ERROR_SUCCESS;
  }

  int Write(const uint8_t* data, size_t length, size_t* transferred, uint32_t) override {
    if (transferred) *transferred = 0;
    {
      std::lock_guard<std::mutex> lock(core_->mutex);
      const HandleState& s = *state_;
      if (!s.write) return winerr::ERROR_INVALID_HANDLE;
      if (s.cancelled) return winerr::ERROR_OPERATION_ABORTED;
      if (s.unplugged) return winerr::ERROR_DEVICE_NOT_CONNECTED;
      if (!data || length != s.outputLength || length == 0) return winerr::ERROR_INVALID_PARAMETER;
    }
    if (state_->toMouse) {
      Report report;
      std::memcpy(report.data(), data, report.size());
      // Called without the backend's lock: a fast reply comes back through it at once.
      const int rc = core_->mouse.ReceiveOutputReport(report);
      if (rc != winerr::ERROR_SUCCESS) return rc;
    }
    if (transferred) *transferred = length;
    return winerr::ERROR_SUCCESS;
  }

  void Cancel() override {
    std::lock_guard<std::mutex> lock(core_->mutex);
    state_->cancelled = true;
    state_->changed.notify_all();
  }

 private:
  std::shared_ptr<SimulatedHidBackend::Core> core_;
  std::shared_ptr<HandleState> state_;
};

class SimHidWatcher : public hid::HidWatcher {
 public:
  SimHidWatcher(std::shared_ptr<SimulatedHidBackend::Core> core, uint64_t id)
      : core_(std::move(core)), id_(id) {}
  ~SimHidWatcher() override { core_->Unwatch(id_); }

 private:
  std::shared_ptr<SimulatedHidBackend::Core> core_;
  uint64_t id_;
};

}  // namespace

SimulatedHidBackend::SimulatedHidBackend(uint32_t deviceId)
    : core_(std::make_shared<Core>(deviceId)) {}

SimulatedHidBackend::~SimulatedHidBackend() { core_->Stop(); }

SimulatedMouse& SimulatedHidBackend::Mouse() { return core_->mouse; }

int SimulatedHidBackend::Enumerate(std::vector<std::string>& paths) {
  paths.clear();
  std::lock_guard<std::mutex> lock(core_->mutex);
  for (const SimInterface& i : core_->interfaces)
    if (core_->mousePresent || !i.partOfMouse) paths.push_back(i.description.path);
  return winerr::ERROR_SUCCESS;
}

int SimulatedHidBackend::Describe(const std::string& path, hid::HidInterfaceDescription& out) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  const SimInterface* i = core_->Find(path);
  if (!i) return winerr::ERROR_FILE_NOT_FOUND;
  out = i->description;
  return winerr::ERROR_SUCCESS;
}

int SimulatedHidBackend::Open(const std::string& path, hid::HidAccess access,
                              std::unique_ptr<hid::HidDevice>& out) {
  out.reset();
  std::lock_guard<std::mutex> lock(core_->mutex);
  const SimInterface* i = core_->Find(path);
  if (!i) return winerr::ERROR_FILE_NOT_FOUND;
  auto state = std::make_shared<HandleState>();
  state->path = path;
  state->read = hid::HasAccess(access, hid::HidAccess::Read);
  state->write = hid::HasAccess(access, hid::HidAccess::Write);
  state->toMouse = i->answers;
  state->outputLength = i->description.caps.OutputReportByteLength;
  core_->handles.push_back(state);
  out = std::make_unique<SimHidDevice>(core_, std::move(state));
  return winerr::ERROR_SUCCESS;
}

std::unique_ptr<hid::HidWatcher> SimulatedHidBackend::Watch(hid::HidChangeCallback callback) {
  if (!callback) return nullptr;
  std::lock_guard<std::mutex> lock(core_->mutex);
  const uint64_t id = core_->nextWatcherId++;
  core_->watchers.emplace_back(id, std::make_shared<hid::HidChangeCallback>(std::move(callback)));
  return std::make_unique<SimHidWatcher>(core_, id);
}

int SimulatedHidBackend::OpenHandleCount(const std::string& path) const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return static_cast<int>(std::count_if(core_->handles.begin(), core_->handles.end(),
                                        [&](const auto& h) { return h->path == path; }));
}

}  // namespace sim
