#include "settings/Records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "settings/DeviceInfo.h"
#include "settings/E2Image.h"

namespace {

using namespace settings;

// One field of a record: where the file format puts it, and how to set and get it.
template <typename Record>
struct Field {
  const char* name;
  size_t offset;
  size_t width;
  std::function<void(Record&, uint64_t)> set;
  std::function<uint64_t(const Record&)> get;
};

#define FIELD(Record, expr, off)                                                         \
  Field<Record> {                                                                        \
    #expr, off, sizeof(std::declval<Record&>().expr),                                    \
        [](Record& r, uint64_t v) {                                                      \
          r.expr = static_cast<std::remove_reference_t<decltype(r.expr)>>(v);            \
        },                                                                               \
        [](const Record& r) { return static_cast<uint64_t>(r.expr); }                    \
  }

constexpr uint64_t kPattern = 0x8877665544332211ull;

uint64_t Masked(uint64_t v, size_t width) {
  return width >= 8 ? v : v & ((uint64_t{1} << (8 * width)) - 1);
}

// Writes each field through the structure and finds its bytes, little-endian, at the documented
// offset and nowhere else; then writes the bytes raw and reads the field back.
template <typename Record>
void CheckLayout(const std::vector<Field<Record>>& fields) {
  auto record = std::make_unique<Record>();
  auto* raw = reinterpret_cast<unsigned char*>(record.get());
  for (const Field<Record>& f : fields) {
    std::memset(raw, 0, sizeof(Record));
    f.set(*record, kPattern);
    for (size_t i = 0; i < sizeof(Record); ++i) {
      const bool inside = i >= f.offset && i < f.offset + f.width;
      const unsigned expected = inside ? static_cast<unsigned>(0x11 * (i - f.offset + 1)) : 0u;
      ASSERT_EQ(raw[i], expected) << f.name << " byte " << i;
    }
    std::memset(raw, 0, sizeof(Record));
    for (size_t i = 0; i < f.width; ++i) raw[f.offset + i] = static_cast<unsigned char>(0x11 * (i + 1));
    EXPECT_EQ(Masked(f.get(*record), f.width), Masked(kPattern, f.width)) << f.name;
  }
}

TEST(RecordLayout, ModeInfo) {
  CheckLayout<tagMODEINFO>({
      FIELD(tagMODEINFO, keys[0].reserved, 0),
      FIELD(tagMODEINFO, keys[0].major, 1),
      FIELD(tagMODEINFO, keys[0].minor, 2),
      FIELD(tagMODEINFO, keys[0].macroIndex, 3),
      FIELD(tagMODEINFO, keys[0].shortcutModifiers, 4),
      FIELD(tagMODEINFO, keys[0].shortcutKey, 5),
      FIELD(tagMODEINFO, keys[0].programPath[0], 6),
      FIELD(tagMODEINFO, keys[0].programPath[259], 6 + 518),
      FIELD(tagMODEINFO, keys[1].major, 526 + 1),
      FIELD(tagMODEINFO, keys[9].shortcutKey, 9 * 526 + 5),
      FIELD(tagMODEINFO, keys[9].programPath[259], 9 * 526 + 6 + 518),
      FIELD(tagMODEINFO, appPath[0], 5260),
      FIELD(tagMODEINFO, appPath[259], 5260 + 518),
      FIELD(tagMODEINFO, profileName[0], 5780),
      FIELD(tagMODEINFO, profileName[259], 5780 + 518),
      FIELD(tagMODEINFO, light.flags, 6300),
      FIELD(tagMODEINFO, light.red, 6301),
      FIELD(tagMODEINFO, light.green, 6302),
      FIELD(tagMODEINFO, light.blue, 6303),
      FIELD(tagMODEINFO, light.changeTime, 6304),
      FIELD(tagMODEINFO, light.offStayTime, 6305),
      FIELD(tagMODEINFO, light.startTime, 6306),
      FIELD(tagMODEINFO, deviceByte7, 6307),
      FIELD(tagMODEINFO, dpiIndex01, 6308),
      FIELD(tagMODEINFO, dpiIndex23, 6309),
      FIELD(tagMODEINFO, deviceByte10, 6310),
      FIELD(tagMODEINFO, deviceByte11, 6311),
      FIELD(tagMODEINFO, sensitivityX, 6312),
      FIELD(tagMODEINFO, sensitivityY, 6313),
      FIELD(tagMODEINFO, deviceByte14, 6314),
      FIELD(tagMODEINFO, fireSpeed, 6315),
      FIELD(tagMODEINFO, pointerSpeed, 6316),
      FIELD(tagMODEINFO, wheelLines, 6320),
      FIELD(tagMODEINFO, horizontalScrollAmount, 6324),
      FIELD(tagMODEINFO, wheelOnePage, 6328),
      FIELD(tagMODEINFO, pointerPrecision, 6332),
      FIELD(tagMODEINFO, doubleClickSpeed, 6336),
      FIELD(tagMODEINFO, dpiLevel, 6340),
      FIELD(tagMODEINFO, reportRateIndex, 6341),
      FIELD(tagMODEINFO, reserved1[0], 6342),
      FIELD(tagMODEINFO, reserved1[61], 6403),
      FIELD(tagMODEINFO, xySync, 6404),
      FIELD(tagMODEINFO, reserved2[0], 6405),
      FIELD(tagMODEINFO, reserved2[2], 6407),
  });
}

TEST(RecordLayout, MacroStore) {
  CheckLayout<tagMACROSTORE>({
      FIELD(tagMACROSTORE, macros[0].delayRecording, 0),
      FIELD(tagMACROSTORE, macros[0].loopEnabled, 4),
      FIELD(tagMACROSTORE, macros[0].loopCount, 8),
      FIELD(tagMACROSTORE, macros[0].eventCount, 12),
      FIELD(tagMACROSTORE, macros[0].events[0].code, 16),
      FIELD(tagMACROSTORE, macros[0].events[0].kind, 17),
      FIELD(tagMACROSTORE, macros[0].events[0].spare[0], 18),
      FIELD(tagMACROSTORE, macros[0].events[0].spare[1], 19),
      FIELD(tagMACROSTORE, macros[0].events[0].delayMs, 20),
      FIELD(tagMACROSTORE, macros[0].events[49].delayMs, 16 + 49 * 8 + 4),
      FIELD(tagMACROSTORE, macros[0].name[0], 416),
      FIELD(tagMACROSTORE, macros[0].name[259], 416 + 518),
      FIELD(tagMACROSTORE, macros[0].repeatMode, 936),
      FIELD(tagMACROSTORE, macros[1].delayRecording, 940),
      FIELD(tagMACROSTORE, macros[39].repeatMode, 39 * 940 + 936),
      FIELD(tagMACROSTORE, count, 37600),
  });
}

TEST(RecordLayout, ImageAndDeviceInfo) {
  CheckLayout<tagE2IMAGE>({
      FIELD(tagE2IMAGE, configBlock.bytes[0], 0),
      FIELD(tagE2IMAGE, configBlock.bytes[255], 255),
      FIELD(tagE2IMAGE, macroArea.bytes[0], 256),
      FIELD(tagE2IMAGE, macroArea.bytes[1279], 1535),
  });
  CheckLayout<tagDEVICEINFO>({
      FIELD(tagDEVICEINFO, currentMode, 0),
      FIELD(tagDEVICEINFO, dpiLevel[0], 1),
      FIELD(tagDEVICEINFO, dpiLevel[3], 4),
      FIELD(tagDEVICEINFO, rateIndex[0], 5),
      FIELD(tagDEVICEINFO, rateIndex[3], 8),
  });
  EXPECT_EQ(ButtonCodeOffset(3, 9), 114u);
  EXPECT_EQ(LightHalfOffset(3), 152u);
  EXPECT_EQ(DpiHalfOffset(3), 216u);
}

TEST(TextField, ReadsAtMostTheFieldAndStoresWithATerminator) {
  TextField field;
  for (char16_t& c : field) c = u'x';  // no terminator, as a damaged file may hold
  EXPECT_EQ(FieldText(field).size(), TEXT_FIELD_LENGTH);

  SetFieldText(field, u"run.exe");
  EXPECT_EQ(FieldText(field), u"run.exe");
  EXPECT_EQ(field[7], 0);
  EXPECT_EQ(field[259], 0);  // the rest is cleared

  const std::u16string longer(300, u'y');
  SetFieldText(field, longer);
  EXPECT_EQ(FieldText(field), longer.substr(0, 259));
  EXPECT_EQ(field[259], 0);
}

TEST(MacroBounds, CountsFromFilesStayWithinTheArrays) {
  struct Case {
    uint32_t stored;
    uint32_t events;
    uint32_t macros;
  } cases[] = {{0, 0, 0}, {3, 3, 3}, {40, 40, 40}, {50, 50, 40}, {51, 50, 40}, {0xFFFFFFFF, 50, 40}};
  auto store = std::make_unique<tagMACROSTORE>();
  for (const Case& c : cases) {
    store->count = c.stored;
    store->macros[0].eventCount = c.stored;
    EXPECT_EQ(UsableEventCount(store->macros[0]), c.events) << c.stored;
    EXPECT_EQ(UsableMacroCount(*store), c.macros) << c.stored;
  }
}

}  // namespace
