#pragma once

#include <cstdint>
#include <span>

// The function codes of a button (the major and minor bytes of tagKEYDEFINEINFO), which are
// also the codes of the function menu's items and the keys of its texts, and the tables that
// turn them into the mouse's two-byte button codes.
namespace settings {

// The numbers follow the order of the language keys MAJOR_FUN_MACRO to MAJOR_FUN_SHOW_DRIVER.
enum MajorFunctionCode : uint8_t {
  MAJOR_FUN_NONE = 0,
  MAJOR_FUN_MACRO = 1,
  MAJOR_FUN_MEDIA = 2,
  MAJOR_FUN_CONFIGFILE = 3,
  MAJOR_FUN_DPI = 4,
  MAJOR_FUN_WINDOWS = 5,
  MAJOR_FUN_LEFT_MOUSE_KEY = 6,
  MAJOR_FUN_RIGHT_MOUSE_KEY = 7,
  MAJOR_FUN_MIDDLE_MOUSE_KEY = 8,
  MAJOR_FUN_LEFT_DOUBLECLICK_MOUSE_KEY = 9,
  MAJOR_FUN_ASSIGN_SHORTCUT = 10,
  MAJOR_FUN_OFF = 11,
  MAJOR_FUN_FORWARD_MOUSE_KEY = 12,
  MAJOR_FUN_BACKWARD_MOUSE_KEY = 13,
  MAJOR_FUN_SCROLL_UP = 14,
  MAJOR_FUN_SCROLL_DOWN = 15,
  MAJOR_FUN_SCROLL_LEFT = 16,
  MAJOR_FUN_SCROLL_RIGHT = 17,
  MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION = 18,
  MAJOR_FUN_FIRE_KEY = 19,
  MAJOR_FUN_COMBINATION_KEY = 20,
  MAJOR_FUN_WIN_KEY = 21,
  MAJOR_FUN_SHOW_DRIVER = 22,
};

inline constexpr uint8_t MAJOR_FUN_LAST = MAJOR_FUN_SHOW_DRIVER;

// The numbers run through all submenus in the order of their language keys. Under
// MAJOR_FUN_MACRO, k + 2 names macro k of the store (overlapping the media numbers).
enum MinorFunctionCode : uint8_t {
  MINOR_FUN_NONE = 0,
  MINOR_FUN_MACRO_MANAGER = 1,
  MINOR_FUN_MEDIA_OPEN_PLAYER = 2,
  MINOR_FUN_MEDIA_BACKWARD_KEY = 3,
  MINOR_FUN_MEDIA_FORWARD_KEY = 4,
  MINOR_FUN_MEDIA_PLAY_PAUSE = 5,
  MINOR_FUN_MEDIA_STOP = 6,
  MINOR_FUN_MEDIA_MUTE = 7,
  MINOR_FUN_MEDIA_VOLUME_PLUS = 8,
  MINOR_FUN_MEDIA_VOLUME_MINUS = 9,
  MINOR_FUN_CONFIGFILE_CIRCLE = 10,
  MINOR_FUN_CONFIGFILE_PLUS = 11,
  MINOR_FUN_CONFIGFILE_MINUS = 12,
  MINOR_FUN_DPI_CIRCLE = 13,
  MINOR_FUN_DPI_PLUS = 14,
  MINOR_FUN_DPI_MINUS = 15,
  MINOR_FUN_WINDOWS_CALC = 16,
  MINOR_FUN_WINDOWS_EMAIL = 17,
  MINOR_FUN_WINDOWS_BROWSER_FAVORITES = 18,
  MINOR_FUN_WINDOWS_BROWSER_FORWARD = 19,
  MINOR_FUN_WINDOWS_BROWSER_BACKWARED = 20,
  MINOR_FUN_WINDOWS_BROWSER_STOP = 21,
  MINOR_FUN_WINDOWS_MYCOMPUTER = 22,
  MINOR_FUN_WINDOWS_BROWSER_REFRESH = 23,
  MINOR_FUN_WINDOWS_BROWSER_HOMEPAGE = 24,
  MINOR_FUN_WINDOWS_BROWSER_FIND = 25,
};

// Minor of macro k under MAJOR_FUN_MACRO.
inline constexpr uint8_t MINOR_FUN_FIRST_MACRO = 2;

// One row of FunctionCodeTable: the two code bytes of a (major, minor) pair.
struct FunctionCode {
  uint8_t major;
  uint8_t minor;
  uint8_t first;
  uint8_t second;
};

// The device code of every pair the encoder looks up, first match wins. Majors 1, 9, 10 and 11
// are not in it: the macro compiler and the encoder's own rules give their codes.
extern const std::span<const FunctionCode> FunctionCodeTable;

// One row of KeyUsageTable.
struct KeyUsage {
  uint8_t usage;       // USB HID keyboard/keypad usage
  uint8_t virtualKey;  // Windows virtual-key code
};

// The 104 keys of a standard keyboard, searched by virtual key, first match wins (so virtual
// key 13 gives the main Enter, 40, never the keypad's 88).
extern const std::span<const KeyUsage> KeyUsageTable;

// The HID usage of `virtualKey` by KeyUsageTable, or 0 when the key is not in it.
uint8_t UsageOfVirtualKey(uint8_t virtualKey);

// Second bytes of the button-code groups the encoder writes itself.
inline constexpr uint8_t CODE_OFF_FIRST = 0xFF;
inline constexpr uint8_t CODE_OFF_SECOND = 0x5F;

}  // namespace settings
