#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/hid/HidTypes.h"

// A HID report-descriptor parser that describes each top-level collection the way the Windows
// HID class driver does: caps with report byte lengths (including the report-id byte), button
// caps (one-bit variable fields and arrays) and value caps (multi-bit variable fields), one cap
// per usage or usage range of a main item. Fields without usages are padding and give no cap.
namespace hid {

enum class DescriptorError {
  None,
  Truncated,             // an item's data runs past the end of the descriptor
  UnbalancedCollection,  // End Collection without an open collection
  UnclosedCollection,    // the descriptor ended inside a collection
  InvalidReportId,       // Report ID 0 or above 255
  StackOverflow,         // too many nested Push items
  StackUnderflow,        // Pop without Push
  NestingTooDeep,        // too many nested collections
  ReportTooLong,         // a report longer than a 16-bit byte length can express
  TooManyItems,          // more usages, caps or link collections than 16-bit counts hold
};

// One top-level collection and everything inside it.
struct TopLevelCollection {
  HidCaps caps;
  std::vector<HidButtonCaps> inputButtonCaps, outputButtonCaps, featureButtonCaps;
  std::vector<HidValueCaps> inputValueCaps, outputValueCaps, featureValueCaps;
  // Report ids that the collection's main items use, ascending: all kinds, and inputs only.
  // Id 0 stands for the reports of a descriptor that declares no report ids.
  std::vector<uint8_t> reportIds;
  std::vector<uint8_t> inputReportIds;
};

struct ParsedDescriptor {
  DescriptorError error = DescriptorError::None;
  size_t errorOffset = 0;  // byte offset of the item that failed
  bool usesReportIds = false;
  // The top-level collections closed before the end (or before an error), in descriptor order.
  std::vector<TopLevelCollection> collections;

  bool ok() const { return error == DescriptorError::None; }
};

// Never reads outside `descriptor`; a malformed descriptor gives an error together with the
// collections that were complete before the fault.
ParsedDescriptor ParseReportDescriptor(std::span<const uint8_t> descriptor);

}  // namespace hid
