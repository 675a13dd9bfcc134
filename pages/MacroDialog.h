#pragma once

#include <QLineEdit>
#include <QString>

#include <array>
#include <memory>
#include <string>

#include "pages/HookDll.h"
#include "pages/MacroListBoxView.h"
#include "pages/MacroManager.h"
#include "pages/MacroManagerHost.h"
#include "settings/MacroStore.h"
#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/ListBoxEx.h"
#include "skin/MacroMenu.h"
#include "skin/PageDialog.h"

// The macro manager: a modal skinned dialog that lists the macros of the store and the events
// of the selected one, creates, renames and deletes macros, sets their loop count, repeat mode
// and delay recording, edits the events through a popup menu, and records keys from the keyboard
// hook. It edits a copy: OK writes the copy into the store and renumbers the macro buttons of the
// editing records after deletions (the caller then saves sequence.dat and renumbers the buttons
// it keeps elsewhere by Manager().StoreDeletions()); Cancel leaves both as they were.
//
// Skin section (rectangles in the dialog's own coordinates; sheets of the dialog's size):
// "NormalImage", "OverImage", "DownImage", "BackGroundMaskImage", "WindowsRect" (size only),
// "Visable", "KeyOKRect", "KeyCancleRect", "KeyNewRect", "KeyDeleteRect",
// "KeyStartRecord{Normal,Over,Down}Image", "KeyStartRecordRect",
// "KeyStopRecord{Normal,Over,Down}Image", "KeyStopRecordRect", "KeyDelayOnOffRect",
// "KeyLoopTimesOnOffRect", "KeyRepeateUntildTimeOverOrAnykeyDownRect",
// "KeyRepeatUntilAnykeyDownRect", "KeyRepeatUntilKeyUpRect", "MacroNameListRect",
// "KeySequenceListRect", "Macro{KeyUp,KeyDown,KeyDelay,MouseUp,MouseDown}Image",
// "EditMacroLoopRect".
class CMacroDialog : public CPageDialog, private pages::MacroManagerHost {
 public:
  // `editingModes` points to the first of the four editing mode records (read by Delete's in-use
  // test, renumbered on OK); `firstMacro` is the macro shown first (-1 for none). The hook
  // library is loaded from `hookFolder`, the program folder when it is empty.
  CMacroDialog(const CINIFile& skinFile, const QString& imageFolder, const QString& section,
               settings::MacroStore& store, int firstMacro, QWidget* parent,
               settings::tagMODEINFO* editingModes, const std::string& hookFolder = {});
  ~CMacroDialog() override;

  bool LoadSkin() override;
  // Ends the modal run; the window is then gone for good: the menu is closed, the hook removed.
  void done(int result) override;

  // The operations of the dialog, by their names.
  void FillEventList(int index) { manager_.FillEventList(index); }
  void ShowMacroSettings(int index) { manager_.ShowMacroSettings(index); }
  void SetRepeatMode(int mode) { manager_.SetRepeatMode(mode); }
  void ShowMacro(int index) { manager_.ShowMacro(index); }
  void SaveCurrentMacro() { manager_.SaveCurrentMacro(); }
  void WriteBackStore() { manager_.WriteBackStore(); }
  bool IsDuplicateName(std::u16string_view name, int except) const {
    return manager_.IsDuplicateName(name, except);
  }
  bool CommitMacroName() { return manager_.CommitMacroName(); }
  void NewMacro() { manager_.NewMacro(); }
  void DeleteMacro() { manager_.DeleteMacro(); }
  bool IsMacroUsed(int index) const { return manager_.IsMacroUsed(index); }
  void InsertDelay() { manager_.InsertDelay(); }
  void EditDelay() { manager_.EditDelay(); }
  void DeleteEvent() { manager_.DeleteEvent(); }
  void InsertMouseEvent(uint32_t itemData) { manager_.InsertMouseEvent(itemData); }
  void SetRecording(bool on) { manager_.SetRecording(on); }
  ui::LRESULT OnHookKey(ui::WPARAM wParam, ui::LPARAM lParam) {
    return manager_.OnHookKey(wParam, lParam);
  }
  // Opens the event list's popup menu with its top-left corner at the screen point (x, y), kept
  // on the screen; an open menu is closed first.
  void OpenMacroMenu(int x, int y);
  void CloseMacroMenu();

  // The controls, for the owner's tests and captures.
  CBitmapBtn& OkButton() { return ok_; }
  CBitmapBtn& CancelButton() { return cancel_; }
  CBitmapBtn& NewButton() { return new_; }
  CBitmapBtn& DeleteButton() { return delete_; }
  CBitmapBtn& StartRecordButton() { return startRecord_; }
  CBitmapBtn& StopRecordButton() { return stopRecord_; }
  CBitmapBtn& DelayToggle() { return delayToggle_; }
  CBitmapBtn& LoopToggle() { return loopToggle_; }
  CBitmapBtn& RepeatRadio(int mode) { return radios_.at(static_cast<size_t>(mode)); }
  CListBoxEx& NameList() { return nameList_; }
  CListBoxEx& EventList() { return eventList_; }
  QLineEdit& LoopCountEdit() { return loopEdit_; }
  CMacroMenu* MacroMenu() const { return macroMenu_.get(); }
  const pages::MacroManager& Manager() const { return manager_; }
  // Whether the hook can report keys: its library and exports are there and it was installed.
  bool HookReady() const override;

 protected:
  bool OnInitDialog() override;
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  void OnLButtonDown(ui::WPARAM flags, const QPoint& point) override;

  // Sees the key messages of the dialog and its children before they are delivered (see
  // PreTranslateMessage).
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // True when the dialog swallows `event` addressed to `receiver`: Enter, Esc, Space and Cancel
  // never press a button or reach a control; the event list's open editor gets them instead.
  bool PreTranslateMessage(QObject* receiver, QEvent* event);
  // The window is going away: the menu is closed and the hook removed.
  void OnDestroy();

  // MacroManagerHost
  void ShowRenameWarning() override;
  void ShowDeleteWarning() override;
  void ShowMessage(std::u16string_view text) override;
  void SettingsChanged() override;
  void RecordingChanged() override;
  void SetHookStatus(int status) override;

  void ShowWarning(const QString& section);

  CBitmapBtn ok_;
  CBitmapBtn cancel_;
  CBitmapBtn new_;
  CBitmapBtn delete_;
  CBitmapBtn startRecord_;
  CBitmapBtn stopRecord_;
  CBitmapBtn delayToggle_;
  CBitmapBtn loopToggle_;
  std::array<CBitmapBtn, 3> radios_;
  CListBoxEx nameList_;
  CListBoxEx eventList_;
  HookDll hook_;
  QLineEdit loopEdit_;
  std::unique_ptr<CMacroMenu> macroMenu_;

  pages::MacroListBoxView names_{nameList_};
  pages::MacroListBoxView events_{eventList_};
  pages::MacroManager manager_;
  bool hookInstalled_ = false;
  bool skinLoaded_ = false;
  bool filtering_ = false;   // the key filter is installed
  bool forwarding_ = false;  // a key is being handed to the event list's editor
  bool destroyed_ = false;
};
