#include "device/HIDCommMFC.h"

namespace device {

int CHIDCommMFC::Open(const std::string& devicePath, sys::MessageWindow* window) {
  return OpenWithWindow(devicePath, window);
}

int CHIDCommMFC::Open(uint16_t newVendorId, uint16_t newProductId, sys::MessageWindow* window,
                      uint16_t index) {
  return OpenWithWindow(newVendorId, newProductId, window, index);
}

}  // namespace device
