#pragma once

#include <cstdint>
#include <string_view>

// The part of a window that core code talks to: the numbered messages of the Windows model
// with their wParam/lParam packing. The Qt windows implement it; tests use a recording fake.
namespace sys {

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

inline constexpr uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr uint32_t WM_USER = 0x0400;

class MessageWindow {
 public:
  virtual ~MessageWindow() = default;
  // Queues the message for the window's thread and returns at once. Safe from any thread.
  virtual void PostMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) = 0;
  // Runs the window's handler before returning and gives its result.
  virtual LRESULT SendMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) = 0;
};

// The number of a registered message: the same name always gives the same number
// (0xC000 to 0xFFFF) within the process; names are compared case-insensitively (ASCII).
uint32_t RegisterWindowMessage(std::u16string_view name);

}  // namespace sys
