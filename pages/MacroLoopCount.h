#pragma once

#include <cstdint>
#include <string_view>

// The loop count of a macro as the macro manager's edit holds it.
namespace pages {

inline constexpr uint32_t kMinLoopCount = 1;
inline constexpr uint32_t kMaxLoopCount = 255;

// Shown when the edit holds something other than an unsigned decimal number.
inline constexpr std::u16string_view kLoopCountNotANumber = u"请输入一个正整数。";

// Reads an unsigned decimal number: optional blanks, an optional "+", at least one digit, optional
// blanks, nothing else. A number beyond 32 bits reads as the largest 32-bit value. False (and
// `value` untouched) for any other text.
bool ParseLoopCount(std::u16string_view text, uint32_t* value);

// The count within 1 to 255.
constexpr uint32_t ClampLoopCount(uint32_t count) {
  return count < kMinLoopCount ? kMinLoopCount : count > kMaxLoopCount ? kMaxLoopCount : count;
}

}  // namespace pages
