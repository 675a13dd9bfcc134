#pragma once

#include "pages/SensitivityMapping.h"
#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/PageDialog.h"
#include "skin/PngHSlider.h"

// The DPI levels and the X/Y sensitivity of the mode shown: four levels, each set to one of
// seven DPI values, the current level, the X and Y sliders and the toggle that keeps Y equal to
// X. Like every page it keeps no copy of the record (only the value indexes and the current
// level as last shown): each click or slider release writes the controls into the attached
// record and shows the record again. Section "SensitivitySettingPage" (see LoadSkin); the X
// slider's thumb is "SliderDownBKImage" and the Y slider's "SliderUpBKImage".
class CSensitivityPage : public CPageDialog {
 public:
  CSensitivityPage(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
                   QWidget* parent);
  ~CSensitivityPage() override;

  bool LoadSkin() override;

  // Attaches `record` (not owned; null detaches) and shows it; showing never writes it.
  void AttachModeInfo(settings::tagMODEINFO* record);
  // Writes the controls into the attached record; nothing without one.
  void SaveSensitivity();
  // Checks the level button of the current level alone (none for a level above 3).
  void ShowCurrentLevel();
  // Sets `button`'s caption to the text of DPI value `index`; any other index leaves it.
  void SetDpiText(int index, CBitmapBtn& button);
  static int SensitivityToPosition(int high, int low) {
    return pages::SensitivityToPosition(high, low);
  }

  // The controls as they stand, and setting them all at once.
  pages::SensitivityControls Controls() const;
  void SetControls(const pages::SensitivityControls& controls);

  CPngHSliderBar& XSlider() { return xSlider_; }
  CPngHSliderBar& YSlider() { return ySlider_; }
  CBitmapBtn& SyncButton() { return sync_; }
  CBitmapBtn& LevelButton(int level) { return levels_[level]; }
  CBitmapBtn& LevelDisplay(int level) { return displays_[level]; }
  CBitmapBtn& ValueLabel(int level, int value) { return labels_[level * kValues + value]; }
  CBitmapBtn& ValueButton(int level, int value) { return values_[level * kValues + value]; }
  settings::tagMODEINFO* Attached() const { return record_; }

 protected:
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  // A slider's release; lParam is the slider's handle. 0.
  ui::LRESULT OnSliderPos(ui::WPARAM wParam, ui::LPARAM lParam);

 private:
  static constexpr int kLevels = pages::kDpiLevelCount;
  static constexpr int kValues = pages::kDpiValueCount;

  // Writes the controls into the attached record and shows it again; without a record the
  // controls keep what the click made of them and nothing is written.
  void StoreAndShow(const pages::SensitivityControls& controls);

  CPngHSliderBar xSlider_;
  CPngHSliderBar ySlider_;
  CBitmapBtn sync_;
  CBitmapBtn levels_[kLevels];
  CBitmapBtn displays_[kLevels];
  CBitmapBtn labels_[kLevels * kValues];
  CBitmapBtn values_[kLevels * kValues];
  settings::tagMODEINFO* record_ = nullptr;
  int valueIndex_[kLevels] = {};
  int currentLevel_ = 0;
};
