#include "pages/AssignAShortcutDialg.h"

#include <QApplication>
#include <QCloseEvent>

#include "hook/Zimhook.h"
#include "pages/DialogKeys.h"
#include "pages/KeyName.h"
#include "pages/SkinnedEdit.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Text.h"

CAssignAShortcutDialg::CAssignAShortcutDialg(const CINIFile& skinFile, const QString& imageFolder,
                                             const QString& section,
                                             settings::tagKEYDEFINEINFO* key, QWidget* parent,
                                             const std::string& hookFolder)
    : CProfileDlg(skinFile, imageFolder, section, parent),
      hook_(hookFolder.empty() ? sys::ProgramFolder() : hookFolder),
      // The record's two bytes, read one by one: modifiers low, key high.
      shortcut_(key ? static_cast<uint16_t>(key->shortcutModifiers | (key->shortcutKey << 8))
                    : static_cast<uint16_t>(settings::NO_SHORTCUT_KEY << 8)),
      target_(key) {
  setWindowModality(Qt::ApplicationModal);
}

CAssignAShortcutDialg::~CAssignAShortcutDialg() {
  if (!destroyed_) OnDestroy();
  hook_.Free();
}

bool CAssignAShortcutDialg::LoadSkin() {
  skinLoaded_ = CProfileDlg::LoadSkin();
  return skinLoaded_;
}

bool CAssignAShortcutDialg::OnInitDialog() {
  CProfileDlg::OnInitDialog();

  // A hook that lacks an operation is not installed: it could not be switched off or removed.
  hookReady_ = hook_.HasEveryExport() && hook_.installhook(this) == 1;
  if (hookReady_) {
    hook_.SetHookStatus(1);
  } else {
    ui::MessageBox(this, ui::ToQString(kNoHookText));
  }

  CreateSheetButtons({{u"KeyUnUseRect", &unUse_},
                      {u"KeyCtrlRect", &ctrl_},
                      {u"KeyShiftRect", &shift_},
                      {u"KeyAltRect", &alt_},
                      {u"KeyWinRect", &win_}});

  pages::PlaceSkinnedEdit(keyDisplay_, *this, ReadSkinRect(u"KeyEditRect"));
  keyDisplay_.setReadOnly(true);
  keyDisplay_.show();

  ShowModifiers();
  keyDisplay_.setText(QString::fromStdU16String(KeyName(shortcut_ >> 8)));

  qApp->installEventFilter(this);
  filtering_ = true;
  return true;
}

void CAssignAShortcutDialg::ShowModifiers() {
  const auto bit = [this](uint8_t mask) { return (shortcut_ & mask) != 0 ? 1 : 0; };
  // A disabled toggle keeps its look; its bit cannot change meanwhile, so the look matches.
  unUse_.SetCheckState(bit(kUnUse));
  ctrl_.SetCheckState(bit(kCtrl));
  shift_.SetCheckState(bit(kShift));
  alt_.SetCheckState(bit(kAlt));
  win_.SetCheckState(bit(kWin));
  const bool modifiers = bit(kUnUse) == 0;
  for (CBitmapBtn* button : {&ctrl_, &shift_, &alt_, &win_}) button->setEnabled(modifiers);
}

bool CAssignAShortcutDialg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  struct Toggle {
    CBitmapBtn* button;
    uint8_t bit;
  };
  for (const Toggle& t : {Toggle{&unUse_, kUnUse}, Toggle{&ctrl_, kCtrl}, Toggle{&shift_, kShift},
                          Toggle{&alt_, kAlt}, Toggle{&win_, kWin}}) {
    if (lParam != ui::HandleOf(t.button)) continue;
    if (t.button->GetCheckState() != 0) {
      shortcut_ = static_cast<uint16_t>(shortcut_ & ~t.bit);
    } else {
      shortcut_ = static_cast<uint16_t>(shortcut_ | t.bit);
    }
    ShowModifiers();
    return true;
  }
  return CProfileDlg::OnCommand(wParam, lParam);
}

ui::LRESULT CAssignAShortcutDialg::OnHookKey(ui::WPARAM wParam, ui::LPARAM) {
  const unsigned key = static_cast<unsigned>(wParam & 0xFF);
  shortcut_ = static_cast<uint16_t>((shortcut_ & 0x00FF) | (key << 8));
  keyDisplay_.setText(QString::fromStdU16String(KeyName(key)));
  return 1;
}

ui::LRESULT CAssignAShortcutDialg::WindowProc(uint32_t msg, ui::WPARAM wParam,
                                              ui::LPARAM lParam) {
  if (msg == WM_HOOK_KEY) return destroyed_ ? 0 : OnHookKey(wParam, lParam);
  return CProfileDlg::WindowProc(msg, wParam, lParam);
}

void CAssignAShortcutDialg::OnOK() {
  if (target_ != nullptr) {
    // Written byte by byte: the record is packed, and the bytes are its own fields.
    target_->shortcutModifiers = static_cast<uint8_t>(shortcut_ & 0xFF);
    target_->shortcutKey = static_cast<uint8_t>(shortcut_ >> 8);
  }
  CProfileDlg::OnOK();
}

void CAssignAShortcutDialg::closeEvent(QCloseEvent* event) {
  // The window manager's close never ends the dialog; only without its skin, when the OK and
  // Cancel buttons have no faces, does it count as Cancel.
  event->ignore();
  if (!skinLoaded_) OnCancel();
}

void CAssignAShortcutDialg::done(int result) {
  CProfileDlg::done(result);
  if (!destroyed_) OnDestroy();
}

void CAssignAShortcutDialg::OnDestroy() {
  destroyed_ = true;
  if (filtering_) {
    qApp->removeEventFilter(this);
    filtering_ = false;
  }
  if (hookReady_) {
    hook_.SetHookStatus(0);
    hook_.removehook();
    hookReady_ = false;
  }
}

bool CAssignAShortcutDialg::eventFilter(QObject* watched, QEvent* event) {
  if (PreTranslateMessage(watched, event)) return true;
  return CProfileDlg::eventFilter(watched, event);
}

bool CAssignAShortcutDialg::PreTranslateMessage(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  if (!receiver->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(receiver);
  if (widget != this && !isAncestorOf(widget)) return false;
  // The hook still reports these keys, so that they can be captured.
  return pages::IsDialogKey(*static_cast<const QKeyEvent*>(event));
}
