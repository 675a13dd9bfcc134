#include "hook/KeyReader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/desktop/X11Keyboard.h"

// Last: Xlib defines macros (None, Bool, Status) that other headers would trip over.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace hook {
namespace {

thread_local KeyReader* t_current = nullptr;

}  // namespace

KeyReader::KeyReader(const HookWindow& target) : target_(target) {}

KeyReader::~KeyReader() {
  if (thread_.joinable()) {
    stopping_.store(true);
    Wake();
    thread_.join();
  }
  keyboard_.reset();
  if (display_ != nullptr) XCloseDisplay(display_);
  if (wake_ >= 0) ::close(wake_);
}

KeyReader* KeyReader::Current() { return t_current; }

bool KeyReader::Start() {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return false;
  int event = 0, error = 0;
  if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error)) return false;
  int major = 2, minor = 2;
  if (XIQueryVersion(display_, &major, &minor) != Success || major * 100 + minor < 202)
    return false;

  keyboard_ = std::make_unique<desktop::X11Keyboard>(display_);
  keyboard_->FollowChanges();

  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawKeyPress);
  XISetMask(bits, XI_RawKeyRelease);
  XIEventMask mask{};
  mask.deviceid = XIAllMasterDevices;  // one event per key, whichever keyboard sent it
  mask.mask_len = sizeof bits;
  mask.mask = bits;
  XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
  XSync(display_, False);  // the selection has reached the server

  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) return false;
  thread_ = std::thread(&KeyReader::Run, this);
  return true;
}

void KeyReader::Wake() {
  const uint64_t one = 1;
  while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void KeyReader::SetStatus(bool on) {
  if (t_current == this) {  // from a post: the queue is being handled right now
    on_.store(on);
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (ended_) {
    on_.store(on);
    return;
  }
  wanted_ = on;
  const unsigned ticket = ++asked_;
  Wake();
  applied_.wait(lock, [&] { return ended_ || static_cast<int>(done_ - ticket) >= 0; });
  if (ended_) on_.store(on);
}

void KeyReader::ApplyStatus() {
  unsigned ticket;
  bool wanted;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ticket = asked_;
    wanted = wanted_;
  }
  if (ticket == done_) return;
  // Every key the server took before the request is read now and handled under the old status.
  XSync(display_, False);
  HandleQueued();
  on_.store(wanted);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = ticket;
  }
  applied_.notify_all();
}

void KeyReader::HandleQueued() {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    Dispatch(&event);
  }
}

void KeyReader::Run() {
  t_current = this;
  pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wake_, POLLIN, 0}};
  for (;;) {
    // Events already read from the connection are handled before blocking again.
    HandleQueued();
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) {
      uint64_t count;
      while (::read(wake_, &count, sizeof count) < 0 && errno == EINTR) {
      }
      if (stopping_.load()) break;
      ApplyStatus();
    }
    if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) break;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
  }
  applied_.notify_all();
  t_current = nullptr;
}

void KeyReader::Dispatch(void* e) {
  XEvent& event = *static_cast<XEvent*>(e);
  XGenericEventCookie& cookie = event.xcookie;
  if (cookie.type != GenericEvent || cookie.extension != xiOpcode_) {
    keyboard_->Handle(event);
    return;
  }
  if (!XGetEventData(display_, &cookie)) return;
  if (cookie.evtype == XI_RawKeyPress || cookie.evtype == XI_RawKeyRelease) {
    const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
    const uint8_t vk = keyboard_->VirtualKey(static_cast<unsigned>(raw->detail));
    if (vk != 0 && on_.load() && !retired_.load()) {
      const intptr_t flags = cookie.evtype == XI_RawKeyRelease ? HOOK_KEY_RELEASED : 0;
      target_.post(target_.window, WM_HOOK_KEY, vk, flags);
    }
  }
  XFreeEventData(display_, &cookie);
}

}  // namespace hook
