#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/MouseCapabilities.h"
#include "platform/hid/HidBackend.h"
#include "platform/sys/WinError.h"

// A HID backend of scripted interfaces, for what the simulated mouse does not have: other
// report lengths, failing opens and reads, and a mouse that comes back at another path.
// Handles must be closed before the backend goes.
class FakeHidBackend : public hid::HidBackend {
 public:
  struct Interface {
    hid::HidInterfaceDescription description;
    int openResult = winerr::ERROR_SUCCESS;
    int describeLimit = -1;  // Describe calls that succeed before it fails; -1: every one
    // Results (and data) of the first reads, each returned at once; then every read fails
    // at once with `readFailure`, or, when that is 0, waits for its time-out or Cancel.
    std::deque<std::pair<int, std::vector<uint8_t>>> scriptedReads{};
    int readFailure = winerr::ERROR_SUCCESS;
  };

  static hid::HidInterfaceDescription Description(std::string path, uint16_t vendor,
                                                  uint16_t product, uint16_t inputLength,
                                                  uint16_t outputLength) {
    hid::HidInterfaceDescription d;
    d.path = std::move(path);
    d.attributes.VendorID = vendor;
    d.attributes.ProductID = product;
    d.caps.InputReportByteLength = inputLength;
    d.caps.OutputReportByteLength = outputLength;
    return d;
  }

  // The capabilities by which the mouse's vendor collection is recognised.
  static hid::HidInterfaceDescription MouseDescription(std::string path) {
    hid::HidInterfaceDescription d = Description(std::move(path), 0x1111, 0x2222, 8, 8);
    d.attributes.VersionNumber = device::kMouseVersionNumber;
    d.caps.UsagePage = device::kMouseUsagePage;
    d.caps.Usage = device::kMouseUsage;
    d.caps.NumberOutputValueCaps = 1;
    hid::HidValueCaps value;
    value.ReportID = device::kMouseReportId;
    d.outputValueCaps.push_back(value);
    return d;
  }

  void Add(Interface i) {
    std::lock_guard<std::mutex> guard(mutex_);
    const std::string path = i.description.path;
    order_.push_back(path);
    interfaces_[path] = std::make_shared<Interface>(std::move(i));
  }

  void Remove(const std::string& path) {
    std::lock_guard<std::mutex> guard(mutex_);
    std::erase(order_, path);
    interfaces_.erase(path);
  }

  void SetEnumerateResult(int result) {
    std::lock_guard<std::mutex> guard(mutex_);
    enumerateResult_ = result;
  }

  // The access of every open of `path` so far, in order.
  std::vector<hid::HidAccess> Opens(const std::string& path) const {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = opens_.find(path);
    return it == opens_.end() ? std::vector<hid::HidAccess>{} : it->second;
  }

  int ReadCalls() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return readCalls_;
  }

  // True when at least `count` reads were made within `timeout`.
  bool WaitForReadCalls(int count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(mutex_);
    return changed_.wait_for(guard, timeout, [&] { return readCalls_ >= count; });
  }

  // Runs the watchers' callbacks on the caller's thread.
  void Notify(hid::HidChange change, const std::string& path) {
    std::map<int, hid::HidChangeCallback> callbacks;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      callbacks = callbacks_;
    }
    for (const auto& [id, callback] : callbacks) callback(change, path);
  }

  int Enumerate(std::vector<std::string>& paths) override {
    std::lock_guard<std::mutex> guard(mutex_);
    if (enumerateResult_ != winerr::ERROR_SUCCESS) return enumerateResult_;
    paths = order_;
    return winerr::ERROR_SUCCESS;
  }

  int Describe(const std::string& path, hid::HidInterfaceDescription& out) override {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = interfaces_.find(path);
    if (it == interfaces_.end()) return winerr::ERROR_FILE_NOT_FOUND;
    Interface& i = *it->second;
    if (i.describeLimit == 0) return winerr::ERROR_GEN_FAILURE;
    if (i.describeLimit > 0) --i.describeLimit;
    out = i.description;
    return winerr::ERROR_SUCCESS;
  }

  int Open(const std::string& path, hid::HidAccess access,
           std::unique_ptr<hid::HidDevice>& out) override {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = interfaces_.find(path);
    if (it == interfaces_.end()) return winerr::ERROR_FILE_NOT_FOUND;
    if (it->second->openResult != winerr::ERROR_SUCCESS) return it->second->openResult;
    opens_[path].push_back(access);
    out = std::make_unique<Device>(*this, it->second);
    return winerr::ERROR_SUCCESS;
  }

  std::unique_ptr<hid::HidWatcher> Watch(hid::HidChangeCallback callback) override {
    std::lock_guard<std::mutex> guard(mutex_);
    callbacks_[++lastWatcher_] = std::move(callback);
    return std::make_unique<Watcher>(*this, lastWatcher_);
  }

 private:
  class Watcher : public hid::HidWatcher {
   public:
    Watcher(FakeHidBackend& backend, int id) : backend_(backend), id_(id) {}
    ~Watcher() override {
      std::lock_guard<std::mutex> guard(backend_.mutex_);
      backend_.callbacks_.erase(id_);
    }

   private:
    FakeHidBackend& backend_;
    int id_;
  };

  class Device : public hid::HidDevice {
   public:
    Device(FakeHidBackend& backend, std::shared_ptr<Interface> i)
        : backend_(backend), interface_(std::move(i)) {}

    int Read(uint8_t* buffer, size_t length, size_t* transferred, uint32_t timeoutMs) override {
      std::unique_lock<std::mutex> guard(backend_.mutex_);
      ++backend_.readCalls_;
      backend_.changed_.notify_all();
      *transferred = 0;
      if (cancelled_) return winerr::ERROR_OPERATION_ABORTED;
      Interface& i = *interface_;
      if (!i.scriptedReads.empty()) {
        auto [result, data] = std::move(i.scriptedReads.front());
        i.scriptedReads.pop_front();
        *transferred = std::min(length, data.size());
        if (*transferred != 0) std::memcpy(buffer, data.data(), *transferred);
        return result;
      }
      if (i.readFailure != winerr::ERROR_SUCCESS) return i.readFailure;
      const bool woken = backend_.changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                                    [&] { return cancelled_; });
      return woken ? winerr::ERROR_OPERATION_ABORTED : winerr::ERROR_TIMEOUT;
    }

    int Write(const uint8_t*, size_t length, size_t* transferred, uint32_t) override {
      *transferred = length;
      return winerr::ERROR_SUCCESS;
    }

    void Cancel() override {
      {
        std::lock_guard<std::mutex> guard(backend_.mutex_);
        cancelled_ = true;
      }
      backend_.changed_.notify_all();
    }

   private:
    FakeHidBackend& backend_;
    std::shared_ptr<Interface> interface_;
    bool cancelled_ = false;  // guarded by the backend's mutex
  };

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> order_;
  std::map<std::string, std::shared_ptr<Interface>> interfaces_;
  std::map<std::string, std::vector<hid::HidAccess>> opens_;
  std::map<int, hid::HidChangeCallback> callbacks_;
  int lastWatcher_ = 0;
  int enumerateResult_ = winerr::ERROR_SUCCESS;
  int readCalls_ = 0;
};
