#include "platform/hid/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/platform/hid/Descriptors.h"

namespace {

using hid::DescriptorError;
using hid::HidCaps;
using hid::ParseReportDescriptor;
using testdesc::Bytes;

hid::ParsedDescriptor Parse(const Bytes& b) { return ParseReportDescriptor(b); }

// The caps as named numbers, so a mismatch shows which field differs.
std::map<std::string, int> Fields(const HidCaps& c) {
  return {{"Usage", c.Usage},
          {"UsagePage", c.UsagePage},
          {"InputLen", c.InputReportByteLength},
          {"OutputLen", c.OutputReportByteLength},
          {"FeatureLen", c.FeatureReportByteLength},
          {"LinkNodes", c.NumberLinkCollectionNodes},
          {"InButtons", c.NumberInputButtonCaps},
          {"InValues", c.NumberInputValueCaps},
          {"InIndices", c.NumberInputDataIndices},
          {"OutButtons", c.NumberOutputButtonCaps},
          {"OutValues", c.NumberOutputValueCaps},
          {"OutIndices", c.NumberOutputDataIndices},
          {"FeatButtons", c.NumberFeatureButtonCaps},
          {"FeatValues", c.NumberFeatureValueCaps},
          {"FeatIndices", c.NumberFeatureDataIndices}};
}

HidCaps Caps(std::map<std::string, int> set) {
  HidCaps c;
  auto v = [&](const char* k) { return static_cast<uint16_t>(set[k]); };
  c.Usage = v("Usage");
  c.UsagePage = v("UsagePage");
  c.InputReportByteLength = v("InputLen");
  c.OutputReportByteLength = v("OutputLen");
  c.FeatureReportByteLength = v("FeatureLen");
  c.NumberLinkCollectionNodes = v("LinkNodes");
  c.NumberInputButtonCaps = v("InButtons");
  c.NumberInputValueCaps = v("InValues");
  c.NumberInputDataIndices = v("InIndices");
  c.NumberOutputButtonCaps = v("OutButtons");
  c.NumberOutputValueCaps = v("OutValues");
  c.NumberOutputDataIndices = v("OutIndices");
  c.NumberFeatureButtonCaps = v("FeatButtons");
  c.NumberFeatureValueCaps = v("FeatValues");
  c.NumberFeatureDataIndices = v("FeatIndices");
  return c;
}

const HidCaps kBootMouseCaps = Caps({{"Usage", 2}, {"UsagePage", 1}, {"InputLen", 4},
                                     {"LinkNodes", 2}, {"InButtons", 1}, {"InValues", 2},
                                     {"InIndices", 5}});
const HidCaps kKeyboardCaps =
    Caps({{"Usage", 6}, {"UsagePage", 1}, {"InputLen", 9}, {"OutputLen", 2}, {"LinkNodes", 1},
          {"InButtons", 2}, {"InIndices", 8 + 0x66}, {"OutButtons", 1}, {"OutIndices", 5}});
const HidCaps kVendorMouseCaps =
    Caps({{"Usage", 1}, {"UsagePage", 0xFFB3}, {"InputLen", 8}, {"OutputLen", 8},
          {"LinkNodes", 1}, {"InValues", 1}, {"InIndices", 1}, {"OutValues", 1},
          {"OutIndices", 1}});
const HidCaps kMouseWithIdCaps = Caps({{"Usage", 2}, {"UsagePage", 1}, {"InputLen", 7},
                                       {"LinkNodes", 2}, {"InButtons", 1}, {"InValues", 3},
                                       {"InIndices", 8}});
const HidCaps kConsumerCaps = Caps({{"Usage", 1}, {"UsagePage", 0x0C}, {"InputLen", 3},
                                    {"LinkNodes", 1}, {"InButtons", 1}, {"InIndices", 0x23D}});
const HidCaps kVendorFeatureCaps = Caps({{"Usage", 2}, {"UsagePage", 0xFF00}, {"FeatureLen", 17},
                                         {"LinkNodes", 1}, {"FeatValues", 2}, {"FeatIndices", 2}});

struct CapsCase {
  const char* name;
  Bytes descriptor;
  bool usesReportIds;
  std::vector<HidCaps> caps;
  std::vector<std::vector<uint8_t>> reportIds;
};

void PrintTo(const CapsCase& c, std::ostream* os) { *os << c.name; }

class DescriptorCaps : public testing::TestWithParam<CapsCase> {};

TEST_P(DescriptorCaps, EachTopLevelCollectionGetsItsCaps) {
  const CapsCase& c = GetParam();
  const auto parsed = Parse(c.descriptor);
  ASSERT_TRUE(parsed.ok()) << static_cast<int>(parsed.error) << " at " << parsed.errorOffset;
  EXPECT_EQ(parsed.usesReportIds, c.usesReportIds);
  ASSERT_EQ(parsed.collections.size(), c.caps.size());
  for (size_t i = 0; i < c.caps.size(); ++i) {
    EXPECT_EQ(Fields(parsed.collections[i].caps), Fields(c.caps[i])) << "collection " << i;
    EXPECT_EQ(parsed.collections[i].reportIds, c.reportIds[i]) << "collection " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DescriptorCaps,
    testing::Values(
        CapsCase{"BootMouse", testdesc::kBootMouse, false, {kBootMouseCaps}, {{0}}},
        CapsCase{"Keyboard", testdesc::kKeyboard, false, {kKeyboardCaps}, {{0}}},
        CapsCase{"VendorMouse", testdesc::kVendorMouse, true, {kVendorMouseCaps}, {{0xB3}}},
        CapsCase{"Composite",
                 testdesc::kComposite,
                 true,
                 {kMouseWithIdCaps, kConsumerCaps, kVendorFeatureCaps, kVendorMouseCaps},
                 {{1}, {2}, {5, 6}, {0xB3}}},
        // Fields of one report id declared in two places make one report.
        CapsCase{"ReportSplitAcrossItems",
                 {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07, 0x09, 0x01, 0x75, 0x08,
                  0x95, 0x02, 0x81, 0x02, 0x85, 0x08, 0x09, 0x02, 0x95, 0x01, 0x81, 0x02, 0x85,
                  0x07, 0x09, 0x03, 0x95, 0x03, 0x81, 0x02, 0xC0},
                 true,
                 {Caps({{"Usage", 1}, {"UsagePage", 0xFF00}, {"InputLen", 6}, {"LinkNodes", 1},
                        {"InValues", 3}, {"InIndices", 3}})},
                 {{7, 8}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DescriptorCapLists, BootMouseButtonsAndAxes) {
  const auto parsed = Parse(testdesc::kBootMouse);
  ASSERT_EQ(parsed.collections.size(), 1u);
  const auto& c = parsed.collections[0];
  ASSERT_EQ(c.inputButtonCaps.size(), 1u);
  const auto& b = c.inputButtonCaps[0];
  EXPECT_EQ(b.UsagePage, 9);
  EXPECT_TRUE(b.IsRange);
  EXPECT_EQ(b.UsageMin, 1);
  EXPECT_EQ(b.UsageMax, 3);
  EXPECT_EQ(b.ReportCount, 3);
  // The buttons sit in the Pointer collection, link node 1.
  EXPECT_EQ(b.LinkCollection, 1);
  EXPECT_EQ(b.LinkUsagePage, 1);
  EXPECT_EQ(b.LinkUsage, 1);
  ASSERT_EQ(c.inputValueCaps.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const auto& v = c.inputValueCaps[i];
    EXPECT_EQ(v.UsagePage, 1);
    EXPECT_EQ(v.UsageMin, 0x30 + i);
    EXPECT_FALSE(v.IsRange);
    EXPECT_FALSE(v.IsAbsolute);
    EXPECT_EQ(v.BitSize, 8);
    EXPECT_EQ(v.ReportCount, 1);
    EXPECT_EQ(v.LogicalMin, -127);
    EXPECT_EQ(v.LogicalMax, 127);
  }
}

TEST(DescriptorCapLists, VendorMouseValuesCarryTheReportId) {
  const auto parsed = Parse(testdesc::kComposite);
  ASSERT_EQ(parsed.collections.size(), 4u);
  const auto& c = parsed.collections[3];
  EXPECT_EQ(c.inputReportIds, std::vector<uint8_t>{0xB3});
  for (const auto* list : {&c.inputValueCaps, &c.outputValueCaps}) {
    ASSERT_EQ(list->size(), 1u);
    const auto& v = list->front();
    EXPECT_EQ(v.ReportID, 0xB3);
    EXPECT_EQ(v.UsagePage, 0xFFB3);
    EXPECT_EQ(v.UsageMin, 1);
    EXPECT_EQ(v.BitSize, 8);
    EXPECT_EQ(v.ReportCount, 7);
    EXPECT_EQ(v.LogicalMax, 255);
    EXPECT_TRUE(v.IsAbsolute);
  }
  // The consumer array is one button cap over its whole usage range.
  const auto& array = parsed.collections[1].inputButtonCaps.at(0);
  EXPECT_EQ(array.ReportID, 2);
  EXPECT_TRUE(array.IsRange);
  EXPECT_EQ(array.UsageMax, 0x23C);
  EXPECT_EQ(array.BitField & 0x02, 0);  // array, not variable
}

TEST(DescriptorCapLists, UsagesSpreadOverVariableFields) {
  // X and Y over three 8-bit fields: the last usage takes the remaining two; a range of eight
  // usages over three 1-bit fields is cut to the three it covers.
  const Bytes d = {0x05, 0x01, 0x09, 0x00, 0xA1, 0x01, 0x09, 0x30, 0x09, 0x31, 0x75, 0x08,
                   0x95, 0x03, 0x81, 0x02, 0x05, 0x09, 0x19, 0x01, 0x29, 0x08, 0x75, 0x01,
                   0x95, 0x03, 0x81, 0x02, 0xC0};
  const auto parsed = Parse(d);
  ASSERT_EQ(parsed.collections.size(), 1u);
  const auto& c = parsed.collections[0];
  ASSERT_EQ(c.inputValueCaps.size(), 2u);
  EXPECT_EQ(c.inputValueCaps[0].ReportCount, 1);
  EXPECT_EQ(c.inputValueCaps[1].UsageMin, 0x31);
  EXPECT_EQ(c.inputValueCaps[1].ReportCount, 2);
  ASSERT_EQ(c.inputButtonCaps.size(), 1u);
  EXPECT_EQ(c.inputButtonCaps[0].UsageMax, 3);
  EXPECT_EQ(c.caps.NumberInputDataIndices, 2 + 3);
}

TEST(DescriptorGlobals, PushPopAndExtendedUsages) {
  // Push keeps the Generic Desktop page across a Button block; a 4-byte usage names its page.
  const Bytes d = {0x05, 0x01, 0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01,  // Usage 0x000C:0001
                   0xA4, 0x05, 0x09, 0x19, 0x01, 0x29, 0x02, 0x75, 0x01, 0x95, 0x02, 0x81, 0x02,
                   0xB4, 0x09, 0x30, 0x75, 0x06, 0x95, 0x01, 0x15, 0x00, 0x25, 0xFF, 0x81, 0x02,
                   0xC0};
  const auto parsed = Parse(d);
  ASSERT_EQ(parsed.collections.size(), 1u);
  const auto& c = parsed.collections[0];
  EXPECT_EQ(c.caps.UsagePage, 0x0C);
  EXPECT_EQ(c.caps.Usage, 1);
  EXPECT_EQ(c.inputButtonCaps.at(0).UsagePage, 9);
  ASSERT_EQ(c.inputValueCaps.size(), 1u);
  EXPECT_EQ(c.inputValueCaps[0].UsagePage, 1);
  EXPECT_EQ(c.inputValueCaps[0].BitSize, 6);
  // A one-byte maximum of 0xFF over a minimum of 0 means 255, not -1.
  EXPECT_EQ(c.inputValueCaps[0].LogicalMax, 255);
}

struct BadCase {
  const char* name;
  Bytes descriptor;
  DescriptorError error;
  size_t errorOffset;
  size_t collectionsKept;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class MalformedDescriptor : public testing::TestWithParam<BadCase> {};

TEST_P(MalformedDescriptor, ReportsTheFaultAndKeepsCompleteCollections) {
  const BadCase& c = GetParam();
  // Parse a copy of exactly the descriptor's size so that ASan catches any read past its end.
  const std::unique_ptr<uint8_t[]> exact(new uint8_t[c.descriptor.size()]);
  std::copy(c.descriptor.begin(), c.descriptor.end(), exact.get());
  const auto parsed = ParseReportDescriptor(std::span(exact.get(), c.descriptor.size()));
  EXPECT_EQ(parsed.error, c.error);
  if (c.error != DescriptorError::None) {
    EXPECT_EQ(parsed.errorOffset, c.errorOffset);
  }
  EXPECT_EQ(parsed.collections.size(), c.collectionsKept);
}

const size_t kVM = testdesc::kVendorMouse.size();

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedDescriptor,
    testing::Values(
        BadCase{"Empty", {}, DescriptorError::None, 0, 0},
        BadCase{"ItemDataCutAfterCollection",
                testdesc::Concat({testdesc::kVendorMouse, {0x06, 0xB3}}),
                DescriptorError::Truncated, kVM, 1},
        BadCase{"ItemDataCutInsideCollection",
                Bytes(testdesc::kVendorMouse.begin(), testdesc::kVendorMouse.begin() + 15),
                DescriptorError::Truncated, 13, 0},
        BadCase{"FourByteItemCut", {0x27, 0x01, 0x02}, DescriptorError::Truncated, 0, 0},
        BadCase{"LongItemCut", {0xFE, 0x05, 0x00, 0x01}, DescriptorError::Truncated, 0, 0},
        BadCase{"LongItemHeaderCut", {0xFE, 0x05}, DescriptorError::Truncated, 0, 0},
        BadCase{"LongItemSkipped",
                testdesc::Concat({{0xFE, 0x02, 0x10, 0xAA, 0xBB}, testdesc::kVendorMouse}),
                DescriptorError::None, 0, 1},
        BadCase{"EndWithoutCollection",
                testdesc::Concat({testdesc::kVendorMouse, {0xC0}}),
                DescriptorError::UnbalancedCollection, kVM, 1},
        BadCase{"CollectionNeverClosed", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01},
                DescriptorError::UnclosedCollection, 6, 0},
        BadCase{"ReportIdZero", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x00, 0xC0},
                DescriptorError::InvalidReportId, 6, 0},
        BadCase{"ReportIdAbove255", {0x86, 0x00, 0x01}, DescriptorError::InvalidReportId, 0, 0},
        BadCase{"PopWithoutPush", {0xB4}, DescriptorError::StackUnderflow, 0, 0},
        BadCase{"PushTooDeep", Bytes(17, 0xA4), DescriptorError::StackOverflow, 16, 0},
        BadCase{"NestingTooDeep", Bytes(65, 0xA0), DescriptorError::NestingTooDeep, 64, 0},
        BadCase{"ReportLongerThan16BitLength",
                {0xA1, 0x01, 0x09, 0x01, 0x76, 0xFF, 0xFF, 0x95, 0x10, 0x81, 0x02, 0xC0},
                DescriptorError::ReportTooLong, 9, 0},
        BadCase{"FieldSizeAbove16Bits",
                {0xA1, 0x01, 0x09, 0x01, 0x77, 0x00, 0x00, 0x01, 0x00, 0x95, 0x01, 0x81, 0x02,
                 0xC0},
                DescriptorError::ReportTooLong, 11, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
