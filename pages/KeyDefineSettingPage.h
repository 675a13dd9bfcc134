#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "settings/HoverTimer.h"
#include "settings/MacroStore.h"
#include "settings/Records.h"
#include "skin/BitmapBtn.h"
#include "skin/PageDialog.h"

class CBmpMenu;
class CMousePicturePage;

// The page on which the user gives each of the mouse's ten buttons its function: one row per
// button shows the function of the current mode's button; in the fourth mode a click on a row
// opens the skinned function menu under it, and a choice assigns the function, opens the macro
// manager, or first opens the shortcut or program dialog. While the cursor rests on a row the
// mouse picture highlights that button. The page holds the macro store: it loads sequence.dat
// when it initialises, hands the store to the macro manager, saves it after the manager's OK,
// and Apply reads it (and stops the page's hover timer) through it.
//
// Skin section: the keys of every page, "NormalImage", "OverImage", "DownImage" (the rows'
// faces) and "KeyWindowRect_0" to "KeyWindowRect_9" (the rows, in the main window's client
// coordinates).
class CKeyDefineSettingPage : public CPageDialog, private settings::HoverTimer {
 public:
  static constexpr int kKeyCount = settings::KEY_COUNT;
  // The room the function menu needs beside its anchor.
  static constexpr int kMenuWidth = 128;
  static constexpr int kMenuHeight = 375;
  // The mode in which buttons can be assigned.
  static constexpr int kAssignableMode = 3;
  // Shown when sequence.dat, or a default file renumbered with it, could not be written after
  // the macro manager's OK.
  static constexpr std::u16string_view kSaveFailedText = u"保存宏文件失败！";

  // What the page learns of the main window, which it does not include.
  struct Host {
    // The main window's current mode index.
    std::function<int()> currentMode;
    // The picture whose markers follow the hovered row; null for none.
    CMousePicturePage* mousePicture = nullptr;
    // The four editing records, which the macro manager renumbers after deletions.
    settings::tagMODEINFO* editingModes = nullptr;
    // The four applied records, whose macro buttons follow the store's deletions as well; null
    // for none.
    settings::tagMODEINFO* appliedModes = nullptr;
    // The folder of the keyboard-hook library; the program folder when empty.
    std::string hookFolder;
    // The cursor in screen coordinates; QCursor::pos when empty.
    std::function<QPoint()> cursor;
  };

  CKeyDefineSettingPage(const CINIFile& skinFile, const QString& imageFolder,
                        const QString& section, QWidget* parent);
  ~CKeyDefineSettingPage() override;

  void SetHost(Host host) { host_ = std::move(host); }

  bool LoadSkin() override;

  // The ten button records of the current mode's editing record; the rows show them.
  void SetKeyData(settings::tagKEYDEFINEINFO* keys);
  // A choice of the function menu as the main window relays WM_BMPMENU_SELECT: the major code
  // in the high word of lParam, the minor in the low word. wParam is not used.
  void OnFunctionSelected(ui::WPARAM wParam, ui::LPARAM lParam);
  void CloseFunctionMenu();
  void UncheckAllKeys();

  // Started, the hover timer runs while the page is shown: hidden, with the main window or
  // behind another tab, the page has no row to poll.
  void StartHoverTimer();
  void StopHoverTimer();
  bool HoverTimerRunning() const { return hoverTimer_ != 0; }
  void OnTimer(int id);
  // Highlights on the mouse picture the row under the cursor, unless the menu is open.
  void PollHoveredKey();

  // Rebuilds the macro submenu of an open menu: the manager, then the store's macros.
  void RefreshMacroMenuItems();
  void RefreshKeyTexts();
  // "Shift+", "Ctrl+", "Alt+", "Win+" for the modifier bits (none with bit 7), then the key's
  // name unless the key is 255.
  static std::u16string GetShortcutText(uint8_t modifiers, uint8_t key);
  // The text a row shows for `key`.
  std::u16string KeyText(const settings::tagKEYDEFINEINFO& key) const;

  // The macro store.
  settings::MacroStore& Macros() { return macroStore_; }
  bool GetMacro(settings::tagMACROINFO& dest, unsigned index) const {
    return macroStore_.GetMacro(dest, index);
  }
  void CommitMacros() { macroStore_.CommitMacros(); }
  void LoadSequenceFile() { macroStore_.LoadSequenceFile(); }
  // True when sequence.dat was written.
  bool SaveSequenceFile() { return macroStore_.SaveSequenceFile(); }

  const settings::tagKEYDEFINEINFO* KeyData() const { return keyData_; }
  CBitmapBtn& KeyButton(int index) { return keyButtons_[static_cast<size_t>(index)]; }
  CBmpMenu* FunctionMenu() const { return functionMenu_.get(); }
  int CurrentKey() const { return currentKey_; }

 protected:
  bool OnInitDialog() override;
  // A row click in the fourth mode opens the function menu under the row; always handled.
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  void timerEvent(QTimerEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void KillHoverTimer();
  void ShowFunctionMenu(CBitmapBtn& row);
  // Carries out a choice for row currentKey_ of `keys`, the ten records of the mode whose row
  // was clicked: the left-button rule, the manager, the two dialogs, or the choice itself.
  void Assign(settings::tagKEYDEFINEINFO* keys, uint8_t major, uint8_t minor);
  // Whether `keys` keep a left button once row currentKey_ has function `major`.
  bool LeavesALeftButton(const settings::tagKEYDEFINEINFO* keys, uint8_t major) const;
  QWidget* DialogParent();

  // settings::HoverTimer, for Apply.
  void Start() override { StartHoverTimer(); }
  void Stop() override { StopHoverTimer(); }

  std::array<CBitmapBtn, kKeyCount> keyButtons_;
  std::unique_ptr<CBmpMenu> functionMenu_;
  settings::tagKEYDEFINEINFO* keyData_ = nullptr;
  // The ten records of the mode whose row was clicked, taken at the click: the choice and the
  // dialogs' results go there even when the shown mode changes meanwhile.
  settings::tagKEYDEFINEINFO* targetKeys_ = nullptr;
  settings::MacroStore macroStore_;
  int currentKey_ = 0;
  int hoverTimer_ = 0;
  bool hoverStarted_ = false;  // started and not stopped since, running or not
  Host host_;
};
