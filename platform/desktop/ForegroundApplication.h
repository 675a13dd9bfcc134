#pragma once

#include <memory>
#include <string>
#include <string_view>

// The application in the foreground: the process that owns the desktop's active window, and the
// full path of its executable.
namespace desktop {

// What a path reads when it cannot be found.
inline constexpr char16_t kUnknownImagePath[] = u"<unknown>";

// The full path of the executable of process `pid` (/proc/PID/exe), whole, however long;
// "<unknown>" when the process does not exist, cannot be looked at, or `pid` is not positive.
std::u16string GetProcessImagePath(int pid);

// The same path as the bytes the system holds; empty when it cannot be read.
std::string ProcessExecutablePath(int pid);

// `path` with every link in it resolved, as /proc/PID/exe names the program that `path` starts;
// empty when nothing exists there. A relative path is taken from the current folder.
std::u16string ResolvedPath(std::u16string_view path);

// Lower-cases each UTF-16 unit on its own, by the Unicode simple case mapping (so 'Ä' becomes
// 'ä'); surrogates and units without a lower-case form stay as they are. The length never
// changes.
std::u16string LowerCaseUtf16(std::u16string_view text);

class ForegroundApplication {
 public:
  virtual ~ForegroundApplication() = default;

  // The process that owns the active window on this host; 0 when there is none or it cannot be
  // told (no X server, no active window, no process id, a window of another host). From the
  // first call on the desktop is followed, so that a later call asks only what changed.
  virtual int ForegroundProcessId() = 0;
  // The executable path of that process, or "<unknown>", read afresh at every call: a process
  // can start another program under the same id.
  virtual std::u16string ForegroundImagePath() {
    return GetProcessImagePath(ForegroundProcessId());
  }
  // Stops following the desktop until the next call above, so that meanwhile nothing of it
  // reaches this program.
  virtual void StopFollowing() {}
};

// The active window of the X server of $DISPLAY (root _NET_ACTIVE_WINDOW, its _NET_WM_PID or
// its creator's process); without an X server every lookup gives 0 and "<unknown>". Under a
// Wayland session only X11 and XWayland programs can be seen: NoteX11ProgramsOnly says so.
std::unique_ptr<ForegroundApplication> CreateForegroundApplication();

}  // namespace desktop
