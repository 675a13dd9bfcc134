#include "settings/MacroCompiler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "settings/FunctionCodes.h"

namespace {

using namespace settings;
using Bytes = std::vector<uint8_t>;

tagMACROEVENT Ev(uint8_t kind, uint8_t code, uint32_t delay = 0) {
  return tagMACROEVENT{code, kind, {0, 0}, delay};
}
tagMACROEVENT Down(uint8_t vk) { return Ev(MACRO_KEY_DOWN, vk); }
tagMACROEVENT Up(uint8_t vk) { return Ev(MACRO_KEY_UP, vk); }
tagMACROEVENT Delay(uint32_t ms) { return Ev(MACRO_DELAY, 0, ms); }
tagMACROEVENT MouseDown(uint8_t code) { return Ev(MACRO_MOUSE_DOWN, code); }
tagMACROEVENT MouseUp(uint8_t code) { return Ev(MACRO_MOUSE_UP, code); }

constexpr uint8_t CTRL = 162, SHIFT = 160, ALT = 164, WIN = 91, RCTRL = 163, GENERIC_SHIFT = 16;

class MacroCompiler : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(modes.get(), 0, sizeof(tagMODEINFO) * MODE_COUNT);
    std::memset(&config, 0xEE, sizeof config);
    std::memset(&area, 0xFF, sizeof area);
  }

  // Appends a macro to the store; returns its index.
  int AddMacro(const std::vector<tagMACROEVENT>& events, int32_t repeatMode = 0,
               int32_t loopCount = 1) {
    tagMACROINFO& m = store->macroStore.macros[store->macroStore.count];
    std::memset(&m, 0, sizeof m);
    for (size_t i = 0; i < events.size(); ++i) m.events[i] = events[i];
    m.eventCount = static_cast<uint32_t>(events.size());
    m.repeatMode = repeatMode;
    m.loopCount = loopCount;
    return static_cast<int>(store->macroStore.count++);
  }
  void Assign(int mode, int button, uint8_t major, uint8_t minor = 0) {
    modes[mode].keys[button].major = major;
    modes[mode].keys[button].minor = minor;
  }
  void AssignMacro(int mode, int button, int index) {
    Assign(mode, button, MAJOR_FUN_MACRO, static_cast<uint8_t>(index + 2));
  }
  int Compile() { return CompileMacros(modes.get(), config, area, *store); }
  Bytes Area(size_t from, size_t n) const { return Bytes(area.bytes + from, area.bytes + from + n); }
  Bytes Code(int mode, int button) const {
    const uint8_t* c = config.bytes + ButtonCodeOffset(mode, button);
    return {c[0], c[1]};
  }
  bool AreaIsBlankFrom(size_t from) const {
    for (size_t i = from; i < MACRO_AREA_SIZE; ++i) {
      if (area.bytes[i] != 0xFF) return false;
    }
    return true;
  }

  std::unique_ptr<tagMODEINFO[]> modes = std::make_unique<tagMODEINFO[]>(MODE_COUNT);
  std::unique_ptr<MacroStore> store = std::make_unique<MacroStore>();
  E2ConfigBlock config;
  E2MacroArea area;
};

// One macro on mode 0, button 3, compiled from word 0.
TEST_F(MacroCompiler, EventListsCompileToTheMouseFormat) {
  struct Case {
    const char* what;
    std::vector<tagMACROEVENT> events;
    int32_t repeatMode;
    int32_t loopCount;
    Bytes bytes;  // header, items, end word
    Bytes code;
  } cases[] = {
      {"worked example",
       {Down(CTRL), Down('C'), Up('C'), Up(CTRL), Delay(1300)}, 0, 3,
       {0x0F, 0x03, 0x06, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x48, 0x4B, 0x46, 0x0B, 0x70},
       {0x00, 0xC0}},
      {"no events", {}, 0, 7, {0x05, 0x07, 0x01, 0x70}, {0x00, 0xC0}},
      {"loop count uses its low byte", {}, 0, 0x1FF, {0x05, 0xFF, 0x01, 0x70}, {0x00, 0xC0}},
      {"delay 256 ms is one 4 ms item", {Delay(256)}, 0, 1, {0x07, 0x01, 0x40, 0x46, 0x03, 0x70},
       {0x00, 0xC0}},
      {"delay 255 ms is one ms item", {Delay(255)}, 0, 1, {0x07, 0x01, 0xFF, 0x44, 0x03, 0x70},
       {0x00, 0xC0}},
      {"delay 1000 ms is one second item", {Delay(1000)}, 0, 1,
       {0x07, 0x01, 0x01, 0x48, 0x03, 0x70}, {0x00, 0xC0}},
      {"delay 1003 ms", {Delay(1003)}, 0, 1, {0x09, 0x01, 0x01, 0x48, 0x03, 0x44, 0x05, 0x70},
       {0x00, 0xC0}},
      {"delay 65535 ms uses all three units", {Delay(65535)}, 0, 1,
       {0x0B, 0x01, 0x41, 0x48, 0x85, 0x46, 0x03, 0x44, 0x07, 0x70}, {0x00, 0xC0}},
      {"delay 0 gives nothing", {Delay(0)}, 0, 1, {0x05, 0x01, 0x01, 0x70}, {0x00, 0xC0}},
      {"modifiers gather until the next key",
       {Down(SHIFT), Down(CTRL), Down('A'), Up('A'), Up(SHIFT), Down(ALT), Down('B')}, 0, 1,
       // A with Shift+Ctrl; up; Shift up; B with every modifier pressed so far
       {0x0D, 0x01, 0x04, 0x03, 0x00, 0x00, 0x00, 0x00, 0x05, 0x07, 0x09, 0x70}, {0x00, 0xC0}},
      {"a key without a modifier carries none",
       {Down(RCTRL), Down('A'), Down('B')}, 0, 1, {0x09, 0x01, 0x04, 0x01, 0x05, 0x00, 0x05, 0x70},
       {0x00, 0xC0}},
      {"key up flushes a pending modifier", {Down(CTRL), Up('A')}, 0, 1,
       {0x09, 0x01, 0x00, 0x01, 0x00, 0x00, 0x05, 0x70}, {0x00, 0xC0}},
      {"pending modifier at the end", {Down(WIN)}, 0, 1, {0x07, 0x01, 0x00, 0x08, 0x03, 0x70},
       {0x00, 0xC0}},
      {"unknown key keeps the modifier pending",
       {Down(CTRL), Down(GENERIC_SHIFT), Down('C')}, 0, 1, {0x07, 0x01, 0x06, 0x01, 0x03, 0x70},
       {0x00, 0xC0}},
      {"unknown key up writes only the pending modifier", {Down(CTRL), Up(GENERIC_SHIFT)}, 0, 1,
       {0x07, 0x01, 0x00, 0x01, 0x03, 0x70}, {0x00, 0xC0}},
      {"mouse buttons",
       {MouseDown(MACRO_MOUSE_LEFT_DOWN), MouseUp(MACRO_MOUSE_LEFT_UP),
        MouseDown(MACRO_MOUSE_RIGHT_DOWN), MouseUp(MACRO_MOUSE_MIDDLE_UP),
        MouseDown(MACRO_MOUSE_FORWARD_DOWN), MouseUp(MACRO_MOUSE_BACKWARD_UP)},
       0, 1,
       {0x11, 0x01, 0x81, 0x42, 0x01, 0x42, 0x82, 0x42, 0x04, 0x42, 0x90, 0x42, 0x08, 0x42, 0x0D,
        0x70},
       {0x00, 0xC0}},
      {"click codes, mismatched codes and unknown kinds give nothing",
       {MouseDown(8), MouseDown(MACRO_MOUSE_LEFT_UP), MouseUp(MACRO_MOUSE_LEFT_DOWN), Ev(5, 'A'),
        Ev(0xFF, 'A')},
       0, 1, {0x05, 0x01, 0x01, 0x70}, {0x00, 0xC0}},
      {"repeat until any key", {Down('A')}, 1, 0, {0x07, 0x00, 0x04, 0x00, 0x03, 0x70},
       {0x00, 0xC0}},
      {"repeat until the key goes up", {Down('A')}, 2, 0, {0x06, 0x00, 0x04, 0x00, 0x03, 0x70},
       {0x01, 0xC0}},
      {"another repeat mode counts as mode 0", {Down('A')}, 9, 4,
       {0x07, 0x04, 0x04, 0x00, 0x03, 0x70}, {0x00, 0xC0}},
  };
  for (const Case& c : cases) {
    SetUp();
    store = std::make_unique<MacroStore>();
    AssignMacro(0, 3, AddMacro(c.events, c.repeatMode, c.loopCount));
    ASSERT_EQ(Compile(), 1) << c.what;
    EXPECT_EQ(Area(0, c.bytes.size()), c.bytes) << c.what;
    EXPECT_TRUE(AreaIsBlankFrom(c.bytes.size())) << c.what;
    EXPECT_EQ(Code(0, 3), c.code) << c.what;
  }
}

TEST_F(MacroCompiler, NoMacroButtonsLeaveTheAreaBlank) {
  AddMacro({Down('A')});  // in the store, but no button runs it
  Assign(0, 0, MAJOR_FUN_LEFT_MOUSE_KEY);
  Assign(3, 9, MAJOR_FUN_OFF);
  const E2ConfigBlock before = config;
  EXPECT_EQ(Compile(), 1);
  EXPECT_TRUE(AreaIsBlankFrom(0));
  EXPECT_EQ(std::memcmp(&before, &config, sizeof config), 0);
}

TEST_F(MacroCompiler, DoubleClicksInTwoModesGetTheirOwnCopies) {
  Assign(0, 6, MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY);
  Assign(1, 6, MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY);
  AssignMacro(2, 0, AddMacro({}, 0, 2));
  ASSERT_EQ(Compile(), 1);
  const Bytes fixed = {0x0A, 0x02, 0x81, 0x42, 0x40, 0x44, 0x01, 0x42, 0x07, 0x70};
  EXPECT_EQ(Area(0, 10), fixed);
  EXPECT_EQ(Area(10, 10), fixed);
  EXPECT_EQ(Code(0, 6), (Bytes{0x01, 0xC0}));
  EXPECT_EQ(Code(1, 6), (Bytes{0x0B, 0xC0}));
  // The running word index is shared across modes: the macro follows at byte 20.
  EXPECT_EQ(Area(20, 4), (Bytes{0x05, 0x02, 0x01, 0x70}));
  EXPECT_EQ(Code(2, 0), (Bytes{0x14, 0xC0}));
}

TEST_F(MacroCompiler, TwoButtonsSharingAMacroGetTwoCopies) {
  const int m = AddMacro({Down('A'), Up('A')}, 0, 5);
  AssignMacro(0, 2, m);
  AssignMacro(3, 2, m);
  ASSERT_EQ(Compile(), 1);
  const Bytes copy = {0x09, 0x05, 0x04, 0x00, 0x00, 0x00, 0x05, 0x70};
  EXPECT_EQ(Area(0, 8), copy);
  EXPECT_EQ(Area(8, 8), copy);
  EXPECT_EQ(Code(0, 2), (Bytes{0x00, 0xC0}));
  EXPECT_EQ(Code(3, 2), (Bytes{0x08, 0xC0}));
  EXPECT_TRUE(AreaIsBlankFrom(16));
}

TEST_F(MacroCompiler, RefusedMacroButtonsAreTurnedOffAndTakeNoSpace) {
  AddMacro({Down('A')});
  store->macroStore.macros[1].eventCount = 0;  // beyond count: never served
  Assign(0, 0, MAJOR_FUN_MACRO, 0);            // minor 0 would wrap to a huge index
  Assign(0, 1, MAJOR_FUN_MACRO, 1);            // the macro manager, never a macro
  AssignMacro(0, 2, 1);                        // index at count
  AssignMacro(0, 3, 0);
  ASSERT_EQ(Compile(), 1);
  for (int b : {0, 1, 2}) EXPECT_EQ(Code(0, b), (Bytes{0xFF, 0x5F})) << b;
  EXPECT_EQ(Code(0, 3), (Bytes{0x00, 0xC0}));
  EXPECT_EQ(Area(0, 6), (Bytes{0x07, 0x01, 0x04, 0x00, 0x03, 0x70}));
}

TEST_F(MacroCompiler, CountsFromADamagedStoreStayWithinTheirArrays) {
  // An event count far beyond the 50 events: whatever follows the events (here a name whose
  // units read like key-down events of 'A') must not be compiled.
  const int m = AddMacro({});
  tagMACROINFO& macro = store->macroStore.macros[m];
  macro.eventCount = 0xFFFFFFFF;
  for (char16_t& c : macro.name) c = u'A';
  // A store count far beyond 40: minor 255 names index 253, which must be refused.
  store->macroStore.count = 0xFFFFFFFF;
  AssignMacro(0, 0, m);
  Assign(0, 1, MAJOR_FUN_MACRO, 255);
  ASSERT_EQ(Compile(), 1);
  EXPECT_EQ(Area(0, 4), (Bytes{0x05, 0x01, 0x01, 0x70}));
  EXPECT_EQ(Code(0, 1), (Bytes{0xFF, 0x5F}));
}

// A macro of `items` items, made of 65535 ms delays (three items each) and a 1001 ms delay (two).
std::vector<tagMACROEVENT> MacroOfItems(int items) {
  const size_t whole = static_cast<size_t>(items / 3);
  std::vector<tagMACROEVENT> events;
  events.reserve(whole + 1);  // its final size: appending never reallocates
  events.assign(whole, Delay(65535));
  if (items % 3 == 2) events.push_back(Delay(1001));
  if (items % 3 == 1) events.push_back(Delay(1));
  return events;
}

TEST_F(MacroCompiler, UserMacrosMustEndBeforeByte254) {
  struct Case {
    int doubleClicks;  // placed before the macro
    int items;
    int result;
  } cases[] = {
      {0, 125, 1},  // end word at 252
      {0, 126, 0},  // end word would begin at 254
      {2, 115, 1},  // after 20 bytes of double clicks: end word at 252
      {2, 116, 0},
  };
  for (const Case& c : cases) {
    SetUp();
    store = std::make_unique<MacroStore>();
    std::memset(modes.get(), 0, sizeof(tagMODEINFO) * MODE_COUNT);
    for (int i = 0; i < c.doubleClicks; ++i) Assign(0, i, MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY);
    AssignMacro(1, 0, AddMacro(MacroOfItems(c.items)));
    EXPECT_EQ(Compile(), c.result) << c.items;
    const size_t start = 10 * static_cast<size_t>(c.doubleClicks);
    const size_t end = start + 2 + 2 * static_cast<size_t>(c.items);
    EXPECT_TRUE(AreaIsBlankFrom(254)) << c.items;
    if (c.result == 1) {
      EXPECT_EQ(end, 252u);
      EXPECT_EQ(Area(end, 2), (Bytes{static_cast<uint8_t>(2 * c.items + 1), 0x70}));
    } else {
      // Nothing is rolled back, but the button never points at the incomplete macro.
      EXPECT_EQ(Code(1, 0), (Bytes{0xEE, 0xEE})) << c.items;
    }
  }
}

TEST_F(MacroCompiler, SpaceRunsOutAcrossMacrosAndNamesTheMode) {
  // 100-item macros take 204 bytes: the first fits, the second cannot. The shortage belongs to
  // the mode of the button whose macro did not fit.
  const struct {
    int secondMode, secondButton;
  } cases[] = {{0, 1}, {1, 0}, {3, 9}};
  for (const auto& c : cases) {
    SetUp();
    store = std::make_unique<MacroStore>();
    const int big = AddMacro(MacroOfItems(100));
    AssignMacro(0, 0, big);
    AssignMacro(c.secondMode, c.secondButton, big);
    int failedMode = -1;
    EXPECT_EQ(CompileMacros(modes.get(), config, area, *store, &failedMode), 0);
    EXPECT_EQ(failedMode, c.secondMode);
    EXPECT_EQ(Code(0, 0), (Bytes{0x00, 0xC0}));
    EXPECT_EQ(Code(c.secondMode, c.secondButton), (Bytes{0xEE, 0xEE}));
    EXPECT_TRUE(AreaIsBlankFrom(254));
  }
}

}  // namespace
