#pragma once

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

#include "pages/HookDll.h"
#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/ProfileDlg.h"

// Captures the key combination of a shortcut button: four toggles choose the modifiers, a fifth
// (UnUse) switches them off, and the key comes from the keyboard hook, so that every key (Enter,
// Esc and Space included) can be captured; a read-only edit shows its name. The dialog works on
// a 16-bit value, the modifier bits in the low byte and the key in the high byte, made from the
// record's shortcutModifiers and shortcutKey; OK writes both bytes back, Cancel nothing. Only
// the skinned OK and Cancel end it: Enter, Esc, Space and Cancel are swallowed and the window
// manager's close is ignored.
//
// Skin section: the CProfileDlg keys and "KeyUnUseRect", "KeyCtrlRect", "KeyShiftRect",
// "KeyAltRect", "KeyWinRect" (the toggles) and "KeyEditRect" (the key display), in the dialog's
// own coordinates.
class CAssignAShortcutDialg : public CProfileDlg {
 public:
  // Modifier bits of the low byte.
  static constexpr uint8_t kCtrl = 0x01;
  static constexpr uint8_t kShift = 0x02;
  static constexpr uint8_t kAlt = 0x04;
  static constexpr uint8_t kWin = 0x08;
  static constexpr uint8_t kUnUse = 0x80;
  // Shown once as the dialog opens when keys cannot be captured.
  static constexpr std::u16string_view kNoHookText = u"键盘钩子库无法加载，无法捕获按键！";

  // `key` is the button record whose two shortcut bytes the dialog edits. The hook library is
  // loaded from `hookFolder`, the program folder when it is empty.
  CAssignAShortcutDialg(const CINIFile& skinFile, const QString& imageFolder,
                        const QString& section, settings::tagKEYDEFINEINFO* key, QWidget* parent,
                        const std::string& hookFolder = {});
  ~CAssignAShortcutDialg() override;

  bool LoadSkin() override;

  // The checked and enabled states of the toggles from the low byte.
  void ShowModifiers();
  // A key reported by the hook: the low byte of wParam becomes the key; lParam is not looked at.
  ui::LRESULT OnHookKey(ui::WPARAM wParam, ui::LPARAM lParam);

  uint16_t Shortcut() const { return shortcut_; }
  // Whether the hook was installed with all of its operations.
  bool HookReady() const { return hookReady_; }

  CBitmapBtn& UnUseToggle() { return unUse_; }
  CBitmapBtn& CtrlToggle() { return ctrl_; }
  CBitmapBtn& ShiftToggle() { return shift_; }
  CBitmapBtn& AltToggle() { return alt_; }
  CBitmapBtn& WinToggle() { return win_; }
  QLineEdit& KeyDisplay() { return keyDisplay_; }

 protected:
  bool OnInitDialog() override;
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  // A toggle flips its bit; OK and Cancel are CProfileDlg's.
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  // Writes both bytes into the record and ends the dialog with IDOK.
  void OnOK() override;
  void done(int result) override;

  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // True when `event` for `receiver` is a dialog key of this dialog, which is swallowed.
  bool PreTranslateMessage(QObject* receiver, QEvent* event);
  // The window is going away: reporting off, the hook removed.
  void OnDestroy();

  CBitmapBtn unUse_;
  CBitmapBtn ctrl_;
  CBitmapBtn shift_;
  CBitmapBtn alt_;
  CBitmapBtn win_;
  QLineEdit keyDisplay_;
  HookDll hook_;
  uint16_t shortcut_;
  settings::tagKEYDEFINEINFO* target_;
  bool hookReady_ = false;
  bool skinLoaded_ = false;
  bool filtering_ = false;
  bool destroyed_ = false;
};
