#include "settings/ButtonEncoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "settings/FunctionCodes.h"

namespace {

using namespace settings;

struct Case {
  const char* what;
  uint8_t major;
  uint8_t minor;
  uint8_t modifiers;
  uint8_t key;
  int first;  // -1: the bytes that were there stay
  int second;
};

const Case kCases[] = {
    {"no function keeps the old code", 0, 0, 0, 255, -1, -1},
    {"off", MAJOR_FUN_OFF, 0, 0, 255, 0xFF, 0x5F},
    {"macro is the compiler's", MAJOR_FUN_MACRO, 2, 0, 255, -1, -1},
    {"double click is the compiler's", MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY, 0, 0, 255, -1, -1},
    {"shortcut, bit 7 drops the modifiers", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0x83, 'A', 0x04, 0x00},
    {"shortcut Ctrl+Shift+A", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0x03, 'A', 0x04, 0x03},
    {"shortcut without key", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0x08, 255, 0x00, 0x08},
    {"shortcut right Ctrl", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0, 163, 0xE4, 0x00},
    {"shortcut Enter is the main Enter", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0x04, 13, 0x28, 0x04},
    {"shortcut of a generic modifier key", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0x02, 16, 0x00, 0x02},
    // Bits 4 to 6 from a damaged file must not move the code into the mouse-button group.
    {"shortcut with stray modifier bits", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0x7F, 'B', 0x05, 0x0F},
    {"shortcut with only stray bits", MAJOR_FUN_ASSIGN_SHORTCUT, 0, 0x42, 'B', 0x05, 0x02},
    {"media play/pause", MAJOR_FUN_MEDIA, MINOR_FUN_MEDIA_PLAY_PAUSE, 0, 255, 0xCD, 0x20},
    {"media player", MAJOR_FUN_MEDIA, MINOR_FUN_MEDIA_OPEN_PLAYER, 0, 255, 0x83, 0x21},
    {"media with a mode minor", MAJOR_FUN_MEDIA, MINOR_FUN_CONFIGFILE_MINUS, 0, 255, -1, -1},
    {"previous mode", MAJOR_FUN_CONFIGFILE, MINOR_FUN_CONFIGFILE_MINUS, 0, 255, 0x04, 0x4A},
    {"DPI down", MAJOR_FUN_DPI, MINOR_FUN_DPI_MINUS, 0, 255, 0x00, 0x4A},
    {"search", MAJOR_FUN_WINDOWS, MINOR_FUN_WINDOWS_BROWSER_FIND, 0, 255, 0x21, 0x22},
    {"left button with a stray minor", MAJOR_FUN_LEFT_MOUSE_KEY, 1, 0, 255, -1, -1},
    {"scroll left (PC)", MAJOR_FUN_SCROLL_LEFT, 0, 0, 255, 0xC0, 0x4A},
    {"program (PC)", MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION, 0, 0, 255, 0xC2, 0x4A},
    {"Windows key", MAJOR_FUN_WIN_KEY, 0, 0, 255, 0x00, 0x08},
    {"show the window (PC)", MAJOR_FUN_SHOW_DRIVER, 0, 0, 255, 0xC3, 0x4A},
    {"unknown major", 23, 0, 0, 255, -1, -1},
};

TEST(EncodeButtonCodes, EachButtonGetsTheCodeOfItsFunction) {
  for (const Case& c : kCases) {
    for (int b : {0, 9}) {
      tagKEYDEFINEINFO keys[KEY_COUNT];
      std::memset(keys, 0, sizeof keys);
      keys[b].major = c.major;
      keys[b].minor = c.minor;
      keys[b].shortcutModifiers = c.modifiers;
      keys[b].shortcutKey = c.key;
      uint8_t area[32];
      std::memset(area, 0x77, sizeof area);
      EncodeButtonCodes(keys, std::span<uint8_t, BUTTON_CODE_BYTES>(area, 20));
      EXPECT_EQ(area[2 * b], c.first < 0 ? 0x77 : c.first) << c.what << ", button " << b;
      EXPECT_EQ(area[2 * b + 1], c.second < 0 ? 0x77 : c.second) << c.what << ", button " << b;
      for (int i = 0; i < 32; ++i) {
        if (i / 2 != b) {
          EXPECT_EQ(area[i], 0x77) << c.what << ": byte " << i << " changed";
        }
      }
    }
  }
}

TEST(KeyUsageTable, MapsTheKeysOfAStandardKeyboard) {
  const struct {
    uint8_t vk;
    uint8_t usage;
  } cases[] = {{'A', 4},  {'Z', 29}, {'1', 30},  {'9', 38},  {'0', 39},  {13, 40},  {32, 44},
               {189, 45}, {186, 51}, {191, 56},  {20, 57},   {112, 58},  {123, 69}, {19, 72},
               {38, 82},  {144, 83}, {97, 89},   {105, 97},  {96, 98},   {110, 99}, {93, 101},
               {162, 224}, {92, 231}, {16, 0},   {17, 0},    {18, 0},    {255, 0},  {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(UsageOfVirtualKey(c.vk), c.usage) << int(c.vk);

  ASSERT_EQ(KeyUsageTable.size(), 104u);
  std::set<uint8_t> usages;
  for (const KeyUsage& row : KeyUsageTable) usages.insert(row.usage);
  EXPECT_EQ(usages.size(), 104u);
  EXPECT_EQ(usages.count(50), 0u);
  EXPECT_EQ(usages.count(100), 0u);
}

}  // namespace
