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

#include "pages/HoverPollSleep.h"
#include "platform/desktop/PointerMotionWatch.h"
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
    // Tells whether the pointer can have moved, so that the hover poll sleeps while it stays
    // still; null: the X server's raw motion when the cursor is QCursor::pos on X11, else none
    // (the poll then runs at every tick).
    desktop::PointerMotionWatch* motion = nullptr;
  };

  CKeyDefineSettingPage(const CINIFile& skinFile, const QString& imageFolder,
                        const QString& section, QWidget* parent);
  ~CKeyDefineSettingPage() override;

  void SetHost(Host host);

  bool LoadSkin() override;

  // The ten button records of the current mode's editing record; the rows show them.
  void SetKeyData(settings::tagKEYDEFINEINFO* keys);
  // A choice of the function menu as the main window relays WM_BMPMENU_SELECT: the major code
  // in the high word of lParam, the minor in the low word. wParam is not used.
  void OnFunctionSelected(ui::WPARAM wParam, ui::LPARAM lParam);
  void CloseFunctionMenu();
  void UncheckAllKeys();

  // Started, the hover timer runs while the page is shown: hidden, with the main window or
  // behind another tab, the page has no row to poll. While it runs, its wake-ups pause when a
  // poll can only find what the last one found (HoverPollSleep): until the pointer moves, the
  // timer starts again, the page shows, the main window moves, the pointer crosses a row's
  // edge, or the function menu closes.
  void StartHoverTimer();
  void StopHoverTimer();
  bool HoverTimerRunning() const { return hoverRunning_; }
  // TIMER_KEY_HOVER while the page is visible: the poll, after which the timer may sleep.
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
  // The main window's moves and the rows' enter and leave events wake the hover poll.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void KillHoverTimer();
  // Lets a sleeping hover poll run again at the next tick; the polls look afresh.
  void WakeHoverPoll();
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
  int hoverTimer_ = 0;          // the timer's wake-ups; 0 while stopped or asleep
  bool hoverRunning_ = false;   // started and shown, awake or asleep
  bool hoverStarted_ = false;   // started and not stopped since, running or not
  HoverPollSleep::Seen polled_;  // what the last poll found
  Host host_;
  std::unique_ptr<desktop::PointerMotionWatch> ownMotion_;
  std::unique_ptr<HoverPollSleep> hoverSleep_;
};
