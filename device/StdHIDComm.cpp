#include "device/StdHIDComm.h"

#include <vector>

#include "platform/sys/WinError.h"

namespace device {

CStdHIDComm::CStdHIDComm(hid::HidBackend* backend) : CHIDComm(backend) {}

int CStdHIDComm::Open(const std::string& devicePath) {
  const int result = CHIDComm::Open(devicePath);
  if (result == winerr::ERROR_SUCCESS) {
    vendorId = info.attributes.VendorID;
    productId = info.attributes.ProductID;
  }
  return result;
}

int CStdHIDComm::FindDevicePath(uint16_t wantedVendor, uint16_t wantedProduct, uint16_t index,
                                std::string& out) {
  std::vector<std::string> paths;
  if (Backend().Enumerate(paths) != winerr::ERROR_SUCCESS) return lastResult = -1;
  int matches = 0;
  for (const std::string& candidate : paths) {
    hid::HidInterfaceDescription d;
    if (Backend().Describe(candidate, d) != winerr::ERROR_SUCCESS) continue;
    if (d.attributes.VendorID != wantedVendor || d.attributes.ProductID != wantedProduct) continue;
    if (matches >= index) {
      out = candidate;
      return lastResult = winerr::ERROR_SUCCESS;
    }
    ++matches;
  }
  return lastResult = winerr::ERROR_FILE_NOT_FOUND;
}

int CStdHIDComm::FindDevicePath(std::string& out) {
  if (vendorId == 0 || productId == 0) return lastResult = -1;
  return FindDevicePath(vendorId, productId, deviceIndex, out);
}

int CStdHIDComm::OpenStored() {
  if (vendorId == 0 || productId == 0) return lastResult = -1;
  std::string found;
  const int result = FindDevicePath(found);
  if (result != winerr::ERROR_SUCCESS) return result;
  return CHIDComm::Open(found);
}

int CStdHIDComm::Open(uint16_t newVendorId, uint16_t newProductId, uint16_t index) {
  vendorId = newVendorId;
  productId = newProductId;
  deviceIndex = index;
  return OpenStored();
}

}  // namespace device
