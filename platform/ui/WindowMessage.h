#pragma once

#include <QEvent>
#include <QObject>
#include <QString>

#include <cstdint>

#include "platform/sys/MessageWindow.h"

// Numbered window messages between Qt windows. A message keeps its number and its packing of
// wParam and lParam and travels as a WindowMessageEvent: posted messages are queued (from any
// thread), sent messages run the receiver's handler before the call returns. A window handle in
// a parameter is the receiving or sending QObject's address (see HandleOf).
namespace ui {

using sys::LPARAM;
using sys::LRESULT;
using sys::WPARAM;

// The standard messages the skinned windows exchange among themselves.
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr uint32_t WM_USER = sys::WM_USER;

// Hit-test code of WM_NCLBUTTONDOWN: the press counts as one on the caption (drags the window).
inline constexpr WPARAM HTCAPTION = 2;

// Notification code of a push-button click in the high word of WM_COMMAND's wParam.
inline constexpr uint16_t BN_CLICKED = 0;

// Key and button state flags of the mouse messages' wParam.
inline constexpr WPARAM MK_LBUTTON = 0x0001;
inline constexpr WPARAM MK_RBUTTON = 0x0002;
inline constexpr WPARAM MK_SHIFT = 0x0004;
inline constexpr WPARAM MK_CONTROL = 0x0008;
inline constexpr WPARAM MK_MBUTTON = 0x0010;

// Dialog results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

constexpr uint16_t LoWord(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFFu); }
constexpr uint16_t HiWord(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFFu); }
// Two 16-bit halves in one 32-bit value, low word first; higher bits of each half are lost.
constexpr uint32_t MakeLong(uint32_t low, uint32_t high) {
  return (low & 0xFFFFu) | ((high & 0xFFFFu) << 16);
}
constexpr WPARAM MakeWParam(uint32_t low, uint32_t high) { return MakeLong(low, high); }
// A point packed as in the mouse messages: x in the low word, y in the high word.
constexpr LPARAM MakeLParam(int x, int y) {
  return static_cast<LPARAM>(MakeLong(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
}
// The signed coordinates of a packed point (screen coordinates may be negative).
constexpr int XFromLParam(LPARAM v) { return static_cast<int16_t>(LoWord(static_cast<uintptr_t>(v))); }
constexpr int YFromLParam(LPARAM v) { return static_cast<int16_t>(HiWord(static_cast<uintptr_t>(v))); }

// The handle of a window as it travels in lParam, and back.
inline LPARAM HandleOf(const QObject* window) { return reinterpret_cast<LPARAM>(window); }
inline QObject* ObjectFromHandle(LPARAM handle) { return reinterpret_cast<QObject*>(handle); }

// The key and button flags (MK_*) of a mouse event's state.
WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

class WindowMessageEvent : public QEvent {
 public:
  WindowMessageEvent(uint32_t msg, WPARAM wParam, LPARAM lParam);

  // The event type shared by every window message (registered once per process).
  static QEvent::Type EventType();

  uint32_t Msg() const { return msg_; }
  WPARAM WParam() const { return wParam_; }
  LPARAM LParam() const { return lParam_; }
  LRESULT Result() const { return result_; }
  void SetResult(LRESULT result) { result_ = result; }

 private:
  uint32_t msg_;
  WPARAM wParam_;
  LPARAM lParam_;
  LRESULT result_ = 0;
};

// The window message carried by `event`, or null for any other event.
inline WindowMessageEvent* AsWindowMessage(QEvent* event) {
  return event->type() == WindowMessageEvent::EventType() ? static_cast<WindowMessageEvent*>(event)
                                                          : nullptr;
}

// Queues the message for `target`'s thread and returns at once; safe from any thread as long as
// `target` lives. A null target drops the message. Events still queued for an object that is
// destroyed are dropped with it.
void PostMessage(QObject* target, uint32_t msg, WPARAM wParam, LPARAM lParam);

// Delivers the message to `target` and returns its handler's result. From another thread the
// caller blocks until `target`'s thread has handled it. A null target gives 0.
LRESULT SendMessage(QObject* target, uint32_t msg, WPARAM wParam, LPARAM lParam);

// The number of a registered message (the same name gives the same number in the process).
uint32_t RegisterWindowMessage(const QString& name);

// A Qt window seen by core code as the window its messages go to.
class WidgetMessageWindow : public sys::MessageWindow {
 public:
  // `target` must outlive every thread that posts through this object.
  explicit WidgetMessageWindow(QObject* target) : target_(target) {}

  void PostMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT SendMessage(uint32_t msg, WPARAM wParam, LPARAM lParam) override;

  QObject* Target() const { return target_; }

 private:
  QObject* target_;
};

}  // namespace ui
