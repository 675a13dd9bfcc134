#pragma once

#include <cstdint>
#include <functional>

#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/PageDialog.h"

// The page of the report rate and the fire speed of the mode being edited, and of the restore
// of all four modes to their factory settings. It edits the attached record directly: a click
// writes its own field and shows it; nothing reaches the mouse before Apply. Skin section
// "AdvanceSettingPage": rectangles in the main window's client coordinates, faces cut from the
// page's three sheets at those rectangles.
class CAdvanceSettingPage : public CPageDialog {
 public:
  static constexpr int kReportRateCount = 4;
  static constexpr int kFireSpeedCount = 5;
  // What the five fire-speed buttons write, slowest first.
  static constexpr uint8_t kFireSpeeds[kFireSpeedCount] = {2, 65, 125, 190, 255};

  CAdvanceSettingPage(const CINIFile& skinFile, const QString& imageFolder,
                      const QString& section, QWidget* parent);
  ~CAdvanceSettingPage() override;

  // The page's own skin, then the ten buttons; 125 Hz is checked until a record is attached.
  bool LoadSkin() override;

  // Keeps `record` (the current mode's editing record) and shows it. A fire speed below the
  // slowest step is raised to it in the record.
  void AttachModeInfo(settings::tagMODEINFO* record);
  // Checks the button of `value` and unchecks the others; a value no button writes checks none.
  void SelectFireSpeed(uint8_t value);
  // Checks the button of report-rate index `index`; an index above 3 checks none.
  void SelectReportRate(uint8_t index);

  // What the restore button runs once the warning ended with OK: the main window's return of
  // all four modes to their factory settings and the refresh of its pages.
  void SetRestoreHandler(std::function<void()> handler) { restoreHandler_ = std::move(handler); }

  // The button showing fire speed `value` or report-rate index `index`; -1 for none.
  static int FireSpeedButton(uint8_t value);
  static int ReportRateButton(uint8_t index);

  CBitmapBtn& ReportRateButtonAt(int index) { return rates_[index]; }
  CBitmapBtn& FireSpeedButtonAt(int index) { return fireSpeeds_[index]; }
  CBitmapBtn& RestoreButton() { return restore_; }
  settings::tagMODEINFO* AttachedRecord() const { return record_; }

 protected:
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;

 private:
  void Restore();

  CBitmapBtn rates_[kReportRateCount];
  CBitmapBtn fireSpeeds_[kFireSpeedCount];
  CBitmapBtn restore_;
  // The current mode's editing record, owned by the main window; null until the first attach.
  settings::tagMODEINFO* record_ = nullptr;
  std::function<void()> restoreHandler_;
};
