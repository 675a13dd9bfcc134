#include "device/HIDComm.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/sys/WinError.h"

namespace device {

namespace {

// Copies the first min(count, 4) entries; the count comes from the caps, the entries from the
// backend, and neither is trusted to agree with the other.
template <typename Entry, size_t N>
void KeepFirst(const std::vector<Entry>& from, uint16_t count, std::array<Entry, N>& to) {
  const size_t n = std::min({static_cast<size_t>(count), from.size(), N});
  std::copy_n(from.begin(), n, to.begin());
}

}  // namespace

CHIDComm::CHIDComm(hid::HidBackend* backend) : backend_(backend) {}

CHIDComm::~CHIDComm() {
  if (IsOpen()) CHIDComm::Close();
}

hid::HidBackend& CHIDComm::Backend() const {
  return backend_ != nullptr ? *backend_ : hid::DefaultBackend();
}

bool CHIDComm::GetDeviceInfo(const std::string& devicePath, HidDeviceInfo& out) {
  hid::HidInterfaceDescription d;
  if (Backend().Describe(devicePath, d) != winerr::ERROR_SUCCESS) return false;
  out = HidDeviceInfo{};
  out.attributes = d.attributes;
  out.caps = d.caps;
  KeepFirst(d.inputButtonCaps, d.caps.NumberInputButtonCaps, out.inputButtonCaps);
  KeepFirst(d.outputButtonCaps, d.caps.NumberOutputButtonCaps, out.outputButtonCaps);
  KeepFirst(d.featureButtonCaps, d.caps.NumberFeatureButtonCaps, out.featureButtonCaps);
  KeepFirst(d.inputValueCaps, d.caps.NumberInputValueCaps, out.inputValueCaps);
  KeepFirst(d.outputValueCaps, d.caps.NumberOutputValueCaps, out.outputValueCaps);
  KeepFirst(d.featureValueCaps, d.caps.NumberFeatureValueCaps, out.featureValueCaps);
  return true;
}

bool CHIDComm::GetDeviceInfo(HidDeviceInfo& out) {
  if (!IsOpen()) {
    lastResult = winerr::ERROR_INVALID_HANDLE;
    return false;
  }
  return GetDeviceInfo(path, out);
}

int CHIDComm::Open(const std::string& devicePath) {
  if (IsOpen()) return lastResult = winerr::ERROR_ALREADY_INITIALIZED;

  HidDeviceInfo probe;
  if (!GetDeviceInfo(devicePath, probe)) return lastResult = winerr::ERROR_NOT_ENOUGH_MEMORY;

  unsigned access = 0;
  if (probe.caps.InputReportByteLength != 0) access |= static_cast<unsigned>(hid::HidAccess::Read);
  if (probe.caps.OutputReportByteLength != 0) {
    access |= static_cast<unsigned>(hid::HidAccess::Write);
  }
  std::unique_ptr<hid::HidDevice> handle;
  const int opened = Backend().Open(devicePath, static_cast<hid::HidAccess>(access), handle);
  if (opened != winerr::ERROR_SUCCESS || handle == nullptr) {
    return lastResult = (opened != winerr::ERROR_SUCCESS ? opened : winerr::ERROR_GEN_FAILURE);
  }
  hDevice = std::move(handle);

  path = devicePath;
  info = HidDeviceInfo{};
  if (!GetDeviceInfo(path, info)) {
    hDevice.reset();
    return lastResult = winerr::ERROR_NOT_ENOUGH_MEMORY;
  }
  return lastResult = winerr::ERROR_SUCCESS;
}

int CHIDComm::Close() {
  if (!IsOpen()) return lastResult = winerr::ERROR_NOT_OPEN;
  hDevice.reset();
  return lastResult = winerr::ERROR_SUCCESS;
}

void CHIDComm::CancelPendingIo() {
  if (IsOpen()) hDevice->Cancel();
}

int CHIDComm::Write(const char* text, size_t* pTransferred, uint32_t timeoutMs) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  return Write(reinterpret_cast<const uint8_t*>(text), length, pTransferred, timeoutMs);
}

int CHIDComm::Write(const uint8_t* data, size_t length, size_t* pTransferred, uint32_t timeoutMs) {
  if (pTransferred != nullptr) *pTransferred = 0;
  if (!IsOpen()) return lastResult = winerr::ERROR_INVALID_HANDLE;
  size_t n = 0;
  const int result = hDevice->Write(data, length, &n, timeoutMs);
  if (result == winerr::ERROR_SUCCESS && pTransferred != nullptr) *pTransferred = n;
  return lastResult = result;
}

int CHIDComm::Read(uint8_t* buffer, size_t length, size_t* pTransferred, uint32_t timeoutMs) {
  if (pTransferred != nullptr) *pTransferred = 0;
  if (!IsOpen()) return lastResult = winerr::ERROR_INVALID_HANDLE;
  size_t n = 0;
  const int result = hDevice->Read(buffer, length, &n, timeoutMs);
  if (result == winerr::ERROR_SUCCESS && pTransferred != nullptr) *pTransferred = n;
  return lastResult = result;
}

int CHIDComm::BuildReport(const uint8_t* data, size_t length, HidReport& report, uint8_t reportId) {
  if (length > sizeof(report.data) - 2) return lastResult = winerr::ERROR_REPORT_TOO_LONG;
  report.data[0] = reportId;
  if (length != 0) std::memcpy(report.data + 1, data, length);
  report.length = static_cast<int32_t>(length + 1);
  return lastResult = winerr::ERROR_SUCCESS;
}

int CHIDComm::BuildReport(const char* text, HidReport& report, uint8_t reportId) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  return BuildReport(reinterpret_cast<const uint8_t*>(text), length, report, reportId);
}

int CHIDComm::BuildReport(const char* text, HidReport& report) {
  return BuildReport(text, report, 0);
}

int CHIDComm::BuildReport(const uint8_t* data, size_t length, HidReport& report) {
  return BuildReport(data, length, report, 0);
}

int CHIDComm::CopyReport(const uint8_t* data, size_t length, HidReport& report) {
  if (length >= sizeof(report.data)) return lastResult = winerr::ERROR_REPORT_TOO_LONG;
  if (length != 0) std::memcpy(report.data, data, length);
  report.length = static_cast<int32_t>(length);
  return lastResult = winerr::ERROR_SUCCESS;
}

int CHIDComm::CopyReport(const char* text, HidReport& report) {
  const size_t length = text != nullptr ? std::strlen(text) : 0;
  return CopyReport(reinterpret_cast<const uint8_t*>(text), length, report);
}

}  // namespace device
