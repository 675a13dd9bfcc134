#include "app/FactoryMouseState.h"

#include <cstring>
#include <memory>

#include "settings/DeviceImage.h"
#include "settings/DeviceSettings.h"
#include "settings/MacroStore.h"

namespace app {

static_assert(sim::kFlashBlockCount == settings::FLASH_BLOCK_COUNT &&
              sim::kFlashBlockSize == settings::FLASH_BLOCK_SIZE);

sim::SimulatedMouse::PersistentState FactoryMouseState() {
  // The factory writes onto blank flash: the image as read from it is all 0xFF, and the bytes
  // that Apply does not write stay so. The factory defaults then mark the configuration block's
  // factory-reset byte.
  auto settings = std::make_unique<settings::DeviceSettings>();
  std::memset(&settings->image, 0xFF, sizeof settings->image);
  settings->ResetAllModesToDefaults();
  const auto noMacros = std::make_unique<settings::MacroStore>();
  settings::tagE2IMAGE& image = settings->image;
  settings::BuildDeviceImage(settings->EditingModes, *noMacros, image);

  sim::SimulatedMouse::PersistentState state;
  for (int k = 0; k < settings::MACRO_AREA_BLOCKS; ++k) {
    std::memcpy(state.flash[k].data(), image.macroArea.bytes + settings::FLASH_BLOCK_SIZE * k,
                settings::FLASH_BLOCK_SIZE);
  }
  std::memcpy(state.flash[settings::CONFIG_FLASH_BLOCK].data(), image.configBlock.bytes,
              settings::FLASH_BLOCK_SIZE);
  for (int m = 0; m < settings::MODE_COUNT; ++m) {
    state.dpiLevel[m] = settings->EditingModes[m].dpiLevel;
    state.rateIndex[m] = settings->EditingModes[m].reportRateIndex;
  }
  state.currentMode = settings->CurrentMode();
  return state;
}

}  // namespace app
