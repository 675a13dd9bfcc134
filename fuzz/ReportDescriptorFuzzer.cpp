// Feeds arbitrary bytes to the HID report-descriptor parser, as a device's sysfs
// report_descriptor would, and touches everything it computed.
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/MouseCapabilities.h"
#include "platform/hid/ReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const hid::ParsedDescriptor parsed =
      hid::ParseReportDescriptor(std::span<const uint8_t>(data, size));
  volatile unsigned sink = 0;
  for (const auto& collection : parsed.collections) {
    sink = sink + collection.caps.InputReportByteLength + collection.caps.OutputReportByteLength +
           collection.caps.FeatureReportByteLength;
    for (const auto& v : collection.outputValueCaps) sink = sink + v.ReportID + v.BitSize;
    for (const auto& b : collection.inputButtonCaps) sink = sink + b.UsageMin + b.UsageMax;
  }
  hid::HidAttributes attributes;
  attributes.VersionNumber = device::kMouseVersionNumber;
  for (const auto& collection : parsed.collections) {
    const uint8_t id =
        collection.outputValueCaps.empty() ? 0 : collection.outputValueCaps.front().ReportID;
    sink = sink + device::IsMouseVendorCollection(attributes, collection.caps, id);
  }
  (void)sink;
  return 0;
}
