#pragma once

#include <QWidget>

#include <string>

#include "settings/ProfileFileDialog.h"

// The open and save dialogs of the profile commands, through the desktop's file dialog
// (ui::GetFileName, which tests script). Paths go in and out as UTF-8.
class DesktopProfileFileDialog : public settings::ProfileFileDialog {
 public:
  explicit DesktopProfileFileDialog(QWidget* parent) : parent_(parent) {}

  bool Run(const Options& options, std::string& path) override;

 private:
  QWidget* parent_;
};
