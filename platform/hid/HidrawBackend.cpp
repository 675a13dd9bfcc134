#include "platform/hid/HidrawBackend.h"

#include <dirent.h>
#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/sys/WinError.h"

namespace hid {

namespace {

constexpr uint16_t kBusUsb = 0x0003;
// Larger than any report the kernel hands to hidraw.
constexpr size_t kMaxReportSize = 16384 + 1;
constexpr size_t kMaxDescriptorSize = 65536;
constexpr size_t kMaxTextFileSize = 65536;

std::string TrimTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  if (s == "/") s.clear();  // so that root + "/name" has one slash
  return s;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "hidraw" followed by a decimal number without leading zeros.
bool ParseNodeName(const std::string& name, unsigned long& number) {
  static constexpr char kPrefix[] = "hidraw";
  if (name.rfind(kPrefix, 0) != 0) return false;
  const std::string digits = name.substr(sizeof(kPrefix) - 1);
  if (!AllDigits(digits) || digits.size() > 9 || (digits.size() > 1 && digits[0] == '0'))
    return false;
  number = std::strtoul(digits.c_str(), nullptr, 10);
  return true;
}

// The errno of a failed read or write on a hidraw node: after an unplug the kernel answers
// EIO (read) or ENODEV (write), both meaning the device is gone.
int IoError(int err) {
  if (err == EIO || err == ENODEV) return winerr::ERROR_DEVICE_NOT_CONNECTED;
  return winerr::FromErrno(err);
}

// Reads at most `limit` bytes of a file; returns 0 or an errno value.
int ReadWholeFile(const std::string& path, size_t limit, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char chunk[4096];
  int err = 0;
  while (out.size() < limit) {
    const ssize_t n = ::read(fd, chunk, std::min(sizeof(chunk), limit - out.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (n == 0) break;
    out.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return err;
}

bool ParseHex(const std::string& s, uint32_t& value) {
  if (s.empty() || s.size() > 8) return false;
  uint32_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  value = v;
  return true;
}

// HID_ID=bus:vendor:product of a HID device's uevent, each field hexadecimal.
bool ParseHidId(const std::string& uevent, uint32_t& bus, uint16_t& vendor, uint16_t& product) {
  size_t pos = 0;
  while (pos < uevent.size()) {
    size_t end = uevent.find('\n', pos);
    if (end == std::string::npos) end = uevent.size();
    const std::string line = uevent.substr(pos, end - pos);
    pos = end + 1;
    static constexpr char kKey[] = "HID_ID=";
    if (line.rfind(kKey, 0) != 0) continue;
    const std::string value = line.substr(sizeof(kKey) - 1);
    const size_t c1 = value.find(':');
    const size_t c2 = c1 == std::string::npos ? c1 : value.find(':', c1 + 1);
    if (c2 == std::string::npos) return false;
    uint32_t v = 0, p = 0;
    if (!ParseHex(value.substr(0, c1), bus) || !ParseHex(value.substr(c1 + 1, c2 - c1 - 1), v) ||
        !ParseHex(value.substr(c2 + 1), p) || v > 0xFFFF || p > 0xFFFF)
      return false;
    vendor = static_cast<uint16_t>(v);
    product = static_cast<uint16_t>(p);
    return true;
  }
  return false;
}

std::string RealPath(const std::string& path) {
  char* r = ::realpath(path.c_str(), nullptr);
  if (!r) return {};
  std::string s(r);
  std::free(r);
  return s;
}

// The version of the USB device that carries a HID device: bcdDevice of the nearest ancestor
// that has one, below the sysfs root. 0 when there is none.
uint16_t UsbVersion(const std::string& hidDevice, const std::string& sysfsRoot) {
  const std::string root = RealPath(sysfsRoot.empty() ? "/" : sysfsRoot);
  std::string dir = RealPath(hidDevice);
  if (root.empty() || dir.empty()) return 0;
  while (true) {
    const size_t slash = dir.rfind('/');
    if (slash == std::string::npos || slash == 0) return 0;
    dir.resize(slash);
    if (dir.size() <= root.size() || dir.compare(0, root.size(), root) != 0) return 0;
    std::string text;
    if (ReadWholeFile(dir + "/bcdDevice", 64, text) != 0) continue;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    uint32_t v = 0;
    return ParseHex(text, v) && v <= 0xFFFF ? static_cast<uint16_t>(v) : 0;
  }
}

std::string InterfacePath(const std::string& devRoot, const std::string& name, size_t index,
                          size_t count) {
  std::string path = devRoot + "/" + name;
  if (count > 1) {
    path += '#';
    path += std::to_string(index);
  }
  return path;
}

// One open hidraw node, seen through one of its collections.
class HidrawDevice final : public HidDevice {
 public:
  HidrawDevice(int fd, int cancelFd, HidAccess access, bool usesReportIds,
               std::vector<uint8_t> inputIds, uint16_t inputLength)
      : fd_(fd),
        cancelFd_(cancelFd),
        access_(access),
        usesReportIds_(usesReportIds),
        inputIds_(std::move(inputIds)),
        inputLength_(inputLength) {}

  ~HidrawDevice() override {
    ::close(fd_);
    ::close(cancelFd_);
  }

  int Read(uint8_t* buffer, size_t length, size_t* transferred, uint32_t timeoutMs) override {
    if (transferred) *transferred = 0;
    if (!HasAccess(access_, HidAccess::Read)) return winerr::ERROR_INVALID_HANDLE;
    if (!buffer && length) return winerr::ERROR_INVALID_PARAMETER;
    if (buf_.empty()) buf_.resize(kMaxReportSize);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      const int r = Wait(POLLIN, deadline);
      if (r != 0) return r;
      // Without report ids the kernel gives the bare report: put the id 0 in front of it.
      const size_t offset = usesReportIds_ ? 0 : 1;
      const ssize_t n = ::read(fd_, buf_.data() + offset, buf_.size() - offset);
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        return IoError(errno);
      }
      if (n == 0) return winerr::ERROR_DEVICE_NOT_CONNECTED;  // end of file: the node is gone
      buf_[0] = usesReportIds_ ? buf_[0] : 0;
      const size_t size = static_cast<size_t>(n) + offset;
      // A report of another collection of the same node is not this interface's.
      if (!std::binary_search(inputIds_.begin(), inputIds_.end(), buf_[0])) continue;
      const size_t full = inputLength_ ? inputLength_ : size;
      const size_t copied = std::min(length, full);
      const size_t fromReport = std::min(copied, size);
      std::memcpy(buffer, buf_.data(), fromReport);
      std::memset(buffer + fromReport, 0, copied - fromReport);
      if (transferred) *transferred = copied;
      return winerr::ERROR_SUCCESS;
    }
  }

  int Write(const uint8_t* data, size_t length, size_t* transferred, uint32_t timeoutMs) override {
    if (transferred) *transferred = 0;
    if (!HasAccess(access_, HidAccess::Write)) return winerr::ERROR_INVALID_HANDLE;
    if (!data || length == 0 || length > kMaxReportSize) return winerr::ERROR_INVALID_PARAMETER;
    // Byte 0 is the report id; hidraw takes it as it is, also the 0 of a node without ids,
    // which the kernel drops before the report goes out.
    if (usesReportIds_ == (data[0] == 0)) return winerr::ERROR_INVALID_PARAMETER;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      const int r = Wait(POLLOUT, deadline);
      if (r != 0) return r;
      const ssize_t n = ::write(fd_, data, length);
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) continue;
        return IoError(errno);
      }
      if (transferred) *transferred = static_cast<size_t>(n);
      return winerr::ERROR_SUCCESS;
    }
  }

  void Cancel() override {
    cancelled_.store(true);
    const uint64_t one = 1;
    // The eventfd stays readable from now on, so every later poll wakes at once too.
    [[maybe_unused]] const ssize_t n = ::write(cancelFd_, &one, sizeof(one));
  }

 private:
  using Clock = std::chrono::steady_clock;

  // Waits until the node is ready for `events`; 0, or the result the caller returns.
  int Wait(short events, Clock::time_point deadline) {
    while (true) {
      if (cancelled_.load()) return winerr::ERROR_OPERATION_ABORTED;
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      const int timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT_MAX));
      pollfd fds[2] = {{fd_, events, 0}, {cancelFd_, POLLIN, 0}};
      const int r = ::poll(fds, 2, timeout);
      if (r < 0) {
        if (errno == EINTR) continue;
        return winerr::FromErrno(errno);
      }
      if (cancelled_.load() || fds[1].revents) return winerr::ERROR_OPERATION_ABORTED;
      if (r == 0) return winerr::ERROR_TIMEOUT;
      if (fds[0].revents & events) return 0;
      if (fds[0].revents & POLLNVAL) return winerr::ERROR_INVALID_HANDLE;
      if (fds[0].revents & (POLLHUP | POLLERR)) return winerr::ERROR_DEVICE_NOT_CONNECTED;
    }
  }

  const int fd_;
  const int cancelFd_;
  const HidAccess access_;
  const bool usesReportIds_;
  const std::vector<uint8_t> inputIds_;
  const uint16_t inputLength_;
  std::vector<uint8_t> buf_;  // used by Read only
  std::atomic<bool> cancelled_{false};
};

// A libudev monitor on "hidraw", read on its own thread. The thread sleeps in poll() on the
// monitor's socket and an eventfd that the destructor signals to stop it.
class HidrawWatcher final : public HidWatcher {
 public:
  static std::unique_ptr<HidWatcher> Start(HidrawBackend backend, HidChangeCallback callback) {
    std::unique_ptr<HidrawWatcher> w(new HidrawWatcher(std::move(backend), std::move(callback)));
    w->udev_ = udev_new();
    if (!w->udev_) return nullptr;
    w->monitor_ = udev_monitor_new_from_netlink(w->udev_, "udev");
    if (!w->monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(w->monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(w->monitor_) < 0)
      return nullptr;
    w->wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (w->wakeFd_ < 0) return nullptr;
    w->thread_ = std::thread([raw = w.get()] { raw->Run(); });
    return w;
  }

  ~HidrawWatcher() override {
    if (thread_.joinable()) {
      const uint64_t one = 1;
      [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof(one));
      thread_.join();
    }
    if (wakeFd_ >= 0) ::close(wakeFd_);
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
  }

 private:
  HidrawWatcher(HidrawBackend backend, HidChangeCallback callback)
      : backend_(std::move(backend)), callback_(std::move(callback)) {}

  void Run() {
    const int monitorFd = udev_monitor_get_fd(monitor_);
    while (true) {
      pollfd fds[2] = {{monitorFd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      const int r = ::poll(fds, 2, -1);
      if (r < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents) return;
      // A broken monitor socket would wake poll at once forever: end the thread instead.
      if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return;
      if (!(fds[0].revents & POLLIN)) continue;
      udev_device* dev = udev_monitor_receive_device(monitor_);
      if (!dev) continue;
      const char* action = udev_device_get_action(dev);
      const char* sysname = udev_device_get_sysname(dev);
      if (action && sysname) {
        std::optional<HidChange> change;
        if (std::strcmp(action, "add") == 0) change = HidChange::Arrival;
        if (std::strcmp(action, "remove") == 0) change = HidChange::Removal;
        if (change && callback_)
          for (const std::string& path : backend_.ChangePaths(*change, sysname))
            callback_(*change, path);
      }
      udev_device_unref(dev);
    }
  }

  HidrawBackend backend_;
  HidChangeCallback callback_;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  int wakeFd_ = -1;
  std::thread thread_;
};

}  // namespace

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(TrimTrailingSlashes(std::move(sysfsRoot))),
      devRoot_(TrimTrailingSlashes(std::move(devRoot))) {}

int HidrawBackend::ListNodes(std::vector<std::string>& names) const {
  names.clear();
  DIR* dir = ::opendir((sysfsRoot_ + "/class/hidraw").c_str());
  if (!dir) {
    // Without the class folder no hidraw device is present: an empty list, not a failure.
    return errno == ENOENT ? winerr::ERROR_SUCCESS : winerr::FromErrno(errno);
  }
  std::vector<std::pair<unsigned long, std::string>> found;
  while (const dirent* e = ::readdir(dir)) {
    unsigned long number = 0;
    if (ParseNodeName(e->d_name, number)) found.emplace_back(number, e->d_name);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  for (auto& f : found) names.push_back(std::move(f.second));
  return winerr::ERROR_SUCCESS;
}

int HidrawBackend::ReadNode(const std::string& name, HidrawNode& out) const {
  out = HidrawNode{};
  unsigned long number = 0;
  if (!ParseNodeName(name, number)) return winerr::ERROR_FILE_NOT_FOUND;
  const std::string hidDevice = sysfsRoot_ + "/class/hidraw/" + name + "/device";
  std::string uevent;
  if (const int err = ReadWholeFile(hidDevice + "/uevent", kMaxTextFileSize, uevent))
    return winerr::FromErrno(err);
  uint32_t bus = 0;
  if (!ParseHidId(uevent, bus, out.attributes.VendorID, out.attributes.ProductID))
    return winerr::ERROR_GEN_FAILURE;
  // Only a USB device has a bcdDevice of its own; above a Bluetooth or I2C device the nearest
  // bcdDevice would belong to the adapter.
  if (bus == kBusUsb) out.attributes.VersionNumber = UsbVersion(hidDevice, sysfsRoot_);
  std::string descriptor;
  if (const int err =
          ReadWholeFile(hidDevice + "/report_descriptor", kMaxDescriptorSize, descriptor))
    return winerr::FromErrno(err);
  out.descriptor = ParseReportDescriptor(
      std::span(reinterpret_cast<const uint8_t*>(descriptor.data()), descriptor.size()));
  out.name = name;
  return winerr::ERROR_SUCCESS;
}

std::vector<HidInterfaceDescription> HidrawBackend::Interfaces(const HidrawNode& node,
                                                               const std::string& devRoot) {
  std::vector<HidInterfaceDescription> list;
  const auto& collections = node.descriptor.collections;
  for (size_t k = 0; k < collections.size(); ++k) {
    const TopLevelCollection& c = collections[k];
    HidInterfaceDescription d;
    d.path = InterfacePath(devRoot, node.name, k, collections.size());
    d.attributes = node.attributes;
    d.caps = c.caps;
    d.inputButtonCaps = c.inputButtonCaps;
    d.outputButtonCaps = c.outputButtonCaps;
    d.featureButtonCaps = c.featureButtonCaps;
    d.inputValueCaps = c.inputValueCaps;
    d.outputValueCaps = c.outputValueCaps;
    d.featureValueCaps = c.featureValueCaps;
    list.push_back(std::move(d));
  }
  return list;
}

int HidrawBackend::Enumerate(std::vector<std::string>& paths) {
  paths.clear();
  std::vector<std::string> names;
  if (const int r = ListNodes(names)) return r;
  for (const std::string& name : names) {
    HidrawNode node;
    // A node whose sysfs entries cannot be read (it is just going away, say) offers nothing.
    if (ReadNode(name, node) != 0) continue;
    const size_t count = node.descriptor.collections.size();
    for (size_t k = 0; k < count; ++k) paths.push_back(InterfacePath(devRoot_, name, k, count));
  }
  return winerr::ERROR_SUCCESS;
}

int HidrawBackend::Resolve(const std::string& path, HidrawNode& node, size_t& collection) const {
  const std::string prefix = devRoot_ + "/";
  if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
    return winerr::ERROR_FILE_NOT_FOUND;
  const std::string rest = path.substr(prefix.size());
  const size_t hash = rest.find('#');
  const std::string name = rest.substr(0, hash);
  if (const int r = ReadNode(name, node)) return r;
  const size_t count = node.descriptor.collections.size();
  if (hash == std::string::npos) {
    if (count != 1) return winerr::ERROR_FILE_NOT_FOUND;
    collection = 0;
    return winerr::ERROR_SUCCESS;
  }
  const std::string index = rest.substr(hash + 1);
  if (count < 2 || !AllDigits(index) || index.size() > 5) return winerr::ERROR_FILE_NOT_FOUND;
  collection = std::strtoul(index.c_str(), nullptr, 10);
  // Only the spelling Enumerate gives names an interface ("#01" does not).
  if (collection >= count || InterfacePath(devRoot_, name, collection, count) != path)
    return winerr::ERROR_FILE_NOT_FOUND;
  return winerr::ERROR_SUCCESS;
}

int HidrawBackend::Describe(const std::string& path, HidInterfaceDescription& out) {
  out = HidInterfaceDescription{};
  HidrawNode node;
  size_t collection = 0;
  if (const int r = Resolve(path, node, collection)) return r;
  struct stat st;
  if (::stat((devRoot_ + "/" + node.name).c_str(), &st) != 0) return winerr::FromErrno(errno);
  out = std::move(Interfaces(node, devRoot_)[collection]);
  return winerr::ERROR_SUCCESS;
}

int HidrawBackend::Open(const std::string& path, HidAccess access,
                        std::unique_ptr<HidDevice>& out) {
  out.reset();
  HidrawNode node;
  size_t collection = 0;
  if (const int r = Resolve(path, node, collection)) return r;
  int flags = O_CLOEXEC | O_NONBLOCK;
  switch (access) {
    case HidAccess::Read: flags |= O_RDONLY; break;
    case HidAccess::Write: flags |= O_WRONLY; break;
    case HidAccess::ReadWrite: flags |= O_RDWR; break;
    // No access: a handle for the node's presence only, which needs no permission on it.
    case HidAccess::None: flags = O_PATH | O_CLOEXEC; break;
  }
  const int fd = ::open((devRoot_ + "/" + node.name).c_str(), flags);
  if (fd < 0) return winerr::FromErrno(errno);
  const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (cancelFd < 0) {
    const int err = errno;
    ::close(fd);
    return winerr::FromErrno(err);
  }
  const TopLevelCollection& c = node.descriptor.collections[collection];
  out = std::make_unique<HidrawDevice>(fd, cancelFd, access, node.descriptor.usesReportIds,
                                       c.inputReportIds, c.caps.InputReportByteLength);
  return winerr::ERROR_SUCCESS;
}

std::vector<std::string> HidrawBackend::ChangePaths(HidChange change,
                                                    const std::string& name) const {
  unsigned long number = 0;
  if (!ParseNodeName(name, number)) return {};
  const std::string nodePath = devRoot_ + "/" + name;
  HidrawNode node;
  if (change == HidChange::Removal || ReadNode(name, node) != 0 ||
      node.descriptor.collections.empty())
    return {nodePath};
  std::vector<std::string> paths;
  const size_t count = node.descriptor.collections.size();
  for (size_t k = 0; k < count; ++k) paths.push_back(InterfacePath(devRoot_, name, k, count));
  return paths;
}

std::unique_ptr<HidWatcher> HidrawBackend::Watch(HidChangeCallback callback) {
  return HidrawWatcher::Start(*this, std::move(callback));
}

}  // namespace hid
