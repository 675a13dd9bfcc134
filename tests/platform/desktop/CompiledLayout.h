#pragma once

#include <xkbcommon/xkbcommon.h>

#include <string>

namespace testutil {

// A keyboard layout compiled from the system's layout files by name ("us", "de", "fr"), with no
// X server: what each key types without modifiers, as the X server would give it.
class CompiledLayout {
 public:
  explicit CompiledLayout(const std::string& layout) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (context_ == nullptr) return;
    const xkb_rule_names names{"evdev", "pc105", layout.c_str(), "", ""};
    keymap_ = xkb_keymap_new_from_names(context_, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_ != nullptr) state_ = xkb_state_new(keymap_);
  }
  ~CompiledLayout() {
    if (state_ != nullptr) xkb_state_unref(state_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    if (context_ != nullptr) xkb_context_unref(context_);
  }
  CompiledLayout(const CompiledLayout&) = delete;
  CompiledLayout& operator=(const CompiledLayout&) = delete;

  bool Valid() const { return state_ != nullptr; }

  // The character of the key with no modifier, or with NumLock locked.
  char32_t Unshifted(unsigned keyCode, bool numLock = false) const {
    const xkb_mod_index_t num = xkb_keymap_mod_get_index(keymap_, XKB_MOD_NAME_NUM);
    const xkb_mod_mask_t locked = numLock && num != XKB_MOD_INVALID ? (1u << num) : 0;
    xkb_state_update_mask(state_, 0, 0, locked, 0, 0, 0);
    return xkb_state_key_get_utf32(state_, keyCode);
  }

 private:
  xkb_context* context_ = nullptr;
  xkb_keymap* keymap_ = nullptr;
  xkb_state* state_ = nullptr;
};

}  // namespace testutil
