#include "settings/Apply.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "settings/DeviceImage.h"
#include "settings/FactoryDefaults.h"

namespace settings {
namespace {

constexpr uint8_t kAllModes = 0x0F;

// Two 4-bit values in one byte: `high` in bits 4-7, `low` in bits 0-3.
uint8_t Nibbles(uint8_t high, uint8_t low) {
  return static_cast<uint8_t>((high & 0x0F) << 4 | (low & 0x0F));
}

// A record's value as the mouse may be sent it: one outside 0 to `max` (a file may hold any
// byte) goes as the field's factory value.
uint8_t WithinRange(uint8_t value, uint8_t max, uint8_t factory) {
  return value <= max ? value : factory;
}

// The four modes' values packed two to a byte, as the DPI and report-rate commands take them.
std::pair<uint8_t, uint8_t> PackModes(const uint8_t (&values)[MODE_COUNT], uint8_t max,
                                      uint8_t factory) {
  uint8_t v[MODE_COUNT];
  for (int m = 0; m < MODE_COUNT; ++m) v[m] = WithinRange(values[m], max, factory);
  return {Nibbles(v[1], v[0]), Nibbles(v[3], v[2])};
}

// The desktop's values a mode record asks for.
int WantedMouseSpeed(const tagMODEINFO& r) {
  if (r.pointerSpeed < 0 || r.pointerSpeed > 10) return 10;
  return r.pointerSpeed == 0 ? 1 : 2 * r.pointerSpeed;
}

desktop::MouseAcceleration WantedAcceleration(const tagMODEINFO& r) {
  return r.pointerPrecision != 0 ? desktop::kPrecisionOn : desktop::kPrecisionOff;
}

int WantedWheelLines(const tagMODEINFO& r) {
  if (r.wheelOnePage != 0) return desktop::kWheelOnePage;
  return r.wheelLines < 0 || r.wheelLines > 10 ? 3 : r.wheelLines;
}

uint32_t WantedDoubleClickTime(const tagMODEINFO& r) {
  if (r.doubleClickSpeed < 0 || r.doubleClickSpeed > 10) return 480;
  return static_cast<uint32_t>(900 - 70 * r.doubleClickSpeed);
}

}  // namespace

std::u16string SpaceShortageText(int modeNumber) {
  std::u16string text(kSpaceShortageFormat);
  const size_t at = text.find(u"%d");
  std::u16string number;
  for (char c : std::to_string(modeNumber)) number.push_back(static_cast<char16_t>(c));
  text.replace(at, 2, number);
  return text;
}

ApplyRunner::ApplyRunner(DeviceSettings& settings, DeviceSync& sync, device::CKavrinUSBComm& comm,
                         MacroStore* macros, desktop::PointerSettings& pointer, ApplyView& view,
                         sys::TickSource tick)
    : settings_(settings),
      sync_(sync),
      comm_(comm),
      macros_(macros),
      pointer_(pointer),
      view_(view),
      tick_(std::move(tick)) {}

uint32_t ApplyRunner::Now() const { return tick_ ? tick_() : sys::GetTickCount(); }

bool ApplyRunner::OnApply() {
  // A request from the local event loop that runs while Apply waits for its worker.
  if (running_) return false;
  if (firstRequest_) lastRequestTick_ = Now();
  const uint32_t now = Now();
  // Widened, so that the absolute value of the most negative difference exists.
  const int64_t since = sys::TickDiff(now, lastRequestTick_);
  if (!firstRequest_ && std::llabs(since) < static_cast<int64_t>(kApplyDebounceMs)) {
    lastRequestTick_ = Now();
    return false;
  }
  firstRequest_ = false;
  for (ApplyButton b : kApplyButtonOrder) view_.EnableButton(b, false);
  ApplySettings();
  for (ApplyButton b : kApplyButtonOrder) view_.EnableButton(b, true);
  lastRequestTick_ = Now();
  return true;
}

void ApplyRunner::SetApplyDone() {
  if (applyDone_.exchange(1) == 0 && progressShown_) view_.ProgressDone();
}

void ApplyRunner::ApplySettings() {
  if (running_ || !comm_.IsOpen()) return;
  running_ = true;

  const ScreenRect rect = view_.ProgressRect();
  if (macros_) macros_->StopHoverTimer();
  applyDone_ = 0;
  progressShown_ = view_.StartProgress(rect);
  // The display cannot read the skin file: said here, where the display would have opened, and
  // the Apply goes on without it.
  if (!progressShown_) view_.ShowMessage(kSkinFileErrorText);

  Outcome outcome = Outcome::Applied;
  int failedMode = 0;
  view_.RunDeviceWork([&] { outcome = RunDeviceSteps(failedMode); });

  // The flag is set before a box is shown, so the display completes and closes while it is up.
  SetApplyDone();
  switch (outcome) {
    case Outcome::Applied:
      break;
    case Outcome::OutOfSpace:
      view_.ShowMessage(SpaceShortageText(failedMode + 1));
      break;
    case Outcome::FlashWriteFailed:
      view_.ShowMessage(kFlashWriteFailedText);
      break;
    case Outcome::ConfigWriteFailed:
      view_.ShowMessage(kConfigWriteFailedText);
      break;
    case Outcome::PointerFailed:
      view_.ShowMessage(kPointerSettingsFailedText);
      break;
    case Outcome::DefaultFilesFailed:
      view_.ShowMessage(kDefaultFilesFailedText);
      break;
  }
  if (progressShown_) view_.WaitForProgress();
  progressShown_ = false;
  view_.BringToFront();
  if (macros_) macros_->StartHoverTimer();
  running_ = false;
}

ApplyRunner::Outcome ApplyRunner::RunDeviceSteps(int& failedMode) {
  tagE2IMAGE& image = settings_.image;
  tagDEVICEINFO& info = settings_.deviceInfo;
  static const MacroStore kNoMacros;
  if (!BuildDeviceImage(settings_.EditingModes, macros_ ? *macros_ : kNoMacros, image,
                        &failedMode))
    return Outcome::OutOfSpace;
  for (int m = 0; m < MODE_COUNT; ++m) {
    info.rateIndex[m] = settings_.EditingModes[m].reportRateIndex;
    info.dpiLevel[m] = settings_.EditingModes[m].dpiLevel;
  }
  info.currentMode = static_cast<uint8_t>(settings_.CurrentMode());

  if (!sync_.WriteDeviceFlash(image.configBlock, image.macroArea))
    return Outcome::FlashWriteFailed;
  if (!WriteDeviceConfig(info)) return Outcome::ConfigWriteFailed;
  if (!ApplySystemMouseSettings(settings_.CurrentEditingMode())) return Outcome::PointerFailed;

  const bool saved = settings_.SaveDefaultProfiles();
  // The mouse holds the new settings whether or not their files could be written.
  std::memcpy(settings_.AppliedModes, settings_.EditingModes, sizeof settings_.AppliedModes);
  if (macros_) macros_->CommitMacros();
  return saved ? Outcome::Applied : Outcome::DefaultFilesFailed;
}

int ApplyRunner::WriteDeviceConfig(const tagDEVICEINFO& info) {
  const auto [dpi01, dpi23] = PackModes(info.dpiLevel, kMaxDpiLevel, kFactoryDpiLevel);
  if (!comm_.SetDpi(kAllModes, dpi01, dpi23)) return 0;
  const auto [rate01, rate23] =
      PackModes(info.rateIndex, kMaxReportRateIndex, kFactoryReportRateIndex);
  if (!comm_.SetReportRate(kAllModes, rate01, rate23)) return 0;
  return comm_.SetCustomMode(info.currentMode) ? 1 : 0;
}

int ApplyRunner::ApplySystemMouseSettings(const tagMODEINFO& r) {
  desktop::PointerSettings& p = pointer_;

  const int speed = WantedMouseSpeed(r);
  int currentSpeed = 0;
  if (!p.GetMouseSpeed(currentSpeed)) return 0;
  if (currentSpeed != speed && !p.SetMouseSpeed(speed)) return 0;

  const desktop::MouseAcceleration acceleration = WantedAcceleration(r);
  desktop::MouseAcceleration currentAcceleration;
  if (!p.GetMouseAcceleration(currentAcceleration)) return 0;
  if (currentAcceleration != acceleration && !p.SetMouseAcceleration(acceleration)) return 0;

  const int lines = WantedWheelLines(r);
  int currentLines = 0;
  if (!p.GetWheelScrollLines(currentLines)) return 0;
  if (currentLines != lines && !p.SetWheelScrollLines(lines)) return 0;

  const uint32_t doubleClick = WantedDoubleClickTime(r);
  uint32_t currentDoubleClick = 0;
  if (!p.GetDoubleClickTime(currentDoubleClick)) return 0;
  if (currentDoubleClick == doubleClick) return 1;
  return p.SetDoubleClickTime(doubleClick) ? 1 : 0;
}

}  // namespace settings
