#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "device/KavrinUSBComm.h"
#include "platform/desktop/PointerSettings.h"
#include "platform/sys/Tick.h"
#include "settings/DeviceInfo.h"
#include "settings/DeviceSettings.h"
#include "settings/DeviceSync.h"
#include "settings/MacroStore.h"
#include "settings/Records.h"

namespace settings {

// The texts Apply shows, as they stand (the leading spaces belong to them).
inline constexpr std::u16string_view kSpaceShortageFormat = u" 设置模式%d E2 空间不够！";
inline constexpr std::u16string_view kFlashWriteFailedText = u"保存E2数据失败！";
inline constexpr std::u16string_view kConfigWriteFailedText = u"保存配置数据失败！";
inline constexpr std::u16string_view kPointerSettingsFailedText = u" 设置鼠标属性失败！";
inline constexpr std::u16string_view kDefaultFilesFailedText = u"保存默认配置文件失败！";
// Shown when the progress display cannot read the skin file.
inline constexpr std::u16string_view kSkinFileErrorText = u"配置文件错误！";

// kSpaceShortageFormat with the mode number (1 to 4) in place of %d.
std::u16string SpaceShortageText(int modeNumber);

// Apply and OK requests closer than this to the previous one are ignored.
inline constexpr uint32_t kApplyDebounceMs = 100;

// The four dialog buttons that are disabled while Apply runs, in the order they are disabled
// and enabled again.
enum class ApplyButton { OK, Cancel, Apply, Default };
inline constexpr ApplyButton kApplyButtonOrder[] = {ApplyButton::OK, ApplyButton::Cancel,
                                                    ApplyButton::Apply, ApplyButton::Default};

// A rectangle in screen coordinates.
struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// What Apply needs of the main window. All calls come on the user-interface thread.
class ApplyView {
 public:
  virtual ~ApplyView() = default;

  virtual void EnableButton(ApplyButton button, bool enabled) = 0;

  // The rectangle "InMainWindowsRect" (x, y, w, h) of section "ApplyProgressDialog" of the main
  // window's skin file, as (x, y, x + w, y + h) taken from the window's client coordinates to
  // the screen's.
  virtual ScreenRect ProgressRect() = 0;

  // Opens the progress display (section "ApplyProgressDialog", range 0 to 100) at `rect`, shown
  // normally and brought forward, paced by an ApplyProgressPacer until ProgressDone. False when
  // the display cannot read the skin file: Apply then shows kSkinFileErrorText and goes on
  // without a display.
  virtual bool StartProgress(const ScreenRect& rect) = 0;

  // Runs `work` (Apply's device traffic and file writes) on a worker thread and returns once it
  // has ended; meanwhile the user-interface thread keeps the progress display going (a local
  // event loop) and must not touch the settings, the macro store or the device
  // (ApplyRunner::Running tells).
  virtual void RunDeviceWork(const std::function<void()>& work) = 0;

  // applyDone was set: the display goes to 100 and closes kFinalHoldMs later.
  virtual void ProgressDone() = 0;

  // Returns once the progress display has closed.
  virtual void WaitForProgress() = 0;

  // A message box with `text`, an empty caption and an OK button; returns when it is closed.
  virtual void ShowMessage(std::u16string_view text) = 0;

  // Shows the main window normally and brings it to the foreground.
  virtual void BringToFront() = 0;
};

// Apply: turns the four editing mode records into the mouse's state and the desktop's pointer
// settings in one pass, and only when all of it succeeded saves the default files, makes the
// records the applied ones and commits the macro store. A failed save of the default files is
// told after that commit, since the mouse holds the new settings either way. The main window
// owns one, over its settings, protocol object and device synchronisation, the button page's
// macro store (whose hover timer Apply stops while it runs) and the pointer settings, and
// forwards its Apply and OK buttons to OnApply.
class ApplyRunner {
 public:
  // `tick` is the millisecond tick of the debounce (sys::GetTickCount when empty). `macros` is
  // the button page's store, null until that page exists (see SetMacroStore).
  ApplyRunner(DeviceSettings& settings, DeviceSync& sync, device::CKavrinUSBComm& comm,
              MacroStore* macros, desktop::PointerSettings& pointer, ApplyView& view,
              sys::TickSource tick = {});

  // The store Apply compiles and commits, and whose hover timer it stops; null for none, when
  // macro buttons are sent as "off" and nothing is committed.
  void SetMacroStore(MacroStore* macros) { macros_ = macros; }

  // The debounced entry of the Apply and OK buttons: a request less than kApplyDebounceMs after
  // the previous one, accepted or ignored, is ignored (and moves the mark, so requests that
  // keep coming quicker than that stay ignored); the very first request never is. Otherwise the
  // four buttons are disabled, ApplySettings runs, they are enabled again, and the mark is set
  // at the end of the Apply. A request while Apply runs is ignored. True when it applied.
  bool OnApply();

  // The Apply sequence; reports by message boxes. With the device closed it does nothing at
  // all.
  void ApplySettings();

  // Sends the DPI levels and report-rate indices of the four modes and the current mode; 1 when
  // all three commands succeed, 0 at the first failure. A level or index outside 0 to 3 (a file
  // may hold any byte) is sent as its factory value; the record keeps what it holds.
  int WriteDeviceConfig(const tagDEVICEINFO& info);

  // Sets the desktop's pointer speed, acceleration, wheel lines and double-click time from a
  // mode record, each read first and set only when it differs; 1 when all succeed, 0 at the
  // first failing call.
  int ApplySystemMouseSettings(const tagMODEINFO& record);

  // 0 while Apply works, 1 when the progress display may finish.
  int32_t ApplyDone() const { return applyDone_.load(); }
  // True from the start of ApplySettings until it returns.
  bool Running() const { return running_; }

 private:
  enum class Outcome {
    Applied,
    OutOfSpace,
    FlashWriteFailed,
    ConfigWriteFailed,
    PointerFailed,
    DefaultFilesFailed
  };

  // Steps 6 to 11 of the sequence: rebuild the image, write it, send the configuration, set the
  // pointer settings and, on success, save and commit (DefaultFilesFailed has committed too).
  // Runs on the worker thread.
  Outcome RunDeviceSteps(int& failedMode);
  void SetApplyDone();
  uint32_t Now() const;

  DeviceSettings& settings_;
  DeviceSync& sync_;
  device::CKavrinUSBComm& comm_;
  MacroStore* macros_;
  desktop::PointerSettings& pointer_;
  ApplyView& view_;
  sys::TickSource tick_;

  // The debounce, touched on the user-interface thread only.
  uint32_t lastRequestTick_ = 0;
  bool firstRequest_ = true;

  std::atomic<int32_t> applyDone_{1};
  bool progressShown_ = false;
  bool running_ = false;
};

}  // namespace settings
