#include "pages/KeyDefineSettingPage.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimerEvent>

#include <utility>

#include "pages/AssignAProgramToExecutonDialg.h"
#include "pages/AssignAShortcutDialg.h"
#include "pages/KeyName.h"
#include "pages/KeyRowCaption.h"
#include "pages/MacroDialog.h"
#include "pages/MousePicturePage.h"
#include "pages/PageSkin.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Text.h"
#include "resources/MenuTextTable.h"
#include "resources/SkinPath.h"
#include "settings/FunctionCodes.h"
#include "settings/MacroRenumbering.h"
#include "skin/BmpMenu.h"
#include "skin/WarningDlg.h"

namespace {

using settings::tagKEYDEFINEINFO;

QString Text(MenuTextId id) { return QString::fromStdU16String(MenuText(id)); }

MenuTextId MajorTextId(unsigned major) {
  return static_cast<MenuTextId>(static_cast<int>(MenuTextId::MAJOR_FUN_MACRO) +
                                 static_cast<int>(major) - settings::MAJOR_FUN_MACRO);
}

// The minors 2 to 25 have their texts in one run, in code order.
MenuTextId MinorTextId(unsigned minor) {
  return static_cast<MenuTextId>(static_cast<int>(MenuTextId::MINOR_FUN_MEDIA_OPEN_PLAYER) +
                                 static_cast<int>(minor) - settings::MINOR_FUN_MEDIA_OPEN_PLAYER);
}

// The sub-items of the menu's items 1 to 4: media, mode, DPI and desktop keys.
struct MinorRange {
  uint8_t major;
  uint8_t first;
  uint8_t last;
};
constexpr MinorRange kMinorRanges[] = {
    {settings::MAJOR_FUN_MEDIA, settings::MINOR_FUN_MEDIA_OPEN_PLAYER,
     settings::MINOR_FUN_MEDIA_OPEN_PLAYER + 7},
    {settings::MAJOR_FUN_CONFIGFILE, settings::MINOR_FUN_CONFIGFILE_CIRCLE,
     settings::MINOR_FUN_CONFIGFILE_MINUS},
    {settings::MAJOR_FUN_DPI, settings::MINOR_FUN_DPI_CIRCLE, settings::MINOR_FUN_DPI_MINUS},
    {settings::MAJOR_FUN_WINDOWS, settings::MINOR_FUN_WINDOWS_CALC,
     settings::MINOR_FUN_WINDOWS_BROWSER_FIND},
};

// The file name of a program path: the part after its last '/' or '\'.
std::u16string_view FileNameOf(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"/\\");
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

CKeyDefineSettingPage::CKeyDefineSettingPage(const CINIFile& skinFile, const QString& imageFolder,
                                             const QString& section, QWidget* parent)
    : CPageDialog(Kind::Page, skinFile, imageFolder, section, parent),
      hoverSleep_(std::make_unique<HoverPollSleep>(nullptr, [] {})) {
  macroStore_.SetHoverTimer(this);
  // The rows move on the screen with the main window.
  if (QWidget* top = window(); top != this) top->installEventFilter(this);
}

CKeyDefineSettingPage::~CKeyDefineSettingPage() {
  StopHoverTimer();
  CloseFunctionMenu();
  macroStore_.SetHoverTimer(nullptr);
}

void CKeyDefineSettingPage::SetHost(Host host) {
  host_ = std::move(host);
  std::unique_ptr<desktop::PointerMotionWatch> own;
  desktop::PointerMotionWatch* motion = host_.motion;
  // QCursor::pos asks Qt's X server; the watch must see that server's pointer.
  if (motion == nullptr && !host_.cursor &&
      QGuiApplication::platformName() == QLatin1String("xcb")) {
    own = desktop::CreatePointerMotionWatch();
    motion = own.get();
  }
  KillHoverTimer();
  hoverSleep_ = std::make_unique<HoverPollSleep>(motion, [this] { WakeHoverPoll(); });
  ownMotion_ = std::move(own);
  if (hoverStarted_) StartHoverTimer();
}

bool CKeyDefineSettingPage::OnInitDialog() {
  CPageDialog::OnInitDialog();
  LoadSequenceFile();
  return true;
}

bool CKeyDefineSettingPage::LoadSkin() {
  const bool loaded = CPageDialog::LoadSkin();
  const pages::PageSheets sheets = pages::PageSheets::Load(*this);
  for (int i = 0; i < kKeyCount; ++i) {
    const std::u16string key = u"KeyWindowRect_" + std::u16string(1, char16_t(u'0' + i));
    pages::CreatePageButton(KeyButton(i), *this, key, sheets);
    KeyButton(i).installEventFilter(this);
  }
  StartHoverTimer();
  return loaded;
}

void CKeyDefineSettingPage::SetKeyData(tagKEYDEFINEINFO* keys) {
  keyData_ = keys;
  RefreshKeyTexts();
}

bool CKeyDefineSettingPage::OnCommand(ui::WPARAM, ui::LPARAM lParam) {
  if (!host_.currentMode || host_.currentMode() != kAssignableMode) return true;
  UncheckAllKeys();
  for (int i = 0; i < kKeyCount; ++i) {
    if (lParam != ui::HandleOf(&KeyButton(i))) continue;
    // Nothing can be assigned before the main window has attached a record.
    if (keyData_ == nullptr) return true;
    currentKey_ = i;
    targetKeys_ = keyData_;
    ShowFunctionMenu(KeyButton(i));
    return true;
  }
  return true;
}

void CKeyDefineSettingPage::ShowFunctionMenu(CBitmapBtn& row) {
  CloseFunctionMenu();
  QPoint anchor = row.mapToGlobal(QPoint(0, row.height()));

  functionMenu_ = std::make_unique<CBmpMenu>();
  const std::string folder = ImageFolder().toStdString();
  const auto path = [&folder](std::u16string_view name) {
    return QString::fromStdString(resources::SkinPath(folder, name));
  };
  functionMenu_->LoadImages(path(u"Defualt\\button_menu_n.png"), path(u"Defualt\\button_menu_o.png"),
                            path(u"Defualt\\button_menu_d.png"),
                            path(u"Defualt\\button_menu_n.png"));
  functionMenu_->LoadSubMenuImages(path(u"Defualt\\sub_menu_n.png"),
                                   path(u"Defualt\\sub_menu_o.png"),
                                   path(u"Defualt\\sub_menu_d.png"),
                                   path(u"Defualt\\sub_menu_n.png"));
  CBmpMenu::KeepOnScreen(anchor, kMenuWidth, kMenuHeight);
  functionMenu_->SetPosition(anchor.x(), anchor.y());

  for (unsigned major = settings::MAJOR_FUN_MACRO; major <= settings::MAJOR_FUN_LAST; ++major) {
    functionMenu_->AddItem(Text(MajorTextId(major)), static_cast<int>(major));
  }
  for (const MinorRange& range : kMinorRanges) {
    const int item = range.major - settings::MAJOR_FUN_MACRO;
    for (unsigned minor = range.first; minor <= range.last; ++minor) {
      functionMenu_->AddSubItem(item, Text(MinorTextId(minor)), static_cast<int>(minor));
    }
  }
  RefreshMacroMenuItems();
  functionMenu_->Create(this);
}

void CKeyDefineSettingPage::RefreshMacroMenuItems() {
  if (!functionMenu_) return;
  const int item = settings::MAJOR_FUN_MACRO - settings::MAJOR_FUN_MACRO;
  functionMenu_->ClearSubItems(item);
  functionMenu_->AddSubItem(item, Text(MenuTextId::MINOR_FUN_MACRO_MANAGER),
                            settings::MINOR_FUN_MACRO_MANAGER);
  const uint32_t count = settings::UsableMacroCount(macroStore_.macroStore);
  for (uint32_t k = 0; k < count; ++k) {
    functionMenu_->AddSubItem(item, ui::ToQString(settings::FieldText(macroStore_.macroStore.macros[k].name)),
                              static_cast<int>(k + settings::MINOR_FUN_FIRST_MACRO));
  }
}

void CKeyDefineSettingPage::CloseFunctionMenu() {
  if (!functionMenu_) return;
  if (functionMenu_->Window()) functionMenu_->DestroyWindow();
  functionMenu_.reset();
  // The highlight follows the cursor again, also when it has not moved.
  WakeHoverPoll();
}

void CKeyDefineSettingPage::UncheckAllKeys() {
  for (CBitmapBtn& row : keyButtons_) row.SetCheckState(0);
}

void CKeyDefineSettingPage::OnFunctionSelected(ui::WPARAM, ui::LPARAM lParam) {
  const auto major = static_cast<uint8_t>(ui::HiWord(static_cast<uintptr_t>(lParam)));
  const auto minor = static_cast<uint8_t>(ui::LoWord(static_cast<uintptr_t>(lParam)));
  CloseFunctionMenu();
  UncheckAllKeys();
  StopHoverTimer();
  // A choice is for the row clicked last, once: without a click on an attached record, or a
  // second time, it writes nothing.
  if (tagKEYDEFINEINFO* keys = std::exchange(targetKeys_, nullptr)) Assign(keys, major, minor);
  RefreshKeyTexts();
  StartHoverTimer();
}

bool CKeyDefineSettingPage::LeavesALeftButton(const tagKEYDEFINEINFO* keys,
                                              uint8_t major) const {
  for (int i = 0; i < kKeyCount; ++i) {
    const uint8_t m = i == currentKey_ ? major : keys[i].major;
    if (m == settings::MAJOR_FUN_LEFT_MOUSE_KEY) return true;
  }
  return false;
}

// The main window, which outlives the pages: the program's Exit deletes the pages while a
// dialog opened here may still run its modal loop, and a dialog on the stack must not go with
// its parent.
QWidget* CKeyDefineSettingPage::DialogParent() {
  return parentWidget() != nullptr ? parentWidget() : this;
}

void CKeyDefineSettingPage::Assign(tagKEYDEFINEINFO* keys, uint8_t major, uint8_t minor) {
  tagKEYDEFINEINFO& row = keys[currentKey_];
  if (!LeavesALeftButton(keys, major)) {
    CWarningDlg warning(SkinFile(), ImageFolder(), QStringLiteral("SingleKeyWarningDialog"),
                        DialogParent());
    warning.DoModal();
    return;
  }
  if (minor == settings::MINOR_FUN_MACRO_MANAGER) {
    const int first = row.major == settings::MAJOR_FUN_MACRO ? row.macroIndex : -1;
    CMacroDialog manager(SkinFile(), ImageFolder(), QStringLiteral("MacroManagerDialog"),
                         macroStore_, first, DialogParent(), host_.editingModes,
                         host_.hookFolder);
    if (manager.DoModal() == ui::IDOK &&
        !settings::SaveSequenceFileAfterDeletions(macroStore_, manager.Manager().StoreDeletions(),
                                                  host_.appliedModes)) {
      // The macros stay in the store (Apply still sends them); the old files are whole.
      ui::MessageBox(DialogParent(), ui::ToQString(kSaveFailedText));
    }
    return;
  }
  if (major == settings::MAJOR_FUN_ASSIGN_SHORTCUT) {
    CAssignAShortcutDialg dialog(SkinFile(), ImageFolder(), QStringLiteral("AssignAShortcutDialg"),
                                 &row, DialogParent(), host_.hookFolder);
    if (dialog.DoModal() != ui::IDOK) return;
    row.major = major;
    row.minor = minor;
    return;
  }
  if (major == settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION) {
    CAssignAProgramToExecutonDialg dialog(SkinFile(), ImageFolder(),
                                          QStringLiteral("AssignAProgramToExecutonDialg"),
                                          ui::ToQString(settings::FieldText(row.programPath)),
                                          DialogParent());
    if (dialog.DoModal() != ui::IDOK) return;
    row.major = major;
    row.minor = minor;
    settings::SetFieldText(row.programPath, dialog.GetPath().toStdU16String());
    return;
  }
  if (major == settings::MAJOR_FUN_MACRO) {
    // The menu names a macro with minor 2 or above; anything else names none.
    if (minor < settings::MINOR_FUN_FIRST_MACRO) return;
    row.macroIndex = static_cast<uint8_t>(minor - settings::MINOR_FUN_FIRST_MACRO);
  }
  row.major = major;
  row.minor = minor;
}

std::u16string CKeyDefineSettingPage::GetShortcutText(uint8_t modifiers, uint8_t key) {
  std::u16string text;
  if ((modifiers & 0x80) == 0) {
    if (modifiers & 0x02) text += u"Shift+";
    if (modifiers & 0x01) text += u"Ctrl+";
    if (modifiers & 0x04) text += u"Alt+";
    if (modifiers & 0x08) text += u"Win+";
  }
  if (key != settings::NO_SHORTCUT_KEY) text += KeyName(key);
  return text;
}

std::u16string CKeyDefineSettingPage::KeyText(const tagKEYDEFINEINFO& key) const {
  const unsigned major = key.major;
  if (major == settings::MAJOR_FUN_MACRO) {
    // An index from a file that names no macro of the store shows what the row is.
    if (key.macroIndex < settings::UsableMacroCount(macroStore_.macroStore))
      return std::u16string(settings::FieldText(macroStore_.macroStore.macros[key.macroIndex].name));
    return MenuText(MajorTextId(major));
  }
  for (const MinorRange& range : kMinorRanges) {
    if (range.major != major) continue;
    if (key.minor >= range.first && key.minor <= range.last) return MenuText(MinorTextId(key.minor));
    return MenuText(MajorTextId(major));
  }
  if (major == settings::MAJOR_FUN_ASSIGN_SHORTCUT)
    return GetShortcutText(key.shortcutModifiers, key.shortcutKey);
  if (major == settings::MAJOR_FUN_ASSIGN_PROGRAM_TO_EXECUTION)
    return std::u16string(FileNameOf(settings::FieldText(key.programPath)));
  if (major == 0 || major > settings::MAJOR_FUN_LAST) return {};
  return MenuText(MajorTextId(major));
}

void CKeyDefineSettingPage::RefreshKeyTexts() {
  if (keyData_ == nullptr) return;
  for (int i = 0; i < kKeyCount; ++i) {
    pages::SetRowCaption(KeyButton(i), QString::fromStdU16String(KeyText(keyData_[i])));
  }
}

void CKeyDefineSettingPage::StartHoverTimer() {
  hoverStarted_ = true;
  if (!isVisible()) return;
  hoverRunning_ = true;
  WakeHoverPoll();
}

void CKeyDefineSettingPage::StopHoverTimer() {
  hoverStarted_ = false;
  KillHoverTimer();
}

void CKeyDefineSettingPage::KillHoverTimer() {
  hoverRunning_ = false;
  hoverSleep_->Forget();
  if (hoverTimer_ == 0) return;
  killTimer(hoverTimer_);
  hoverTimer_ = 0;
}

void CKeyDefineSettingPage::WakeHoverPoll() {
  if (!hoverRunning_) return;
  hoverSleep_->Forget();
  if (hoverTimer_ == 0) hoverTimer_ = startTimer(settings::TIMER_KEY_HOVER_INTERVAL_MS);
}

bool CKeyDefineSettingPage::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:   // of the main window
    case QEvent::Enter:  // of a row, also when a program moves the pointer without a device
    case QEvent::Leave:
      WakeHoverPoll();
      break;
    default:
      break;
  }
  return CPageDialog::eventFilter(watched, event);
}

void CKeyDefineSettingPage::showEvent(QShowEvent* event) {
  CPageDialog::showEvent(event);
  if (hoverStarted_) StartHoverTimer();
}

void CKeyDefineSettingPage::hideEvent(QHideEvent* event) {
  CPageDialog::hideEvent(event);
  KillHoverTimer();
}

void CKeyDefineSettingPage::timerEvent(QTimerEvent* event) {
  if (event->timerId() == hoverTimer_) {
    OnTimer(settings::TIMER_KEY_HOVER);
    return;
  }
  CPageDialog::timerEvent(event);
}

void CKeyDefineSettingPage::OnTimer(int id) {
  if (id != settings::TIMER_KEY_HOVER || !isVisible()) return;
  PollHoveredKey();
  if (hoverTimer_ != 0 && hoverSleep_->MaySleep(polled_)) {
    killTimer(hoverTimer_);
    hoverTimer_ = 0;
  }
}

void CKeyDefineSettingPage::PollHoveredKey() {
  const QPoint cursor = host_.cursor ? host_.cursor() : QCursor::pos();
  const bool menuShown = functionMenu_ && functionMenu_->Window() &&
                         functionMenu_->Window()->isVisible();
  polled_ = {cursor, mapToGlobal(QPoint(0, 0)), menuShown};
  int hovered = 0;
  for (int i = 0; i < kKeyCount; ++i) {
    CBitmapBtn& row = KeyButton(i);
    const QRect screen(row.mapToGlobal(QPoint(0, 0)), row.size());
    if (!screen.contains(cursor)) continue;
    ++hovered;
    if (menuShown) continue;
    if (host_.mousePicture) host_.mousePicture->SelectKey(static_cast<unsigned>(i));
  }
  if (hovered == 0 && !menuShown && host_.mousePicture) host_.mousePicture->SelectKey(-1);
}
