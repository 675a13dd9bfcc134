#pragma once

#include "skin/BitmapProgressBar.h"
#include "skin/PageDialog.h"

// The progress window of Apply: a borderless skinned window (section "ApplyProgressDialog")
// with a progress bar at "ProgressBarRect" whose background is cut from "NormalImage" and its
// fill from "DownImage", running from 0 to 100.
class CProgressDlg : public CPageDialog {
 public:
  CProgressDlg(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
               QWidget* parent);
  ~CProgressDlg() override;

  // The base skin, then the bar at position 0; the result is the base's.
  bool LoadSkin() override;

  CBitmapProgressBar& ProgressBar() { return bar_; }

 private:
  CBitmapProgressBar bar_;
};
