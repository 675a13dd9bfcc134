#include "settings/FactoryDefaults.h"

#include <cstring>

#include "settings/FunctionCodes.h"

namespace settings {
namespace {

struct Assignment {
  uint8_t major;
  uint8_t minor;
};

constexpr Assignment kStandard[KEY_COUNT] = {
    {MAJOR_FUN_LEFT_MOUSE_KEY, 0},
    {MAJOR_FUN_RIGHT_MOUSE_KEY, 0},
    {MAJOR_FUN_MIDDLE_MOUSE_KEY, 0},
    {MAJOR_FUN_FORWARD_MOUSE_KEY, 0},
    {MAJOR_FUN_DPI, MINOR_FUN_DPI_CIRCLE},
    {MAJOR_FUN_CONFIGFILE, MINOR_FUN_CONFIGFILE_CIRCLE},
    {MAJOR_FUN_BACKWARD_MOUSE_KEY, 0},
    {MAJOR_FUN_NONE, 0},
    {MAJOR_FUN_SCROLL_UP, 0},
    {MAJOR_FUN_SCROLL_DOWN, 0},
};

constexpr Assignment kBrowsing[KEY_COUNT] = {
    {MAJOR_FUN_LEFT_MOUSE_KEY, 0},
    {MAJOR_FUN_RIGHT_MOUSE_KEY, 0},
    {MAJOR_FUN_MIDDLE_MOUSE_KEY, 0},
    {MAJOR_FUN_WINDOWS, MINOR_FUN_WINDOWS_BROWSER_HOMEPAGE},
    {MAJOR_FUN_DPI, MINOR_FUN_DPI_CIRCLE},
    {MAJOR_FUN_CONFIGFILE, MINOR_FUN_CONFIGFILE_CIRCLE},
    {MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY, 0},
    {MAJOR_FUN_NONE, 0},
    {MAJOR_FUN_SCROLL_UP, 0},
    {MAJOR_FUN_SCROLL_DOWN, 0},
};

constexpr Assignment kMedia[KEY_COUNT] = {
    {MAJOR_FUN_LEFT_MOUSE_KEY, 0},
    {MAJOR_FUN_RIGHT_MOUSE_KEY, 0},
    {MAJOR_FUN_MEDIA, MINOR_FUN_MEDIA_PLAY_PAUSE},
    {MAJOR_FUN_MEDIA, MINOR_FUN_MEDIA_BACKWARD_KEY},
    {MAJOR_FUN_DPI, MINOR_FUN_DPI_CIRCLE},
    {MAJOR_FUN_CONFIGFILE, MINOR_FUN_CONFIGFILE_CIRCLE},
    {MAJOR_FUN_MEDIA, MINOR_FUN_MEDIA_FORWARD_KEY},
    {MAJOR_FUN_NONE, 0},
    {MAJOR_FUN_MEDIA, MINOR_FUN_MEDIA_VOLUME_PLUS},
    {MAJOR_FUN_MEDIA, MINOR_FUN_MEDIA_VOLUME_MINUS},
};

// Button assignment of modes 0 to 3.
constexpr const Assignment* kAssignments[MODE_COUNT] = {kStandard, kBrowsing, kMedia, kStandard};

struct Colour {
  uint8_t red, green, blue;
};
constexpr Colour kColours[MODE_COUNT] = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 255}};

}  // namespace

void LoadFactoryDefaults(tagMODEINFO& record, int mode) {
  std::memset(&record, 0, sizeof record);
  for (tagKEYDEFINEINFO& key : record.keys) key.shortcutKey = NO_SHORTCUT_KEY;
  const bool known = mode >= 0 && mode < MODE_COUNT;
  if (known) {
    for (int b = 0; b < KEY_COUNT; ++b) {
      record.keys[b].major = kAssignments[mode][b].major;
      record.keys[b].minor = kAssignments[mode][b].minor;
    }
  }
  record.light = tagLIGHTINFO{0xF0, 255, 255, 255, 0x14, 0x11, 0x04};
  record.dpiIndex01 = 0x10;  // levels 0 and 1: 800 and 1000
  record.dpiIndex23 = 0x64;  // levels 2 and 3: 1600 and 2400
  record.deviceByte10 = 0xFF;
  record.deviceByte11 = 0xFF;
  record.sensitivityX = 0x11;
  record.sensitivityY = 0x11;
  record.deviceByte14 = 0x0F;
  record.fireSpeed = 65;
  record.pointerSpeed = 4;
  record.wheelLines = 3;
  record.horizontalScrollAmount = 3;
  record.wheelOnePage = 0;
  record.pointerPrecision = 0;
  record.doubleClickSpeed = 4;
  record.dpiLevel = kFactoryDpiLevel;
  record.reportRateIndex = kFactoryReportRateIndex;
  if (known) {
    record.light.red = kColours[mode].red;
    record.light.green = kColours[mode].green;
    record.light.blue = kColours[mode].blue;
  }
}

}  // namespace settings
