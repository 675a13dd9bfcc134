#pragma once

#include <cstdint>

struct _XDisplay;
union _XEvent;
struct _XkbDesc;

// The keyboard of an X display as the XKB extension describes it: its key map and the group
// and lock state, kept current from the server's XKB events, and the virtual-key code or the
// character of each key under them. Used on one thread with a connection of its own; no X11
// header in this file, so that callers need none.
namespace desktop {

class X11Keyboard {
 public:
  // Reads the map and state over `display`, which must outlive this object. Valid() is false
  // when the server has no XKB.
  explicit X11Keyboard(_XDisplay* display);
  ~X11Keyboard();
  X11Keyboard(const X11Keyboard&) = delete;
  X11Keyboard& operator=(const X11Keyboard&) = delete;

  bool Valid() const { return desc_ != nullptr; }

  // Asks the server for the events that Handle follows: a new keyboard or map (setxkbmap), a
  // change of group and of locked modifiers (NumLock).
  void FollowChanges();
  // Takes an XKB event that FollowChanges asked for and returns true; false for other events.
  bool Handle(const _XEvent& event);
  // Brings the state up to the server's now: one round trip; events queued up to its reply are
  // handled (a map that changed is read again). For callers that do not read events otherwise.
  void Refresh();

  // What the key types without modifiers in the current group (`numLock`: with NumLock locked,
  // for keypad keys); 0 when it types no character.
  char32_t Unshifted(unsigned keyCode, bool numLock = false) const;
  bool NumLockOn() const { return numLockMask_ != 0 && (lockedMods_ & numLockMask_) != 0; }
  // The virtual-key code the key reports now; 0 when it reports nothing.
  uint8_t VirtualKey(unsigned keyCode) const;
  // The character that `virtualKey` types without modifiers (keypad codes with NumLock on for
  // VK_NUMPAD0..9 and VK_DECIMAL, off for their navigation codes); 0 when it types nothing.
  char32_t CharacterOf(unsigned virtualKey) const;

 private:
  void ReadMap();
  void ReadState();

  _XDisplay* display_;
  _XkbDesc* desc_ = nullptr;
  int eventBase_ = -1;
  unsigned group_ = 0;
  unsigned lockedMods_ = 0;
  unsigned numLockMask_ = 0;
};

}  // namespace desktop
