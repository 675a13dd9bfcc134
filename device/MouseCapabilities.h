#pragma once

#include <cstdint>

#include "platform/hid/HidTypes.h"

// The capabilities by which the mouse's vendor-defined collection is recognised. Vendor and
// product ids are not looked at: the same test finds the mouse under any ids, and the udev
// checker uses it to grant access to that one hidraw node.
namespace device {

inline constexpr uint16_t kMouseVersionNumber = 0x0200;
inline constexpr uint16_t kMouseUsagePage = 0xFFB3;
inline constexpr uint16_t kMouseUsage = 0x0001;
inline constexpr uint16_t kMouseReportLength = 8;
inline constexpr uint8_t kMouseReportId = 0xB3;

// `firstOutputValueReportId` is the report id of the first output value cap (0 when none).
inline bool IsMouseVendorCollection(const hid::HidAttributes& attributes, const hid::HidCaps& caps,
                                    uint8_t firstOutputValueReportId) {
  return attributes.VersionNumber == kMouseVersionNumber && caps.UsagePage == kMouseUsagePage &&
         caps.Usage == kMouseUsage && caps.InputReportByteLength == kMouseReportLength &&
         caps.OutputReportByteLength == kMouseReportLength && caps.NumberOutputValueCaps == 1 &&
         firstOutputValueReportId == kMouseReportId;
}

inline bool IsMouseVendorCollection(const hid::HidInterfaceDescription& d) {
  const uint8_t id = d.outputValueCaps.empty() ? 0 : d.outputValueCaps.front().ReportID;
  return IsMouseVendorCollection(d.attributes, d.caps, id);
}

}  // namespace device
