#include "pages/MacroEventItems.h"

#include <string>

#include "pages/KeyName.h"
#include "pages/MouseEventName.h"

namespace pages {

using settings::tagMACROEVENT;

bool EventToItemData(const tagMACROEVENT& event, uint32_t* data) {
  switch (event.kind) {
    case settings::MACRO_KEY_DOWN:
      *data = MakeItemData(event.code, MACRO_ITEM_KEY_DOWN);
      return true;
    case settings::MACRO_KEY_UP:
      *data = MakeItemData(event.code, MACRO_ITEM_KEY_UP);
      return true;
    case settings::MACRO_DELAY:
      if (event.delayMs == 0) return false;
      *data = MakeItemData(event.delayMs < kMaxItemDelayMs ? event.delayMs : kMaxItemDelayMs,
                           MACRO_ITEM_DELAY);
      return true;
    case settings::MACRO_MOUSE_DOWN:
      *data = MakeItemData(event.code, MACRO_ITEM_MOUSE_DOWN);
      return true;
    case settings::MACRO_MOUSE_UP:
      *data = MakeItemData(event.code, MACRO_ITEM_MOUSE_UP);
      return true;
    default:
      return false;
  }
}

tagMACROEVENT ItemDataToEvent(uint32_t data) {
  tagMACROEVENT event{};
  const uint16_t value = ItemValue(data);
  switch (ItemType(data)) {
    case MACRO_ITEM_KEY_DOWN:
      event.kind = settings::MACRO_KEY_DOWN;
      event.code = static_cast<uint8_t>(value);
      break;
    case MACRO_ITEM_KEY_UP:
      event.kind = settings::MACRO_KEY_UP;
      event.code = static_cast<uint8_t>(value);
      break;
    case MACRO_ITEM_DELAY:
      event.kind = settings::MACRO_DELAY;
      event.delayMs = value;
      break;
    case MACRO_ITEM_MOUSE_DOWN:
      event.kind = settings::MACRO_MOUSE_DOWN;
      event.code = static_cast<uint8_t>(value);
      break;
    case MACRO_ITEM_MOUSE_UP:
      event.kind = settings::MACRO_MOUSE_UP;
      event.code = static_cast<uint8_t>(value);
      break;
    default:
      break;
  }
  return event;
}

std::u16string DelayItemText(uint32_t ms) {
  const std::string text = std::to_string(ms) + " ms";
  return std::u16string(text.begin(), text.end());
}

std::u16string MacroItemText(uint32_t data) {
  const uint16_t value = ItemValue(data);
  switch (ItemType(data)) {
    case MACRO_ITEM_KEY_UP:
    case MACRO_ITEM_KEY_DOWN:
      return KeyName(value);
    case MACRO_ITEM_DELAY:
      return DelayItemText(value);
    case MACRO_ITEM_MOUSE_UP:
    case MACRO_ITEM_MOUSE_DOWN:
      return MouseEventName(value);
    default:
      return std::u16string();
  }
}

}  // namespace pages
