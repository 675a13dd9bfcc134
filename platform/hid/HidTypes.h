#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What is known of one HID interface (one top-level collection), in the terms of the Windows HID
// class driver so that the device layer can apply its capability tests unchanged. Report byte
// lengths include the report-id byte, which is 0 for a collection without report ids.
namespace hid {

struct HidAttributes {
  uint32_t Size = sizeof(HidAttributes);
  uint16_t VendorID = 0;
  uint16_t ProductID = 0;
  uint16_t VersionNumber = 0;
};

struct HidCaps {
  uint16_t Usage = 0;
  uint16_t UsagePage = 0;
  uint16_t InputReportByteLength = 0;
  uint16_t OutputReportByteLength = 0;
  uint16_t FeatureReportByteLength = 0;
  uint16_t NumberLinkCollectionNodes = 0;
  uint16_t NumberInputButtonCaps = 0;
  uint16_t NumberInputValueCaps = 0;
  uint16_t NumberInputDataIndices = 0;
  uint16_t NumberOutputButtonCaps = 0;
  uint16_t NumberOutputValueCaps = 0;
  uint16_t NumberOutputDataIndices = 0;
  uint16_t NumberFeatureButtonCaps = 0;
  uint16_t NumberFeatureValueCaps = 0;
  uint16_t NumberFeatureDataIndices = 0;
};

// One button cap: a main item of one-bit fields (or of an array) with its usages.
struct HidButtonCaps {
  uint16_t UsagePage = 0;
  uint8_t ReportID = 0;
  uint16_t BitField = 0;  // the main item's flags (data/constant, array/variable, ...)
  uint16_t LinkCollection = 0;
  uint16_t LinkUsage = 0;
  uint16_t LinkUsagePage = 0;
  bool IsRange = false;
  bool IsAbsolute = false;
  uint16_t UsageMin = 0;  // also the single usage when IsRange is false
  uint16_t UsageMax = 0;
  uint16_t ReportCount = 0;
};

// One value cap: a main item of multi-bit variable fields.
struct HidValueCaps {
  uint16_t UsagePage = 0;
  uint8_t ReportID = 0;
  uint16_t BitField = 0;
  uint16_t LinkCollection = 0;
  uint16_t LinkUsage = 0;
  uint16_t LinkUsagePage = 0;
  bool IsRange = false;
  bool IsAbsolute = false;
  bool HasNull = false;
  uint16_t BitSize = 0;
  uint16_t ReportCount = 0;
  int32_t LogicalMin = 0;
  int32_t LogicalMax = 0;
  int32_t PhysicalMin = 0;
  int32_t PhysicalMax = 0;
  uint16_t UsageMin = 0;
  uint16_t UsageMax = 0;
};

// Everything the backends know of one interface; the caps lists hold every entry of each kind
// (the device layer keeps the first few, as the Windows API would hand them out).
struct HidInterfaceDescription {
  std::string path;
  HidAttributes attributes;
  HidCaps caps;
  std::vector<HidButtonCaps> inputButtonCaps, outputButtonCaps, featureButtonCaps;
  std::vector<HidValueCaps> inputValueCaps, outputValueCaps, featureValueCaps;
};

enum class HidAccess : unsigned {
  None = 0,
  Read = 1,
  Write = 2,
  ReadWrite = 3,
};

inline bool HasAccess(HidAccess set, HidAccess bit) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(bit)) != 0;
}

enum class HidChange { Arrival, Removal };

}  // namespace hid
