#pragma once

#include <cstdint>

#include "settings/DeviceInfo.h"
#include "settings/E2Image.h"
#include "settings/ProfileFileDialog.h"
#include "settings/Records.h"

namespace settings {

// The settings model the main window owns: the editing and applied mode records, the current
// mode, the mouse's memory image, what the mouse reported of its configuration and the product id
// the skin expects. The pages edit EditingModes; the PC-side button actions read AppliedModes.
// Used on the user-interface thread, and by the start-up device thread before the window
// touches it.
class DeviceSettings {
 public:
  // Everything zeroed; the current mode is 0.
  DeviceSettings();

  // The factory defaults of editing record `mode`, and byte 228 of the configuration block set to
  // 15. A mode outside 0 to 3 changes nothing.
  void ResetModeToDefaults(int mode);

  // The factory defaults of the four editing records, then current mode 0.
  void ResetAllModesToDefaults();

  // The first record of EditingModes (the macro manager looks through all four modes).
  tagMODEINFO* GetEditingModes() { return EditingModes; }

  // The mode the pages edit, 0 to 3. A value outside that range is ignored, so the current mode
  // always names a record of the areas.
  int CurrentMode() const { return currentMode_; }
  void SetCurrentMode(int mode);
  tagMODEINFO& CurrentEditingMode() { return EditingModes[currentMode_]; }

  // Runs the open dialog in the profile folder and reads the chosen file into the current
  // editing record. Only a file of exactly one record is read: any other size is Refused and
  // leaves the record as it was. Cancel, and a file that cannot be opened, change nothing.
  enum class ImportResult { Imported, NotImported, Refused };
  ImportResult ImportProfile(ProfileFileDialog& dialog);

  // Runs the save dialog in the profile folder and writes the current editing record into the
  // chosen file, whole or not at all. False when the file could not be written (an old file of
  // that name stays as it was); true when it was written or nothing was to be written (the
  // dialog cancelled, or no profile folder to open it in).
  bool ExportProfile(ProfileFileDialog& dialog);

  // Reads default0 to default3 into the four editing records; a missing file leaves its record
  // as it was.
  void LoadDefaultProfiles();

  // Writes the four editing records into default0 to default3, each whole or not at all. True
  // when all four were written; a file that could not be written keeps its old contents.
  bool SaveDefaultProfiles() const;

  tagMODEINFO EditingModes[MODE_AREA_COUNT];
  tagMODEINFO AppliedModes[MODE_AREA_COUNT];
  tagE2IMAGE image;
  tagDEVICEINFO deviceInfo;
  // The product id the skin names (key "ProductID" of section "ProductID").
  uint32_t ExpectedProductId = 0;

 private:
  int currentMode_ = 0;
};

}  // namespace settings
