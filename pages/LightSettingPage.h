#pragma once

#include <cstdint>

#include "pages/LightMapping.h"
#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/DMarker.h"
#include "skin/PageDialog.h"

// The lighting of the mode shown: light on or off, steady or breathing, one of seven colours or
// colour cycling, the interrupt flag and four times on step sliders. The page keeps no copy of
// the record: every click and slider release writes the controls into the attached record and
// shows the record again. Section "LightSettingPage": the page's keys, the three sheets and one
// rectangle per control (see LoadSkin).
class CLightSettingPage : public CPageDialog {
 public:
  CLightSettingPage(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
                    QWidget* parent);
  ~CLightSettingPage() override;

  bool LoadSkin() override;

  // Attaches `light` (not owned; null detaches) and shows it.
  void SetLightData(settings::tagLIGHTINFO* light);
  // Writes the controls into the attached record; nothing without one.
  void SaveLightData();

  void SelectColor(uint32_t value);
  uint32_t GetSelectedColor() const;
  void UncheckColors();

  // The controls as they stand, and setting them all at once.
  pages::LightControls Controls() const;
  void SetControls(const pages::LightControls& controls);

  CBitmapBtn& Button(pages::LightButton button) { return buttons_[static_cast<int>(button)]; }
  enum class Time { Change, Off, Stay, Start };
  CDMarker& Slider(Time time) { return sliders_[static_cast<int>(time)]; }
  settings::tagLIGHTINFO* Attached() const { return light_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  // A slider's release: the controls are written and shown again. 0.
  ui::LRESULT OnMarkerPos(ui::WPARAM wParam, ui::LPARAM lParam);

 private:
  static constexpr int kButtonCount = 13;
  static constexpr int kSliderCount = 4;

  // Writes the controls into the attached record and shows it again; without a record the
  // controls keep what the click made of them and nothing is written.
  void StoreAndShow();

  // On, Off, Full, Breathing, the seven colours, Cycle, Interrupt (pages::LightButton order).
  CBitmapBtn buttons_[kButtonCount];
  // Change, off, stay and start time.
  CDMarker sliders_[kSliderCount];
  settings::tagLIGHTINFO* light_ = nullptr;
};
