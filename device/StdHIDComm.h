#pragma once

#include <cstdint>
#include <string>

#include "device/HIDComm.h"

namespace device {

// Adds finding interfaces by vendor id, product id and index, and remembers the ids of what it
// opened so that the same device can be found again.
class CStdHIDComm : public CHIDComm {
 public:
  explicit CStdHIDComm(hid::HidBackend* backend = nullptr);

  // As CHIDComm::Open; on success also keeps the opened interface's vendor and product id.
  int Open(const std::string& path) override;

  // Opens the stored ids at the stored index: -1 when an id is 0, 2 when not found.
  virtual int OpenStored();
  // Stores the three values, then OpenStored().
  virtual int Open(uint16_t vendorId, uint16_t productId, uint16_t index);
  // FindDevicePath with the stored values; -1 without enumerating when an id is 0.
  virtual int FindDevicePath(std::string& out);
  // The path of the interface that is match number `index` (from 0) among those with the ids,
  // in enumeration order: 0; 2 when there is none; -1 when enumeration failed.
  virtual int FindDevicePath(uint16_t vendorId, uint16_t productId, uint16_t index,
                             std::string& out);

  void SetVendorId(uint16_t id) { vendorId = id; }
  void SetProductId(uint16_t id) { productId = id; }
  void SetDeviceIndex(uint16_t index) { deviceIndex = index; }

 protected:
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t deviceIndex = 0;
};

}  // namespace device
