#pragma once

#include <cstdint>
#include <string>

#include "device/HIDCommWnd.h"

namespace device {

// Opening with the window that receives the device notifications and the protocol's messages;
// null for none.
class CHIDCommMFC : public CHIDCommWnd {
 public:
  using CHIDCommWnd::CHIDCommWnd;
  using CHIDCommWnd::Open;

  virtual int Open(const std::string& path, sys::MessageWindow* window);
  virtual int Open(uint16_t vendorId, uint16_t productId, sys::MessageWindow* window,
                   uint16_t index);
};

}  // namespace device
