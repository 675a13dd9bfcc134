#include "app/KavrinDireZerudDlg.h"

#include <QApplication>
#include <QByteArray>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QRegion>
#include <QTimer>
#include <QTimerEvent>
#include <QVariant>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "app/DesktopOnFirstUse.h"
#include "platform/desktop/WaylandSession.h"
#include "platform/sys/ProgramFolder.h"
#include "platform/sys/Utf.h"
#include "platform/ui/CaptionDrag.h"
#include "platform/ui/ImageFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Region.h"
#include "platform/ui/Text.h"
#include "platform/ui/WindowPlacement.h"
#include "resources/MenuTextTable.h"
#include "skin/SkinValues.h"

namespace {

const QString kSection = QStringLiteral("MainWindow");

// The image keys of the section "MainWindow", in the order LoadSkin reads them.
constexpr std::u16string_view kMainWindowImages[] = {u"BackGroundImage", u"BackGroundMaskImage",
                                                     u"NormalImage", u"OverImage", u"DownImage"};

std::string FolderOf(const CKavrinDireZerudDlg::Options& options) {
  return options.programFolder.empty() ? sys::ProgramFolder() : options.programFolder;
}

// The desktop service given in the options, or one of the process's own kept in `own`.
template <typename T, typename Make>
T& Service(T* given, std::unique_ptr<T>& own, Make make) {
  if (given) return *given;
  own = make();
  return *own;
}

// The window's way out of the process: the work of WM_DESTROY is done by then, and the objects
// with static lifetime (the loaded language file, the simulated mouse) are left to the system
// rather than destroyed under threads that may still use them.
[[noreturn]] void EndProcessNow(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}

QByteArray PropertyKey(std::u16string_view name) { return ui::ToQString(name).toUtf8(); }

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

using Button = CKavrinDireZerudDlg::Button;

// The buttons in the order they are created, with their rectangles' keys.
struct ButtonKey {
  Button button;
  std::u16string_view key;
};
constexpr ButtonKey kButtonKeys[] = {
    {Button::OK, u"KeyOKRect"},
    {Button::Cancel, u"KeyCancelRect"},
    {Button::Apply, u"KeyApplyRect"},
    {Button::Default, u"KeyDefaultRect"},
    {Button::Light, u"KeyLightSettingRect"},
    {Button::Sensitivity, u"KeySensitivitySettingRect"},
    {Button::Advance, u"KeyAdvanceSettingRect"},
    {Button::KeyDefine, u"KeyKeyDefineSettingRect"},
    {Button::ConfigFile1, u"KeyConfigFile1Rect"},
    {Button::ConfigFile2, u"KeyConfigFile2Rect"},
    {Button::ConfigFile3, u"KeyConfigFile3Rect"},
    {Button::ConfigFile4, u"KeyConfigFile4Rect"},
    {Button::Create, u"KeyCreateConfigFileRect"},
    {Button::Save, u"KeySaveConfigFileRect"},
    {Button::Load, u"KeyLoadConfigFileRect"},
    {Button::Modify, u"KeyModifyConfigFileRect"},
};
static_assert(std::size(kButtonKeys) == CKavrinDireZerudDlg::kButtonCount);

constexpr Button kModeButtons[] = {Button::ConfigFile1, Button::ConfigFile2, Button::ConfigFile3,
                                   Button::ConfigFile4};

}  // namespace

CKavrinDireZerudDlg::CKavrinDireZerudDlg(Options options)
    : CPageDialog(Kind::Dialog, CINIFile(), QString::fromStdString(FolderOf(options)), kSection,
                  nullptr),
      options_(std::move(options)),
      programFolder_(FolderOf(options_)),
      instanceName_(options_.instanceName.empty() ? desktop::ExecutableBaseName()
                                                  : options_.instanceName),
      mouse_(options_.mouse ? std::move(options_.mouse)
                            : std::make_shared<MouseStartup>(options_.backend,
                                                             options_.replyTimeoutMs)),
      settings_(mouse_->settings),
      comm_(mouse_->comm),
      sync_(mouse_->sync),
      ownPointer_(options_.pointer ? nullptr : desktop::CreatePointerSettings()),
      pointer_(options_.pointer ? options_.pointer : ownPointer_.get()),
      applyView_(*this),
      applyRunner_(settings_, sync_, comm_, nullptr, *pointer_, applyView_, options_.applyTick),
      fileDialog_(this),
      icons_(QString::fromStdString(programFolder_)),
      pcActions_(
          CMouseFunction(Service(options_.launcher, ownLauncher_, desktop::CreateProgramLauncher),
                         Service(options_.wheel, ownWheel_,
                                 [] {
                                   return std::make_unique<WheelOnFirstUse>(
                                       desktop::CreateWheelInjector);
                                 })),
          [this] { BringToFront(); }),
      deviceEvents_(settings_, comm_, sync_,
                    Service(options_.foreground, ownForeground_,
                            [] {
                              return std::make_unique<ForegroundOnFirstUse>(
                                  desktop::CreateForegroundApplication);
                            }),
                    pcActions_,
                    {this, [this] { RefreshModeView(); }, [this] { hide(); }}),
      tray_(*this,
            Service(options_.tray, ownTray_, [] { return std::make_unique<SystemTrayIconHost>(); }),
            Service(options_.autostart, ownAutostart_, desktop::CreateAutostart), icons_,
            [this] { return sync_.CheckIsMyDevice() == 1; }, [this] { BringToFront(); }),
      keyStatusMsg_(sys::RegisterWindowMessage(u"KEYSTATUS_MSG")),
      modeDpiChangeMsg_(sys::RegisterWindowMessage(u"MODEDPICHANGE_MSG")) {
  if (!options_.endProcess) options_.endProcess = EndProcessNow;
  // What the foreground lookup and the sideways scrolling reach in a Wayland session is said at
  // the start, as when they were made with the window.
  if (!options_.foreground || !options_.wheel) desktop::NoteX11ProgramsOnly();
  mouse_->SetProperty(this);
  // A borderless tool window: no frame and no taskbar entry; the tray is the way back to it.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  setWindowTitle(QStringLiteral("Kavrin-DireZerud"));
}

CKavrinDireZerudDlg::~CKavrinDireZerudDlg() {
  JoinStartupThread();
  DestroyWindow();
}

bool CKavrinDireZerudDlg::OnInitDialog() {
  // The skin's images are decoded on other threads while the settings and the skin are read.
  prefetch_ = options_.imagePrefetch ? std::move(options_.imagePrefetch)
                                     : StartImageDecoding(options_);
  // So is the caption font, which the pages' texts first need when they are given a record.
  fontWarmUp_.emplace();
  // The defaults into the records, then the mouse opened and read while the skin and the texts
  // load (unless the program began this before it made the window). Until the thread is joined
  // this thread leaves the settings and the protocol object alone.
  mouse_->Start();

  if (!LoadSkin()) {
    FailStartup(kSkinFailedText);
    return false;
  }
  const std::string language = sys::JoinPath(programFolder_, "Language.xml");
  if (!LoadMenuTexts(sys::FromUtf8(language))) {
    FailStartup(kLanguageFailedText);
    return false;
  }
  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icons_.Icon(IDR_MAINFRAME))));
  AddTrayIcon();

  JoinStartupThread();
  sync_.OpenDevice(this);
  // The font's look-up has ended before this thread first measures a text: what the worker made
  // of the font library's state is handed over by the thread's end.
  fontWarmUp_.reset();
  RefreshModeView();
  appSwitchTimer_ = startTimer(TIMER_APP_SWITCH_INTERVAL_MS);
  SetProp(sys::FromUtf8(instanceName_), 1);
  ui::CenterWindow(this);
  if (sync_.CheckIsMyDevice()) {
    ui::ShowWindow(this, ui::SW_SHOW);
    raise();
    activateWindow();
  } else {
    hide();
    // Nothing but the tray icon shows: a user who started the program from a terminal learns
    // why.
    std::fprintf(stderr,
                 "The mouse was not found: the program waits in the tray, where its icon shows "
                 "the window once the mouse is connected.\n");
  }
  // The other pages are skinned once the window has been painted; nothing is painted while it
  // stays hidden, and a window that is never exposed is not waited for without end.
  if (!isVisible()) SkinPagesLater();
  QTimer::singleShot(options_.paintWaitMs, this, [this] { SkinPagesLater(); });
  return true;
}

std::shared_ptr<ui::ImagePrefetch> CKavrinDireZerudDlg::StartImageDecoding(
    const Options& options) {
  const std::string programFolder = FolderOf(options);
  CINIFile skinFile;
  if (skinFile.SetFile(sys::FromUtf8(sys::JoinPath(programFolder, "Setup.ini"))) != 1)
    return nullptr;
  const QString folder = QString::fromStdString(programFolder);
  QStringList files;
  for (std::u16string_view key : kMainWindowImages)
    files << skin::SkinImagePath(folder, skinFile, kSection, key);
  files << PageImageFiles(folder, skinFile, true);
  // The program's icon, which the window and the tray show.
  files << ui::IconTable(folder).Path(IDR_MAINFRAME);
  // What the first paint needs first; the other pages' images once it is done, so that they do
  // not compete with the start for the processor.
  const qsizetype firstPaint = files.size();
  files << PageImageFiles(folder, skinFile, false);
  const int threads = options.imageDecodeThreads >= 0 ? options.imageDecodeThreads
                                                      : ui::ImagePrefetch::DefaultThreads();
  return std::make_shared<ui::ImagePrefetch>(files, threads, firstPaint);
}

void CKavrinDireZerudDlg::EndImageDecoding() {
  if (!prefetch_) return;
  prefetch_.reset();
  // The sheets decoded for the start-up have been cut into the controls and let go; the heap
  // gives the pages they leave free back to the system rather than keeping them resident.
  malloc_trim(0);
}

void CKavrinDireZerudDlg::paintEvent(QPaintEvent* event) {
  CPageDialog::paintEvent(event);
  SkinPagesLater();
}

void CKavrinDireZerudDlg::hideEvent(QHideEvent* event) {
  CPageDialog::hideEvent(event);
  SkinPagesLater();
}

bool CKavrinDireZerudDlg::LoadSkin() {
  const std::string setup = sys::JoinPath(programFolder_, "Setup.ini");
  if (skinFile_.SetFile(sys::FromUtf8(setup)) != 1) {
    ui::MessageBox(this, ui::ToQString(settings::kSkinFileErrorText));
    return false;
  }
  const QString folder = QString::fromStdString(programFolder_);
  background_ = ui::KeptOpaque(skin::LoadSkinImage(folder, skinFile_, kSection, u"BackGroundImage"));
  if (background_.isNull()) return false;

  resize(background_.size());
  SetBackgroundBrush(QBrush(background_));
  // A mask that does not load leaves the window rectangular rather than empty.
  const QImage mask = skin::LoadSkinImage(folder, skinFile_, kSection, u"BackGroundMaskImage");
  if (!mask.isNull()) setMask(ui::CreateRegionFromBitmap(mask));

  const QImage normal = skin::LoadSkinImage(folder, skinFile_, kSection, u"NormalImage");
  const QImage over = skin::LoadSkinImage(folder, skinFile_, kSection, u"OverImage");
  const QImage down = skin::LoadSkinImage(folder, skinFile_, kSection, u"DownImage");

  settings_.ExpectedProductId = ParseProductId(skinFile_.GetString(u"ProductID", u"ProductID"));

  // The faces the background shows as they are share its memory.
  const ui::KeptImage kept{background_, QPoint(0, 0)};
  for (const ButtonKey& entry : kButtonKeys) {
    const QRect r = skin::ReadRect(skinFile_, kSection, entry.key);
    CBitmapBtn& button = ButtonOf(entry.button);
    button.Create(QString(), QRect(r.x(), r.y(), qMax(0, r.width()), qMax(0, r.height())), this,
                  0);
    // The disabled face is the normal one.
    button.SetStateImages(r.x(), r.y(), r.width(), r.height(), &normal, &over, &down, &normal,
                          &kept);
  }

  CreatePages();
  ShowKeyDefinePage();
  return true;
}

uint32_t CKavrinDireZerudDlg::ParseProductId(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  if (i < text.size() && text[i] == u'+') ++i;
  if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
      HexDigit(text[i + 2]) >= 0) {
    i += 2;
  }
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) break;
    value = value << 4 | static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(value);
}

void CKavrinDireZerudDlg::FailStartup(std::u16string_view text) {
  prefetch_.reset();
  ui::MessageBox(this, ui::ToQString(text));
  // Nothing may still work on the device or the settings when the process goes.
  JoinStartupThread();
  comm_.Close();
  options_.endProcess(0);
}

void CKavrinDireZerudDlg::JoinStartupThread() { mouse_->Join(); }

std::shared_ptr<MouseStartup> CKavrinDireZerudDlg::StartMouse(const Options& options) {
  auto mouse = std::make_shared<MouseStartup>(options.backend, options.replyTimeoutMs);
  mouse->Start();
  return mouse;
}

CBitmapBtn& CKavrinDireZerudDlg::DialogButton(settings::ApplyButton button) {
  switch (button) {
    case settings::ApplyButton::OK: return ButtonOf(Button::OK);
    case settings::ApplyButton::Cancel: return ButtonOf(Button::Cancel);
    case settings::ApplyButton::Apply: return ButtonOf(Button::Apply);
    case settings::ApplyButton::Default: return ButtonOf(Button::Default);
  }
  return ButtonOf(Button::Apply);
}

void CKavrinDireZerudDlg::RefreshModeView() {
  const int current = settings_.CurrentMode();
  for (int m = 0; m < settings::MODE_COUNT; ++m) ButtonOf(kModeButtons[m]).SetCheckState(0);
  ButtonOf(kModeButtons[current]).SetCheckState(1);
  RefreshPages();
}

void CKavrinDireZerudDlg::OnApply() {
  applyRunner_.OnApply();
  HandleDeferredMessages();
  SkinPagesLater();
}

void CKavrinDireZerudDlg::BringToFront() {
  ui::ShowWindow(this, ui::SW_SHOWNORMAL);
  raise();
  activateWindow();
}

void CKavrinDireZerudDlg::PostMessage(uint32_t msg, sys::WPARAM wParam, sys::LPARAM lParam) {
  ui::PostMessage(this, msg, wParam, lParam);
}

sys::LRESULT CKavrinDireZerudDlg::SendMessage(uint32_t msg, sys::WPARAM wParam,
                                              sys::LPARAM lParam) {
  return ui::SendMessage(this, msg, wParam, lParam);
}

void CKavrinDireZerudDlg::SetProp(std::u16string_view name, uintptr_t value) {
  const QByteArray key = PropertyKey(name);
  setProperty(key.constData(),
              value == 0 ? QVariant() : QVariant::fromValue<qulonglong>(value));
  desktop::SingleInstance* instance = options_.instance;
  if (!instance) return;
  if (name == settings::IS_MY_DEVICE_PROPERTY) {
    instance->SetDeviceFlag(value != 0);
  } else if (name == sys::FromUtf8(instanceName_)) {
    if (value == 0) {
      instance->Unpublish();
    } else if (!instance->Published()) {
      // Runs on the server's thread: the command is handed over and answered at once.
      instance->Publish([this](desktop::InstanceCommand command) {
        if (command == desktop::InstanceCommand::Exit) {
          ui::PostMessage(this, ui::WM_COMMAND, ID_TRAY_EXIT, 0);
        } else if (command == desktop::InstanceCommand::Raise) {
          ui::PostMessage(this, WM_INSTANCE_RAISE, 0, 0);
        }
        return true;
      });
    }
  }
}

uintptr_t CKavrinDireZerudDlg::GetProp(std::u16string_view name) const {
  return static_cast<uintptr_t>(property(PropertyKey(name).constData()).toULongLong());
}

ui::LRESULT CKavrinDireZerudDlg::WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) {
  // While Apply runs the window is busy: what arrives waits until it has ended.
  if (applyRunner_.Running()) {
    deferred_.push_back({this, msg, wParam, lParam});
    return 0;
  }
  if (destroyed_) return 0;
  if (msg == ui::WM_COMMAND) return OnCommand(wParam, lParam) ? 1 : 0;
  if (msg == ui::WM_LBUTTONDOWN) {
    // A press forwarded by a page: its point is the page's, the cursor tells where it is.
    StartDrag(QCursor::pos());
    return 0;
  }
  if (msg == ui::WM_NCLBUTTONDOWN && wParam == ui::HTCAPTION) {
    ui::BeginCaptionDrag(this, QPoint(ui::XFromLParam(lParam), ui::YFromLParam(lParam)));
    return 0;
  }
  if (msg == sys::WM_DEVICECHANGE) {
    OnDeviceChange(wParam, lParam);
    return 1;
  }
  if (msg == keyStatusMsg_) {
    OnKeyStatus(wParam);
    return 1;
  }
  if (msg == modeDpiChangeMsg_) {
    OnModeDpiChange();
    return 1;
  }
  if (msg == WM_TRAYICON_NOTIFY) {
    OnTrayNotify(wParam, lParam);
    return 1;
  }
  if (msg == WM_INSTANCE_RAISE) {
    Raise();
    return 1;
  }
  if (msg == WM_BMPMENU_SELECT) OnFunctionSelected(wParam, lParam);
  return 0;
}

bool CKavrinDireZerudDlg::OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) {
  CloseFunctionMenu();
  const QObject* sender = ui::ObjectFromHandle(lParam);
  const auto is = [&](Button b) { return sender != nullptr && sender == &ButtonOf(b); };

  if (is(Button::Default)) {
    settings_.ResetModeToDefaults(settings_.CurrentMode());
    RefreshModeView();
    return true;
  }
  if (is(Button::Apply)) {
    OnApply();
    return true;
  }
  if (is(Button::OK)) {
    OnApply();
    hide();  // whatever Apply did
    return true;
  }
  if (is(Button::Cancel)) {
    hide();  // the edits stay in the editing records
    return true;
  }
  if (is(Button::Light)) {
    ShowLightPage();
    return true;
  }
  if (is(Button::Sensitivity)) {
    ShowSensitivityPage();
    return true;
  }
  if (is(Button::KeyDefine)) {
    ShowKeyDefinePage();
    return true;
  }
  if (is(Button::Advance)) {
    ShowAdvancePage();
    return true;
  }
  for (int m = 0; m < settings::MODE_COUNT; ++m) {
    if (is(kModeButtons[m])) {
      OnModeButton(m);
      return true;
    }
  }
  if (is(Button::Create)) {
    OnCreateProfile();
    return true;
  }
  if (is(Button::Load)) {
    ButtonOf(Button::Load).SetCheckState(0);
    if (settings_.ImportProfile(fileDialog_) == settings::DeviceSettings::ImportResult::Refused)
      ui::MessageBox(this, ui::ToQString(kProfileInvalidText));
    RefreshModeView();
    return true;
  }
  if (is(Button::Save)) {
    ButtonOf(Button::Save).SetCheckState(0);
    if (!settings_.ExportProfile(fileDialog_))
      ui::MessageBox(this, ui::ToQString(kProfileSaveFailedText));
    return true;
  }
  if (is(Button::Modify)) {
    OnModifyProfile();
    return true;
  }

  switch (ui::LoWord(wParam)) {
    case ID_TRAY_EXIT:
      OnTrayExit();
      return true;
    case ID_TRAY_SHOWMAINPANEL:
      OnTrayShowMainPanel();
      return true;
    case ID_TRAY_AUTORUN:
      OnToggleAutoRun();
      return true;
    default:
      return false;
  }
}

void CKavrinDireZerudDlg::OnModeButton(int mode) {
  settings_.SetCurrentMode(mode);
  comm_.SetCustomMode(static_cast<uint8_t>(mode));  // the mode shown changes also without a mouse
  RefreshModeView();
}

void CKavrinDireZerudDlg::AddTrayIcon() { tray_.AddTrayIcon(); }

void CKavrinDireZerudDlg::OnTrayNotify(ui::WPARAM wParam, ui::LPARAM lParam) {
  tray_.OnTrayNotify(wParam, lParam);
}

bool CKavrinDireZerudDlg::IsAutoRunEnabled() { return tray_.IsAutoRunEnabled(); }

// Exit may arrive while the device warning or the menu is open: the window's end closes the
// menu, and the process ends without returning into either.
void CKavrinDireZerudDlg::OnTrayExit() {
  DestroyWindow();
  options_.endProcess(0);
}

void CKavrinDireZerudDlg::OnTrayShowMainPanel() { tray_.OnTrayShowMainPanel(); }

void CKavrinDireZerudDlg::OnToggleAutoRun() { tray_.OnToggleAutoRun(); }

void CKavrinDireZerudDlg::OnDeviceChange(ui::WPARAM wParam, ui::LPARAM lParam) {
  deviceEvents_.OnDeviceChange(wParam, lParam);
}

void CKavrinDireZerudDlg::OnModeDpiChange() { deviceEvents_.OnModeDpiChange(); }

void CKavrinDireZerudDlg::OnKeyStatus(ui::WPARAM state) {
  pcActions_.OnKeyStatus(static_cast<uint32_t>(state),
                         settings_.AppliedModes[settings_.CurrentMode()]);
}

void CKavrinDireZerudDlg::OnAppSwitchTimer() { deviceEvents_.OnAppSwitchTimer(); }

void CKavrinDireZerudDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == appSwitchTimer_ && appSwitchTimer_ != 0) {
    if (!applyRunner_.Running()) OnAppSwitchTimer();
    return;
  }
  CPageDialog::timerEvent(event);
}

void CKavrinDireZerudDlg::Raise() {
  if (isMinimized()) showNormal();
  ui::ShowWindow(this, ui::SW_SHOWNORMAL);
  raise();
  activateWindow();
  // A box or dialog of the window's that is open comes forward with it.
  if (QWidget* popup = QApplication::activeModalWidget()) {
    popup->raise();
    popup->activateWindow();
  }
}

void CKavrinDireZerudDlg::StartDrag(const QPoint& pressGlobal) {
  CloseFunctionMenu();
  ui::PostMessage(this, ui::WM_NCLBUTTONDOWN, ui::HTCAPTION,
                  ui::MakeLParam(pressGlobal.x(), pressGlobal.y()));
}

void CKavrinDireZerudDlg::OnLButtonDown(ui::WPARAM, const QPoint& point) {
  StartDrag(mapToGlobal(point));
}

void CKavrinDireZerudDlg::OnOK() { hide(); }

void CKavrinDireZerudDlg::OnCancel() { hide(); }

void CKavrinDireZerudDlg::HandleDeferredMessages() {
  std::vector<DeferredMessage> messages;
  messages.swap(deferred_);
  for (const DeferredMessage& m : messages) ui::PostMessage(m.target, m.msg, m.wParam, m.lParam);
}

void CKavrinDireZerudDlg::DestroyWindow() {
  if (destroyed_) return;
  destroyed_ = true;
  SetProp(sys::FromUtf8(instanceName_), 0);
  DeletePages();
  prefetch_.reset();
  tray_.RemoveTrayIcon();
  if (appSwitchTimer_ != 0) killTimer(appSwitchTimer_);
  appSwitchTimer_ = 0;
  comm_.Close();
  hide();
}
