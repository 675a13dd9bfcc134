#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The settings records of the four modes and of the macro store. They are copied, saved and
// loaded whole: a profile file and each default file is one raw tagMODEINFO, sequence.dat one raw
// tagMACROSTORE, so every size and offset below is a file format shared with files written by
// the program on Windows (little-endian, UTF-16 strings). The natural layout of these structures
// already is that format; the static_asserts keep it so.
namespace settings {

static_assert(std::endian::native == std::endian::little,
              "the records are stored as they lie in memory, which must be little-endian");

inline constexpr int MODE_COUNT = 4;
inline constexpr int KEY_COUNT = 10;
inline constexpr int MAX_MACRO_COUNT = 40;
inline constexpr int MAX_MACRO_EVENTS = 50;
// Each mode-record area holds the four modes and a fifth record that only travels along.
inline constexpr int MODE_AREA_COUNT = 5;
// Length of every UTF-16 string field, terminator included.
inline constexpr size_t TEXT_FIELD_LENGTH = 260;
// shortcutKey value that means "no key".
inline constexpr uint8_t NO_SHORTCUT_KEY = 255;
// Bit 7 of shortcutModifiers: no modifiers; the other bits are then ignored.
inline constexpr uint8_t SHORTCUT_NO_MODIFIERS = 0x80;
// The modifier bits a shortcut may carry: Ctrl 1, Shift 2, Alt 4, Win 8.
inline constexpr uint8_t SHORTCUT_MODIFIER_MASK = 0x0F;

using TextField = char16_t[TEXT_FIELD_LENGTH];

// The assignment of one button.
struct tagKEYDEFINEINFO {
  uint8_t reserved;           // 0 in every record the program creates; never read
  uint8_t major;              // MajorFunctionCode, 0 = no function
  uint8_t minor;              // MinorFunctionCode, 0 when the function has none
  uint8_t macroIndex;         // store index of the macro a macro button runs (minor - 2)
  uint8_t shortcutModifiers;  // bit 0 Ctrl, 1 Shift, 2 Alt, 3 Win; bit 7 = none
  uint8_t shortcutKey;        // virtual-key code, NO_SHORTCUT_KEY = none
  TextField programPath;      // program a program button runs
};

// Lighting of one mode.
struct tagLIGHTINFO {
  uint8_t flags;  // bit 7 on; bits 4-6 effect (0x70 breathing); bit 3 colour cycle; bit 2 interrupt
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t changeTime;   // (step + 1) * 4
  uint8_t offStayTime;  // bits 0-3 off step + 1, bits 4-7 stay step + 1
  uint8_t startTime;    // (step + 1) * 4
};

// Everything the user sets for one mode.
struct tagMODEINFO {
  tagKEYDEFINEINFO keys[KEY_COUNT];
  TextField appPath;      // application that switches the mouse to this mode
  TextField profileName;  // name of the profile
  // The 16-byte device block (bytes 6300 to 6315), mirrored in the configuration block.
  tagLIGHTINFO light;
  uint8_t deviceByte7;
  uint8_t dpiIndex01;  // bits 0-3 value index of DPI level 0, bits 4-7 of level 1
  uint8_t dpiIndex23;  // the same for levels 2 and 3
  uint8_t deviceByte10;
  uint8_t deviceByte11;
  uint8_t sensitivityX;  // numerator in bits 4-7, denominator in bits 0-3
  uint8_t sensitivityY;
  uint8_t deviceByte14;
  uint8_t fireSpeed;
  // Pointer settings of the desktop, applied with the mode.
  int32_t pointerSpeed;
  int32_t wheelLines;
  int32_t horizontalScrollAmount;
  int32_t wheelOnePage;
  int32_t pointerPrecision;
  int32_t doubleClickSpeed;
  uint8_t dpiLevel;         // current DPI level 0 to 3
  uint8_t reportRateIndex;  // 0 = 125 Hz, 1 = 250 Hz, 2 = 500 Hz, 3 = 1000 Hz
  uint8_t reserved1[62];
  uint8_t xySync;  // 1 = Y sensitivity follows X
  uint8_t reserved2[3];
};

// Offsets of the device block inside tagMODEINFO and its two halves in the configuration block.
inline constexpr size_t DEVICE_BLOCK_OFFSET = 6300;
inline constexpr size_t DEVICE_HALF_SIZE = 8;

enum MacroEventKind : uint8_t {
  MACRO_KEY_DOWN = 0,
  MACRO_KEY_UP = 1,
  MACRO_DELAY = 2,
  MACRO_MOUSE_DOWN = 3,
  MACRO_MOUSE_UP = 4,
};

// Mouse-button codes of macro events (kinds 3 and 4).
enum MacroMouseCode : uint8_t {
  MACRO_MOUSE_LEFT_UP = 6,
  MACRO_MOUSE_LEFT_DOWN = 7,
  MACRO_MOUSE_RIGHT_UP = 9,
  MACRO_MOUSE_RIGHT_DOWN = 10,
  MACRO_MOUSE_MIDDLE_UP = 12,
  MACRO_MOUSE_MIDDLE_DOWN = 13,
  MACRO_MOUSE_FORWARD_UP = 15,
  MACRO_MOUSE_FORWARD_DOWN = 16,
  MACRO_MOUSE_BACKWARD_UP = 18,
  MACRO_MOUSE_BACKWARD_DOWN = 19,
};

struct tagMACROEVENT {
  uint8_t code;  // virtual key (kinds 0, 1) or MacroMouseCode (kinds 3, 4)
  uint8_t kind;  // MacroEventKind
  uint8_t spare[2];
  uint32_t delayMs;  // kind 2 only
};

struct tagMACROINFO {
  int32_t delayRecording;
  int32_t loopEnabled;
  int32_t loopCount;    // 1 to 255 (0 in repeat modes 1 and 2)
  uint32_t eventCount;  // valid events, 0 to MAX_MACRO_EVENTS
  tagMACROEVENT events[MAX_MACRO_EVENTS];
  TextField name;
  int32_t repeatMode;  // 0 loop count or any key, 1 until any key, 2 until the key goes up
};

struct tagMACROSTORE {
  tagMACROINFO macros[MAX_MACRO_COUNT];
  uint32_t count;  // valid macros at the front of the array
};

// The number of events of `macro` that may be read: eventCount as stored, but never beyond the
// array (a record read from a file may claim more).
inline uint32_t UsableEventCount(const tagMACROINFO& macro) {
  return macro.eventCount < static_cast<uint32_t>(MAX_MACRO_EVENTS) ? macro.eventCount
                                                                     : MAX_MACRO_EVENTS;
}

// The number of macros of `store` that may be read, bounded in the same way.
inline uint32_t UsableMacroCount(const tagMACROSTORE& store) {
  return store.count < static_cast<uint32_t>(MAX_MACRO_COUNT) ? store.count : MAX_MACRO_COUNT;
}

// The text of a string field: up to its terminator, or all 260 units when a record from a file
// has none.
inline std::u16string_view FieldText(const TextField& field) {
  size_t n = 0;
  while (n < TEXT_FIELD_LENGTH && field[n] != 0) ++n;
  return {field, n};
}

// Stores `text` in a string field: at most 259 units, then the terminator; the rest of the field
// is zeroed.
inline void SetFieldText(TextField& field, std::u16string_view text) {
  const size_t n = text.size() < TEXT_FIELD_LENGTH - 1 ? text.size() : TEXT_FIELD_LENGTH - 1;
  for (size_t i = 0; i < TEXT_FIELD_LENGTH; ++i) field[i] = i < n ? text[i] : u'\0';
}

static_assert(sizeof(tagKEYDEFINEINFO) == 526);
static_assert(offsetof(tagKEYDEFINEINFO, reserved) == 0);
static_assert(offsetof(tagKEYDEFINEINFO, major) == 1);
static_assert(offsetof(tagKEYDEFINEINFO, minor) == 2);
static_assert(offsetof(tagKEYDEFINEINFO, macroIndex) == 3);
static_assert(offsetof(tagKEYDEFINEINFO, shortcutModifiers) == 4);
static_assert(offsetof(tagKEYDEFINEINFO, shortcutKey) == 5);
static_assert(offsetof(tagKEYDEFINEINFO, programPath) == 6);

static_assert(sizeof(tagLIGHTINFO) == 7);
static_assert(offsetof(tagLIGHTINFO, flags) == 0);
static_assert(offsetof(tagLIGHTINFO, red) == 1);
static_assert(offsetof(tagLIGHTINFO, green) == 2);
static_assert(offsetof(tagLIGHTINFO, blue) == 3);
static_assert(offsetof(tagLIGHTINFO, changeTime) == 4);
static_assert(offsetof(tagLIGHTINFO, offStayTime) == 5);
static_assert(offsetof(tagLIGHTINFO, startTime) == 6);

static_assert(sizeof(tagMODEINFO) == 6408);
static_assert(offsetof(tagMODEINFO, keys) == 0);
static_assert(offsetof(tagMODEINFO, appPath) == 5260);
static_assert(offsetof(tagMODEINFO, profileName) == 5780);
static_assert(offsetof(tagMODEINFO, light) == DEVICE_BLOCK_OFFSET);
static_assert(offsetof(tagMODEINFO, deviceByte7) == 6307);
static_assert(offsetof(tagMODEINFO, dpiIndex01) == 6308);
static_assert(offsetof(tagMODEINFO, dpiIndex23) == 6309);
static_assert(offsetof(tagMODEINFO, deviceByte10) == 6310);
static_assert(offsetof(tagMODEINFO, deviceByte11) == 6311);
static_assert(offsetof(tagMODEINFO, sensitivityX) == 6312);
static_assert(offsetof(tagMODEINFO, sensitivityY) == 6313);
static_assert(offsetof(tagMODEINFO, deviceByte14) == 6314);
static_assert(offsetof(tagMODEINFO, fireSpeed) == 6315);
static_assert(offsetof(tagMODEINFO, pointerSpeed) == 6316);
static_assert(offsetof(tagMODEINFO, wheelLines) == 6320);
static_assert(offsetof(tagMODEINFO, horizontalScrollAmount) == 6324);
static_assert(offsetof(tagMODEINFO, wheelOnePage) == 6328);
static_assert(offsetof(tagMODEINFO, pointerPrecision) == 6332);
static_assert(offsetof(tagMODEINFO, doubleClickSpeed) == 6336);
static_assert(offsetof(tagMODEINFO, dpiLevel) == 6340);
static_assert(offsetof(tagMODEINFO, reportRateIndex) == 6341);
static_assert(offsetof(tagMODEINFO, reserved1) == 6342);
static_assert(offsetof(tagMODEINFO, xySync) == 6404);
static_assert(offsetof(tagMODEINFO, reserved2) == 6405);

static_assert(sizeof(tagMACROEVENT) == 8);
static_assert(offsetof(tagMACROEVENT, code) == 0);
static_assert(offsetof(tagMACROEVENT, kind) == 1);
static_assert(offsetof(tagMACROEVENT, spare) == 2);
static_assert(offsetof(tagMACROEVENT, delayMs) == 4);

static_assert(sizeof(tagMACROINFO) == 940);
static_assert(offsetof(tagMACROINFO, delayRecording) == 0);
static_assert(offsetof(tagMACROINFO, loopEnabled) == 4);
static_assert(offsetof(tagMACROINFO, loopCount) == 8);
static_assert(offsetof(tagMACROINFO, eventCount) == 12);
static_assert(offsetof(tagMACROINFO, events) == 16);
static_assert(offsetof(tagMACROINFO, name) == 416);
static_assert(offsetof(tagMACROINFO, repeatMode) == 936);

static_assert(sizeof(tagMACROSTORE) == 37604);
static_assert(offsetof(tagMACROSTORE, macros) == 0);
static_assert(offsetof(tagMACROSTORE, count) == 37600);

}  // namespace settings
