#include "pages/MouseEventName.h"

#include <array>

namespace {

struct NamedEvent {
  unsigned code;
  const char16_t* name;
};

// Codes 12 and 13 are the middle button's; they read "Wheel".
constexpr std::array kNamedEvents = std::to_array<NamedEvent>({
    {6, u"Left Up"},
    {7, u"Left Down"},
    {9, u"Right Up"},
    {10, u"Right Down"},
    {12, u"Wheel Up"},
    {13, u"Wheel Down"},
    {15, u"Forward Up"},
    {16, u"Forward Down"},
    {18, u"Backward Up"},
    {19, u"Backward Down"},
});

}  // namespace

std::u16string MouseEventName(unsigned code) {
  for (const NamedEvent& e : kNamedEvents)
    if (e.code == code) return e.name;
  return {};
}
