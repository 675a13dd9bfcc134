#pragma once

#include <cstdint>

#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/DMarker.h"
#include "skin/PageDialog.h"

// The page of the desktop pointer settings that go with the mode being edited: pointer speed,
// double-click speed, wheel lines, the program's own horizontal scroll step, and the
// wheel-scrolls-one-page and pointer-precision flags. It only edits the attached record; the
// desktop changes at Apply. Every slider release or button click writes all six controls into
// the record and shows the record again. Skin section "SystemSettingPage": rectangles in the main
// window's client coordinates, faces cut from the page's sheets at those rectangles.
class CSystemSettingPage : public CPageDialog {
 public:
  // The sliders, in the order they are created.
  enum Slider { DoubleClickSpeed, PointerSpeed, HorizontalScroll, WheelLines, kSliderCount };
  static constexpr int kSliderMax = 7;

  CSystemSettingPage(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
                     QWidget* parent);
  ~CSystemSettingPage() override;

  // The page's own skin, then the four sliders (0 to 7) and the two check buttons.
  bool LoadSkin() override;

  // Keeps `record` (the current mode's editing record) and shows it.
  void AttachModeInfo(settings::tagMODEINFO* record);
  // Writes the six controls into the attached record; nothing without one.
  void SaveModeInfo();

  // Where a slider shows a stored value from which `offset` is taken first: values the slider
  // cannot show, INT32_MIN included, show as 0.
  static int SliderPosition(int32_t stored, int offset);

  CDMarker& SliderAt(Slider slider) { return sliders_[slider]; }
  CBitmapBtn& PrecisionButton() { return precision_; }
  CBitmapBtn& OnePageButton() { return onePage_; }
  settings::tagMODEINFO* AttachedRecord() const { return record_; }

 protected:
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;

 private:
  CDMarker sliders_[kSliderCount];
  CBitmapBtn precision_;
  CBitmapBtn onePage_;
  // The current mode's editing record, owned by the main window; null until the first attach.
  settings::tagMODEINFO* record_ = nullptr;
};
