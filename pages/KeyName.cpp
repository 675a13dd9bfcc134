#include "pages/KeyName.h"

#include <algorithm>
#include <array>

#include "platform/desktop/KeyboardLayout.h"

namespace {

struct NamedKey {
  unsigned code;
  const char16_t* name;
};

constexpr std::array kNamedKeys = std::to_array<NamedKey>({
    {0x08, u"Backspace"},  {0x09, u"Tab"},       {0x0C, u"Clr"},       {0x0D, u"Enter"},
    {0x10, u"Shift"},      {0x11, u"Ctrl"},      {0x12, u"Alt"},       {0x13, u"Pause"},
    {0x14, u"CapsLock"},   {0x1B, u"Esc"},       {0x20, u"Space"},     {0x21, u"PageUp"},
    {0x22, u"PageDown"},   {0x23, u"End"},       {0x24, u"Home"},      {0x25, u"Left"},
    {0x26, u"Up"},         {0x27, u"Right"},     {0x28, u"Down"},      {0x29, u"Select"},
    {0x2A, u"Print"},      {0x2B, u"Enter"},     {0x2C, u"Snapshot"},  {0x2D, u"Insert"},
    {0x2E, u"Delete"},     {0x2F, u"Help"},      {0x5B, u"LWin"},      {0x5C, u"RWin"},
    {0x5D, u"App"},        {0x60, u"(0)"},       {0x61, u"(1)"},       {0x62, u"(2)"},
    {0x63, u"(3)"},        {0x64, u"(4)"},       {0x65, u"(5)"},       {0x66, u"(6)"},
    {0x67, u"(7)"},        {0x68, u"(8)"},       {0x69, u"(9)"},       {0x6A, u"(*)"},
    {0x6B, u"(+)"},        {0x6C, u"\\"},        {0x6D, u"(-)"},       {0x6E, u"(.)"},
    {0x6F, u"(/)"},        {0x70, u"F1"},        {0x71, u"F2"},        {0x72, u"F3"},
    {0x73, u"F4"},         {0x74, u"F5"},        {0x75, u"F6"},        {0x76, u"F7"},
    {0x77, u"F8"},         {0x78, u"F9"},        {0x79, u"F10"},       {0x7A, u"F11"},
    {0x7B, u"F12"},        {0x90, u"Numlock"},   {0x91, u"Scroll Lock"}, {0xA0, u"LShift"},
    {0xA1, u"RShift"},     {0xA2, u"LCtrl"},     {0xA3, u"RCtrl"},     {0xA4, u"LAlt"},
    {0xA5, u"RAlt"},       {0xFF, u""},
});

static_assert(std::is_sorted(kNamedKeys.begin(), kNamedKeys.end(),
                             [](const NamedKey& a, const NamedKey& b) { return a.code < b.code; }));

}  // namespace

std::u16string KeyName(unsigned virtualKey) {
  return KeyName(virtualKey, desktop::CurrentKeyboardLayout());
}

std::u16string KeyName(unsigned virtualKey, desktop::KeyboardLayout& layout) {
  const auto it = std::lower_bound(
      kNamedKeys.begin(), kNamedKeys.end(), virtualKey,
      [](const NamedKey& k, unsigned code) { return k.code < code; });
  if (it != kNamedKeys.end() && it->code == virtualKey) return it->name;

  char32_t c = layout.Character(virtualKey);
  // Control characters (and none at all) have no text to show.
  if (c < 0x20 || c == 0x7F || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
  if (c >= U'a' && c <= U'z') c -= U'a' - U'A';
  if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
  c -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}
