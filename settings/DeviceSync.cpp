#include "settings/DeviceSync.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace settings {
namespace {

constexpr int TEST_MODE = 1;
constexpr int NORMAL_MODE = 0;

// The flash is written four bytes at a time, so an Apply cut short after an erase leaves whole
// 4-byte quarters of a device half erased.
constexpr size_t FLASH_WORD_SIZE = 4;
constexpr uint8_t ERASED_BYTE = 0xFF;

// Takes one half of a mode's device block from the configuration block into the record, quarter
// by quarter. A quarter that is all 0xFF is erased flash, which no page can produce: the record
// keeps its own bytes there, and they go into the image too, so that whatever reads the image
// later (a mode report, the next Apply's comparison) finds them instead of 0xFF.
void MergeDeviceHalf(uint8_t* record, uint8_t* image) {
  for (size_t q = 0; q < DEVICE_HALF_SIZE; q += FLASH_WORD_SIZE) {
    const bool erased = std::all_of(image + q, image + q + FLASH_WORD_SIZE,
                                    [](uint8_t b) { return b == ERASED_BYTE; });
    if (erased) {
      std::memcpy(image + q, record + q, FLASH_WORD_SIZE);
    } else {
      std::memcpy(record + q, image + q, FLASH_WORD_SIZE);
    }
  }
}

}  // namespace

DeviceSync::DeviceSync(DeviceSettings& settings, device::CKavrinUSBComm& comm,
                       WindowProperty* property)
    : settings_(settings), comm_(comm), property_(property) {}

int DeviceSync::OpenDevice(sys::MessageWindow* window) {
  comm_.Close();  // harmless when closed; the reader and registration are always the last open's
  std::string path;
  // Without the mouse a window is still set and registered (the open of no path fails), so
  // that it hears of the mouse's arrival.
  if (comm_.FindMouseDevice(path) || window != nullptr) comm_.Open(path, window);
  return comm_.IsOpen() ? 1 : 0;
}

void DeviceSync::LeaveTestMode() {
  if (comm_.IsOpen()) comm_.SetMcuMode(NORMAL_MODE);
}

int DeviceSync::ReadDeviceFlash(E2ConfigBlock& configBlock, E2MacroArea& macroArea) {
  if (!comm_.IsOpen()) return 0;
  if (!comm_.SetMcuMode(TEST_MODE)) {
    LeaveTestMode();  // the switch may have happened with only its reply lost
    return 0;
  }
  // Read into scratch, so that a failure part-way leaves the previous image whole.
  tagE2IMAGE scratch;
  for (int k = 0; k < MACRO_AREA_BLOCKS; ++k) {
    if (!comm_.ReadFlash(static_cast<uint8_t>(k), 0, FLASH_BLOCK_SIZE,
                         scratch.macroArea.bytes + FLASH_BLOCK_SIZE * k)) {
      LeaveTestMode();
      return 0;
    }
  }
  if (!comm_.ReadFlash(CONFIG_FLASH_BLOCK, 0, FLASH_BLOCK_SIZE, scratch.configBlock.bytes)) {
    LeaveTestMode();
    return 0;
  }
  if (!comm_.SetMcuMode(NORMAL_MODE)) return 0;
  configBlock = scratch.configBlock;
  macroArea = scratch.macroArea;
  return 1;
}

int DeviceSync::ReadDeviceInfo(tagDEVICEINFO& info) {
  if (!comm_.IsOpen()) return 0;
  if (!comm_.GetModeInfo() || !comm_.GetDpi() || !comm_.GetReportRate()) return 0;
  comm_.GetDpiAndRate(info.dpiLevel, info.rateIndex);
  info.currentMode = static_cast<uint8_t>(comm_.GetCurrentMode());
  return 1;
}

int DeviceSync::ReadAllFromDevice() {
  if (!comm_.IsOpen()) return 0;
  if (!ReadDeviceFlash(settings_.image.configBlock, settings_.image.macroArea)) return 0;
  return ReadDeviceInfo(settings_.deviceInfo);
}

void DeviceSync::MergeDeviceData() {
  settings_.SetCurrentMode(comm_.GetCurrentMode());
  uint8_t* block = settings_.image.configBlock.bytes;
  for (int m = 0; m < MODE_COUNT; ++m) {
    tagMODEINFO& record = settings_.EditingModes[m];
    auto* device = reinterpret_cast<uint8_t*>(&record) + DEVICE_BLOCK_OFFSET;
    MergeDeviceHalf(device, block + LightHalfOffset(m));
    MergeDeviceHalf(device + DEVICE_HALF_SIZE, block + DpiHalfOffset(m));
    record.dpiLevel = settings_.deviceInfo.dpiLevel[m];
    record.reportRateIndex = settings_.deviceInfo.rateIndex[m];
    settings_.AppliedModes[m] = record;
  }
}

int DeviceSync::CheckIsMyDevice() {
  const bool mine = comm_.IsOpen() && comm_.GetDeviceVersion() &&
                    comm_.GetVersionBytes() == settings_.ExpectedProductId;
  if (property_ != nullptr) property_->SetProp(IS_MY_DEVICE_PROPERTY, mine ? 1 : 0);
  return mine ? 1 : 0;
}

int DeviceSync::WriteDeviceFlash(const E2ConfigBlock& configBlock, const E2MacroArea& macroArea) {
  if (!comm_.IsOpen()) return 0;
  if (!comm_.SetMcuMode(TEST_MODE)) {
    LeaveTestMode();
    return 0;
  }
  uint8_t current[FLASH_BLOCK_SIZE];
  for (int k = 0; k < FLASH_BLOCK_COUNT; ++k) {
    const auto block = static_cast<uint8_t>(k);
    const uint8_t* source = k < MACRO_AREA_BLOCKS ? macroArea.bytes + FLASH_BLOCK_SIZE * k
                                                  : configBlock.bytes;
    if (!comm_.ReadFlash(block, 0, FLASH_BLOCK_SIZE, current)) {
      LeaveTestMode();
      return 0;
    }
    if (std::memcmp(current, source, FLASH_BLOCK_SIZE) == 0) continue;  // already there
    if (!comm_.EraseFlash(block) || !comm_.WriteFlash(block, 0, FLASH_BLOCK_SIZE, source)) {
      LeaveTestMode();
      return 0;
    }
  }
  return comm_.SetMcuMode(NORMAL_MODE) ? 1 : 0;
}

int DeviceSync::DeviceInitThreadProc(DeviceSync* sync) {
  if (sync == nullptr) return 0;
  if (!sync->OpenDevice(nullptr)) return 0;
  DeviceSettings& s = sync->settings_;
  if (sync->ReadDeviceFlash(s.image.configBlock, s.image.macroArea) &&
      sync->ReadDeviceInfo(s.deviceInfo)) {
    sync->MergeDeviceData();
  }
  return 0;
}

}  // namespace settings
