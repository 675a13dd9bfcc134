#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "resources/INIFile.h"
#include "settings/Apply.h"
#include "settings/ApplyProgressPacer.h"
#include "skin/ProgressDlg.h"

class CKavrinDireZerudDlg;

// The main window as Apply sees it. The progress display is a CProgressDlg of section
// "ApplyProgressDialog" with a skin reader of its own, shown over the main window and paced by
// an ApplyProgressPacer on the user-interface thread, which sleeps in its event loop between
// steps. Apply's device traffic runs on a worker thread meanwhile; the user-interface thread
// runs a local event loop that paints and keeps the timers going but takes no user input, as a
// busy window would, and the main window holds back the messages that arrive until Apply ends.
class ApplyProgressView : public settings::ApplyView {
 public:
  explicit ApplyProgressView(CKavrinDireZerudDlg& window);
  ~ApplyProgressView() override;

  void EnableButton(settings::ApplyButton button, bool enabled) override;
  settings::ScreenRect ProgressRect() override;
  bool StartProgress(const settings::ScreenRect& rect) override;
  void RunDeviceWork(const std::function<void()>& work) override;
  void ProgressDone() override;
  void WaitForProgress() override;
  void ShowMessage(std::u16string_view text) override;
  void BringToFront() override;

 private:
  // Shows the pacer's position now, closes the display when its time has come, and sleeps
  // until the next change.
  void Pace();

  CKavrinDireZerudDlg& window_;
  CINIFile skinFile_;
  std::unique_ptr<CProgressDlg> dialog_;
  std::optional<settings::ApplyProgressPacer> pacer_;
  QTimer timer_;
  QEventLoop* waiting_ = nullptr;
};
