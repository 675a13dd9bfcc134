#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "settings/Records.h"

// The rows of the macro manager's two lists. Every row carries a 32-bit value: the row's type in
// the low 16 bits and its value in the high 16 bits (a virtual key, a delay in milliseconds or a
// mouse code). The event rows map one to one onto the events of a macro.
namespace pages {

enum MacroItemType : uint16_t {
  MACRO_ITEM_NAME = 0,        // a macro name
  MACRO_ITEM_KEY_UP = 2,      // key released, value = virtual key
  MACRO_ITEM_KEY_DOWN = 3,    // key pressed, value = virtual key
  MACRO_ITEM_DELAY = 4,       // pause, value = milliseconds (1 to 65535)
  MACRO_ITEM_MOUSE_UP = 5,    // mouse button released, value = MacroMouseCode
  MACRO_ITEM_MOUSE_DOWN = 6,  // mouse button pressed, value = MacroMouseCode
};

// The longest delay a row can hold.
inline constexpr uint32_t kMaxItemDelayMs = 0xFFFF;

constexpr uint32_t MakeItemData(uint32_t value, uint16_t type) {
  return ((value & 0xFFFFu) << 16) | type;
}
constexpr uint16_t ItemType(uint32_t data) { return static_cast<uint16_t>(data & 0xFFFFu); }
constexpr uint16_t ItemValue(uint32_t data) { return static_cast<uint16_t>(data >> 16); }

// The row of a stored event. False for an event that has no row: a delay of 0 ms or an event of
// an unknown kind. A delay above 65535 ms is held as 65535 ms rather than losing its high bits.
bool EventToItemData(const settings::tagMACROEVENT& event, uint32_t* data);

// The stored event of a row; a row of another type gives an all-zero event.
settings::tagMACROEVENT ItemDataToEvent(uint32_t data);

// The text of an event row: the key's name, "%d ms" of a delay, or the mouse event's name.
using MacroItemTextFn = std::function<std::u16string(uint32_t data)>;

// The text of a delay row, "%d ms".
std::u16string DelayItemText(uint32_t ms);

// The text of an event row as the dialog shows it: KeyName of a key, "%d ms" of a delay,
// MouseEventName of a mouse button (empty for an unknown code); empty for any other type.
std::u16string MacroItemText(uint32_t data);

}  // namespace pages
