#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "settings/ButtonEncoder.h"
#include "settings/DeviceSettings.h"
#include "settings/FunctionCodes.h"

namespace {

using namespace settings;
using Bytes = std::vector<unsigned char>;

template <typename T>
Bytes RawOfAny(const T& value) {
  const auto* p = reinterpret_cast<const unsigned char*>(&value);
  return Bytes(p, p + sizeof value);
}
Bytes RawOf(const tagMODEINFO& r) { return RawOfAny(r); }

struct ModeDefaults {
  int mode;
  // major, minor of buttons 0 to 9, as documented for the mode
  std::array<std::array<uint8_t, 2>, KEY_COUNT> keys;
  std::array<uint8_t, 3> colour;
  // the documented device code of each button; {-1, -1} where the encoder leaves the bytes
  std::array<std::array<int, 2>, KEY_COUNT> codes;
};

const ModeDefaults kDefaults[] = {
    {0,
     {{{6, 0}, {7, 0}, {8, 0}, {12, 0}, {4, 13}, {3, 10}, {13, 0}, {0, 0}, {14, 0}, {15, 0}}},
     {255, 0, 0},
     {{{0x81, 0x42}, {0x82, 0x42}, {0x84, 0x42}, {0x90, 0x42}, {0x03, 0x4A}, {0x07, 0x4A},
       {0x88, 0x42}, {-1, -1}, {0x01, 0x43}, {0xFF, 0x43}}}},
    {1,
     {{{6, 0}, {7, 0}, {8, 0}, {5, 24}, {4, 13}, {3, 10}, {9, 0}, {0, 0}, {14, 0}, {15, 0}}},
     {0, 0, 255},
     {{{0x81, 0x42}, {0x82, 0x42}, {0x84, 0x42}, {0x23, 0x22}, {0x03, 0x4A}, {0x07, 0x4A},
       {-1, -1}, {-1, -1}, {0x01, 0x43}, {0xFF, 0x43}}}},
    {2,
     {{{6, 0}, {7, 0}, {2, 5}, {2, 3}, {4, 13}, {3, 10}, {2, 4}, {0, 0}, {2, 8}, {2, 9}}},
     {0, 255, 0},
     {{{0x81, 0x42}, {0x82, 0x42}, {0xCD, 0x20}, {0xB6, 0x20}, {0x03, 0x4A}, {0x07, 0x4A},
       {0xB5, 0x20}, {-1, -1}, {0xE9, 0x20}, {0xEA, 0x20}}}},
    {3,
     {{{6, 0}, {7, 0}, {8, 0}, {12, 0}, {4, 13}, {3, 10}, {13, 0}, {0, 0}, {14, 0}, {15, 0}}},
     {255, 0, 255},
     {{{0x81, 0x42}, {0x82, 0x42}, {0x84, 0x42}, {0x90, 0x42}, {0x03, 0x4A}, {0x07, 0x4A},
       {0x88, 0x42}, {-1, -1}, {0x01, 0x43}, {0xFF, 0x43}}}},
};

void PutInt(Bytes& b, size_t offset, int32_t v) {
  std::memcpy(&b[offset], &v, 4);  // the host is little-endian, as the records require
}

// The factory record of a mode, built byte by byte from the documented offsets.
Bytes ExpectedRecord(const ModeDefaults& d) {
  Bytes b(6408, 0);
  for (int k = 0; k < KEY_COUNT; ++k) {
    b[526 * k + 1] = d.keys[k][0];
    b[526 * k + 2] = d.keys[k][1];
    b[526 * k + 5] = 255;  // no shortcut key; modifiers stay 0, not 0x80
  }
  const uint8_t device[16] = {0xF0, d.colour[0], d.colour[1], d.colour[2], 0x14, 0x11, 0x04, 0,
                              0x10, 0x64,        0xFF,        0xFF,        0x11, 0x11, 0x0F, 65};
  std::memcpy(&b[6300], device, sizeof device);
  PutInt(b, 6316, 4);  // pointer speed
  PutInt(b, 6320, 3);  // wheel lines
  PutInt(b, 6324, 3);  // horizontal scroll amount
  PutInt(b, 6336, 4);  // double-click speed
  b[6340] = 1;         // DPI level
  b[6341] = 1;         // report rate 250 Hz
  return b;
}

class FactoryDefaults : public ::testing::Test {
 protected:
  std::unique_ptr<DeviceSettings> s = std::make_unique<DeviceSettings>();
};

TEST_F(FactoryDefaults, EveryModeMatchesItsDocumentedRecord) {
  std::memset(s->EditingModes, 0x5A, sizeof s->EditingModes);
  s->SetCurrentMode(2);
  s->ResetAllModesToDefaults();
  for (const ModeDefaults& d : kDefaults) {
    EXPECT_EQ(RawOf(s->EditingModes[d.mode]), ExpectedRecord(d)) << "mode " << d.mode;
  }
  EXPECT_EQ(s->CurrentMode(), 0);
  EXPECT_EQ(s->image.configBlock.bytes[228], 15);
  // The fifth record is nobody's: a reset leaves it alone.
  EXPECT_EQ(RawOf(s->EditingModes[4]), Bytes(6408, 0x5A));
}

TEST_F(FactoryDefaults, ResettingAllModesTouchesOnlyTheEditingRecordsAndByte228) {
  // Every other byte of the model holds a sentinel, and the records a mode other than 0.
  std::memset(s->EditingModes, 0x5A, sizeof s->EditingModes);
  std::memset(s->AppliedModes, 0xA5, sizeof s->AppliedModes);
  std::memset(&s->image, 0x3C, sizeof s->image);
  std::memset(&s->deviceInfo, 0xC3, sizeof s->deviceInfo);
  s->ExpectedProductId = 0x4417A001;
  s->SetCurrentMode(3);
  const Bytes applied = RawOfAny(s->AppliedModes);
  const Bytes device = RawOfAny(s->deviceInfo);

  s->ResetAllModesToDefaults();

  for (const ModeDefaults& d : kDefaults) {
    EXPECT_EQ(RawOf(s->EditingModes[d.mode]), ExpectedRecord(d)) << "mode " << d.mode;
  }
  EXPECT_EQ(RawOf(s->EditingModes[4]), Bytes(6408, 0x5A));
  EXPECT_EQ(s->CurrentMode(), 0);
  EXPECT_EQ(RawOfAny(s->AppliedModes), applied);
  Bytes image = RawOfAny(s->image);
  EXPECT_EQ(image[offsetof(tagE2IMAGE, configBlock) + 228], 15);
  image[offsetof(tagE2IMAGE, configBlock) + 228] = 0x3C;
  EXPECT_EQ(image, Bytes(sizeof s->image, 0x3C));
  EXPECT_EQ(RawOfAny(s->deviceInfo), device);
  EXPECT_EQ(s->ExpectedProductId, 0x4417A001u);
}

TEST_F(FactoryDefaults, EveryDefaultEncodesToItsDocumentedCode) {
  s->ResetAllModesToDefaults();
  E2ConfigBlock block;
  std::memset(&block, 0xEE, sizeof block);
  for (const ModeDefaults& d : kDefaults) {
    EncodeButtonCodes(std::span<const tagKEYDEFINEINFO, KEY_COUNT>(s->EditingModes[d.mode].keys),
                      std::span<uint8_t, BUTTON_CODE_BYTES>(block.bytes + 32 * d.mode, 20));
    for (int b = 0; b < KEY_COUNT; ++b) {
      const uint8_t* code = block.bytes + ButtonCodeOffset(d.mode, b);
      const int first = d.codes[b][0] < 0 ? 0xEE : d.codes[b][0];
      const int second = d.codes[b][1] < 0 ? 0xEE : d.codes[b][1];
      EXPECT_EQ(code[0], first) << "mode " << d.mode << " button " << b;
      EXPECT_EQ(code[1], second) << "mode " << d.mode << " button " << b;
    }
    // The twelve bytes after the buttons belong to none of them.
    for (int i = 20; i < 32; ++i) EXPECT_EQ(block.bytes[32 * d.mode + i], 0xEE);
  }
}

TEST_F(FactoryDefaults, OneResetLeavesTheOtherModesAndTheCurrentModeAlone) {
  std::memset(s->EditingModes, 0xA5, sizeof s->EditingModes);
  s->SetCurrentMode(2);
  s->ResetModeToDefaults(1);
  EXPECT_EQ(RawOf(s->EditingModes[1]), ExpectedRecord(kDefaults[1]));
  for (int m : {0, 2, 3, 4}) EXPECT_EQ(RawOf(s->EditingModes[m]), Bytes(6408, 0xA5)) << m;
  EXPECT_EQ(s->CurrentMode(), 2);
  EXPECT_EQ(s->image.configBlock.bytes[228], 15);
}

TEST_F(FactoryDefaults, ModeOutsideTheAreaChangesNothing) {
  std::memset(s->EditingModes, 0xA5, sizeof s->EditingModes);
  for (int mode : {-1, 4, 5, 1000}) s->ResetModeToDefaults(mode);
  for (int m = 0; m < MODE_AREA_COUNT; ++m) EXPECT_EQ(RawOf(s->EditingModes[m]), Bytes(6408, 0xA5));
  EXPECT_EQ(s->image.configBlock.bytes[228], 0);
}

TEST_F(FactoryDefaults, CurrentModeStaysWithinTheFourModes) {
  for (int mode : {3, -1, 4, 255}) s->SetCurrentMode(mode);
  EXPECT_EQ(s->CurrentMode(), 3);
}

}  // namespace
