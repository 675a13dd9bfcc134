#include "platform/desktop/X11Keyboard.h"

#include <xkbcommon/xkbcommon.h>

#include "platform/desktop/KeyTable.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace desktop {

X11Keyboard::X11Keyboard(_XDisplay* display) : display_(display) {
  int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (display_ == nullptr ||
      !XkbQueryExtension(display_, &opcode, &eventBase_, &error, &major, &minor))
    return;
  ReadMap();
  ReadState();
}

X11Keyboard::~X11Keyboard() {
  if (desc_ != nullptr) XkbFreeKeyboard(desc_, 0, True);
}

void X11Keyboard::ReadMap() {
  if (desc_ != nullptr) XkbFreeKeyboard(desc_, 0, True);
  desc_ = XkbGetMap(display_, XkbAllClientInfoMask, XkbUseCoreKbd);
  // The real modifier that NumLock locks: the one its key sets in the modifier map.
  numLockMask_ = 0;
  if (desc_ == nullptr || desc_->map == nullptr || desc_->map->modmap == nullptr) return;
  for (int kc = desc_->min_key_code; kc <= desc_->max_key_code; ++kc) {
    const int count = XkbKeyNumSyms(desc_, kc);
    const KeySym* syms = XkbKeySymsPtr(desc_, kc);
    for (int i = 0; i < count; ++i)
      if (syms[i] == XK_Num_Lock) numLockMask_ |= desc_->map->modmap[kc];
  }
}

void X11Keyboard::ReadState() {
  XkbStateRec state{};
  if (XkbGetState(display_, XkbUseCoreKbd, &state) != Success) return;
  group_ = state.group;
  lockedMods_ = state.locked_mods;
}

void X11Keyboard::FollowChanges() {
  if (!Valid()) return;
  XkbSelectEvents(display_, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                  XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
  const unsigned long details = XkbGroupStateMask | XkbModifierLockMask;
  XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, details, details);
}

bool X11Keyboard::Handle(const _XEvent& event) {
  if (eventBase_ < 0 || event.type != eventBase_) return false;
  const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
  switch (xkb.any.xkb_type) {
    case XkbNewKeyboardNotify:
    case XkbMapNotify:
      ReadMap();
      break;
    case XkbStateNotify:
      group_ = static_cast<unsigned>(xkb.state.group);
      lockedMods_ = xkb.state.locked_mods;
      break;
    default:
      break;
  }
  return true;
}

void X11Keyboard::Refresh() {
  if (!Valid()) return;
  XkbStateRec state{};
  const bool haveState = XkbGetState(display_, XkbUseCoreKbd, &state) == Success;
  // Everything the server sent before the reply is queued now; older state events are
  // overridden by the reply below.
  while (XEventsQueued(display_, QueuedAlready) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    Handle(event);
  }
  if (haveState) {
    group_ = state.group;
    lockedMods_ = state.locked_mods;
  }
}

char32_t X11Keyboard::Unshifted(unsigned keyCode, bool numLock) const {
  if (desc_ == nullptr || keyCode > 255) return 0;
  unsigned mods = XkbBuildCoreState(0, group_);
  if (numLock) mods |= numLockMask_;
  KeySym sym = NoSymbol;
  unsigned consumed = 0;
  if (!XkbTranslateKeyCode(desc_, static_cast<KeyCode>(keyCode), mods, &consumed, &sym) ||
      sym == NoSymbol)
    return 0;
  return xkb_keysym_to_utf32(static_cast<xkb_keysym_t>(sym));
}

uint8_t X11Keyboard::VirtualKey(unsigned keyCode) const {
  return VirtualKeyOf(keyCode, Unshifted(keyCode), NumLockOn());
}

char32_t X11Keyboard::CharacterOf(unsigned virtualKey) const {
  if (virtualKey == 0 || virtualKey > 0xFF) return 0;
  for (const KeyRow& row : KeyRows()) {
    if (row.navigationKey != 0) {
      if (row.virtualKey == virtualKey) return Unshifted(row.keyCode, true);
      if (row.navigationKey == virtualKey) return Unshifted(row.keyCode, false);
    } else if (VirtualKeyOf(row.keyCode, Unshifted(row.keyCode), false) == virtualKey) {
      return Unshifted(row.keyCode);
    }
  }
  // A letter that no key of this layout types (a non-Latin layout): the key at its US place.
  for (const KeyRow& row : KeyRows())
    if (row.virtualKey == virtualKey) return Unshifted(row.keyCode);
  return 0;
}

}  // namespace desktop
