#pragma once

#include <cstdint>
#include <string_view>

namespace settings {

// The property that tells a second instance of the program whether the running one drives a
// matching mouse (set to 1, or cleared to 0, by the identity check).
inline constexpr std::u16string_view IS_MY_DEVICE_PROPERTY = u"IsMyDeivce";

// A named value kept on the main window, which a second instance can ask for. The main window
// implements it; tests use a recording fake.
class WindowProperty {
 public:
  virtual ~WindowProperty() = default;
  // Sets `name` to `value`; 0 clears it.
  virtual void SetProp(std::u16string_view name, uintptr_t value) = 0;
};

}  // namespace settings
