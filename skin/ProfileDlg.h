#pragma once

#include <initializer_list>
#include <string_view>

#include "skin/BitmapBtn.h"
#include "skin/PageDialog.h"

// The base of the small skinned editing dialogs: a borderless dialog whose whole "NormalImage"
// is its background, shaped by "BackGroundMaskImage", sized by "WindowsRect", with an OK and a
// Cancel image button at "KeyOKRect" and "KeyCancleRect" (rectangles and sheets in the dialog's
// own coordinates), centred over its parent. A press on its background drags it.
class CProfileDlg : public CPageDialog {
 public:
  CProfileDlg(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
              QWidget* parent);
  ~CProfileDlg() override;

  // The background, shape, size and visibility; the window is not shown (the modal run does).
  // False when "NormalImage" does not load; then none of them is applied.
  bool LoadSkin() override;

  CBitmapBtn& OkButton() { return ok_; }
  CBitmapBtn& CancelButton() { return cancel_; }

 protected:
  bool OnInitDialog() override;
  // OK and Cancel end the dialog through OnOK and OnCancel; other commands are not handled.
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  void OnLButtonDown(ui::WPARAM flags, const QPoint& point) override;

  // Creates each button at the skin's rectangle of its key, its faces cut from the dialog's
  // "NormalImage", "OverImage" and "DownImage" sheets (the normal face also when disabled).
  struct SheetButton {
    std::u16string_view key;
    CBitmapBtn* button;
  };
  void CreateSheetButtons(std::initializer_list<SheetButton> buttons);

 private:
  CBitmapBtn ok_;
  CBitmapBtn cancel_;
};
