#include "settings/DeviceImage.h"

#include <cstring>
#include <span>

#include "settings/ButtonEncoder.h"
#include "settings/MacroCompiler.h"

namespace settings {

int BuildDeviceImage(const tagMODEINFO* modes, const MacroStore& store, tagE2IMAGE& image,
                     int* failedMode) {
  std::memset(image.macroArea.bytes, 0xFF, sizeof image.macroArea.bytes);
  uint8_t* config = image.configBlock.bytes;
  for (int m = 0; m < MODE_COUNT; ++m) {
    const auto* device = reinterpret_cast<const uint8_t*>(&modes[m]) + DEVICE_BLOCK_OFFSET;
    std::memcpy(config + LightHalfOffset(m), device, DEVICE_HALF_SIZE);
    std::memcpy(config + DpiHalfOffset(m), device + DEVICE_HALF_SIZE, DEVICE_HALF_SIZE);
    EncodeButtonCodes(std::span<const tagKEYDEFINEINFO, KEY_COUNT>(modes[m].keys),
                      std::span<uint8_t, BUTTON_CODE_BYTES>(config + ButtonCodeOffset(m, 0),
                                                            BUTTON_CODE_BYTES));
    // Every pass compiles the macros of all four modes; a shortage names the mode whose macro
    // did not fit, which is not necessarily the mode of this pass, and leaves the later modes'
    // bytes as they were.
    if (!CompileMacros(modes, image.configBlock, image.macroArea, store, failedMode)) return 0;
  }
  return 1;
}

}  // namespace settings
