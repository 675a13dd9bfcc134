#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/ApplyProgressView.h"
#include "app/DesktopProfileFileDialog.h"
#include "app/DeviceEvents.h"
#include "app/MainWindowTray.h"
#include "app/MouseFunction.h"
#include "app/MouseStartup.h"
#include "app/TrayIcon.h"
#include "device/KavrinUSBComm.h"
#include "platform/desktop/Autostart.h"
#include "platform/desktop/ForegroundApplication.h"
#include "platform/desktop/PointerSettings.h"
#include "platform/desktop/ProgramLauncher.h"
#include "platform/desktop/WheelInjector.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/hid/HidBackend.h"
#include "platform/sys/MessageWindow.h"
#include "platform/sys/Tick.h"
#include "platform/ui/FontWarmUp.h"
#include "platform/ui/IconTable.h"
#include "platform/ui/ImagePrefetch.h"
#include "resources/INIFile.h"
#include "settings/Apply.h"
#include "settings/DeviceSettings.h"
#include "settings/DeviceSync.h"
#include "settings/MacroStore.h"
#include "settings/WindowProperty.h"
#include "skin/BitmapBtn.h"
#include "skin/PageDialog.h"

class CAdvanceSettingPage;
class CKeyDefineSettingPage;
class CLightSettingPage;
class CMousePicturePage;
class CSensitivityPage;
class CSystemSettingPage;

// Commands of the tray menu; a second instance started with "exit" sends ID_TRAY_EXIT too.
inline constexpr uint16_t ID_TRAY_EXIT = 0x6001;
inline constexpr uint16_t ID_TRAY_SHOWMAINPANEL = 0x6002;
inline constexpr uint16_t ID_TRAY_AUTORUN = 0x6003;

// The main window's timer for the per-application mode switch and the repeat of held scroll
// buttons.
inline constexpr int TIMER_APP_SWITCH = 33;
inline constexpr int TIMER_APP_SWITCH_INTERVAL_MS = 300;

// Posted by the single-instance server when a later start asks for the window (its wParam and
// lParam are 0).
inline constexpr uint32_t WM_INSTANCE_RAISE = 0x0700;

// Posted by the button page's function menu with the chosen function; relayed to that page.
inline constexpr uint32_t WM_BMPMENU_SELECT = 0x0501;

// The start-up failure texts, as they stand.
inline constexpr std::u16string_view kSkinFailedText = u"配置界面文件错误！";
inline constexpr std::u16string_view kLanguageFailedText = u"配置语言文件错误！";
// What Load says of a file that is not a profile, and Save of a profile it could not write.
inline constexpr std::u16string_view kProfileInvalidText = u"配置文件无效，未导入！";
inline constexpr std::u16string_view kProfileSaveFailedText = u"保存配置文件失败！";

// The one main window: borderless, shaped by its mask, without a taskbar entry. It owns the
// protocol object, the settings model with both record areas and the memory image, the macro
// store (which the button page will own), Apply, and its sixteen skin buttons: OK, Cancel,
// Apply, Default, the four page tabs, the four mode buttons and the four profile commands. Its
// initialisation (Create) is the program's start-up: defaults, the start-up device thread, the
// skin, the language file, the device opened for this window, and shown only when the mouse
// answers with the id the skin expects.
//
// The device layer posts to it as a sys::MessageWindow; a second instance reaches it through
// the single-instance socket, which is published as the window property named after the
// executable. Everything runs on the user-interface thread.
class CKavrinDireZerudDlg : public CPageDialog,
                            public sys::MessageWindow,
                            public settings::WindowProperty {
 public:
  struct Options {
    // The folder of Setup.ini, Language.xml and the images; empty: the executable's folder.
    std::string programFolder;
    // The HID backend of the protocol object; null: the process's default backend.
    hid::HidBackend* backend = nullptr;
    uint32_t replyTimeoutMs = 1000;
    // Null: the desktop's pointer settings (desktop::CreatePointerSettings).
    desktop::PointerSettings* pointer = nullptr;
    // The single-instance guard that the window publishes once it is initialised; null: none.
    desktop::SingleInstance* instance = nullptr;
    // The window property that marks the running instance; empty: the executable's base name.
    std::string instanceName;
    // The millisecond tick of Apply's debounce; empty: sys::GetTickCount.
    sys::TickSource applyTick;
    // Ends the process with an exit code (a start-up failure box, the tray's Exit); empty: the
    // process ends at once, without running static destructors.
    std::function<void(int)> endProcess;
    // The desktop services of the tray and of the PC-side actions; null: the desktop's own.
    TrayIconHost* tray = nullptr;
    desktop::Autostart* autostart = nullptr;
    desktop::ForegroundApplication* foreground = nullptr;
    desktop::WheelInjector* wheel = nullptr;
    desktop::ProgramLauncher* launcher = nullptr;
    // The threads that decode the skin's images ahead while the window initialises; 0: each
    // image is decoded where it is loaded; below 0: ui::ImagePrefetch::DefaultThreads().
    int imageDecodeThreads = -1;
    // The decoding begun before the window was made (StartImageDecoding), which the window
    // takes over; null: the window begins it when it initialises.
    std::shared_ptr<ui::ImagePrefetch> imagePrefetch;
    // The settings and the protocol object, with the start-up's work on the mouse begun before
    // the window was made (StartMouse), which the window takes over; null: the window makes its
    // own from `backend` and `replyTimeoutMs` and begins that work when it initialises.
    std::shared_ptr<MouseStartup> mouse;
    // How long the pages of the other tabs wait for the window's first paint before they are
    // skinned anyway (a window that is shown but never exposed).
    int paintWaitMs = 1000;
  };

  explicit CKavrinDireZerudDlg(Options options);
  CKavrinDireZerudDlg() : CKavrinDireZerudDlg(Options()) {}
  ~CKavrinDireZerudDlg() override;
  CKavrinDireZerudDlg(const CKavrinDireZerudDlg&) = delete;
  CKavrinDireZerudDlg& operator=(const CKavrinDireZerudDlg&) = delete;

  // The section "MainWindow": background, shape, the three sheets, the expected product id and
  // the sixteen buttons. False when Setup.ini or the background image is missing.
  bool LoadSkin() override;

  // Checks the current mode's button (and unchecks the other three), then gives the current
  // mode's editing record to the pages.
  void RefreshModeView();

  // The four page tabs: show the tab's pages and check only its tab button.
  void ShowLightPage();
  void ShowSensitivityPage();
  void ShowKeyDefinePage();
  void ShowAdvancePage();

  // The debounced Apply of the Apply and OK buttons.
  void OnApply();

  // Shows the window normally and brings it to the foreground.
  void BringToFront();

  // sys::MessageWindow: what the device layer and the single-instance server post here.
  void PostMessage(uint32_t msg, sys::WPARAM wParam, sys::LPARAM lParam) override;
  sys::LRESULT SendMessage(uint32_t msg, sys::WPARAM wParam, sys::LPARAM lParam) override;

  // settings::WindowProperty: "IsMyDeivce" is kept on the window and told to the single-instance
  // guard; the property named after the executable publishes the guard's socket (0 withdraws
  // it). Other names are kept on the window only.
  void SetProp(std::u16string_view name, uintptr_t value) override;
  // The value of a property set with SetProp; 0 when it is not set.
  uintptr_t GetProp(std::u16string_view name) const;

  // Begins decoding the skin's images of the main window and its pages on worker threads, as
  // `options` asks (see Options::imageDecodeThreads); null when the program folder has no skin
  // file. It needs no QGuiApplication, so the program begins it before it connects to the
  // display.
  static std::shared_ptr<ui::ImagePrefetch> StartImageDecoding(const Options& options);
  // Makes the settings and the protocol object of `options` and begins the start-up's work on
  // the mouse (the defaults, then the start-up device thread), which needs no display either.
  static std::shared_ptr<MouseStartup> StartMouse(const Options& options);

  // The parsed "ProductID" value: hexadecimal with an optional "0x", read up to the first
  // character that is not a digit; nothing readable gives 0, and a value beyond 32 bits gives
  // 0xFFFFFFFF.
  static uint32_t ParseProductId(std::u16string_view text);

  settings::DeviceSettings& Settings() { return settings_; }
  // The macro store, which the button page holds; only while the pages exist.
  settings::MacroStore& Macros();
  device::CKavrinUSBComm& Device() { return comm_; }
  settings::ApplyRunner& Apply() { return applyRunner_; }
  const CINIFile& SkinFile() const { return skinFile_; }
  const std::string& ProgramFolder() const { return programFolder_; }

  // The settings pages, in the order they are created and deleted (app/PageHost.cpp). The
  // pages of the tab shown at start-up are skinned before the window is first shown, the others
  // one by one once it has been painted (or hidden), or at once when they are asked for here or
  // their tab is chosen. A page that does not exist is null.
  enum class Page { MousePicture, Light, Sensitivity, Advance, System, KeyDefine };
  static constexpr int kPageCount = 6;
  CPageDialog* PageOf(Page page);
  CMousePicturePage* MousePicturePage();
  CLightSettingPage* LightPage();
  CKeyDefineSettingPage* KeyDefinePage();
  CSensitivityPage* SensitivityPage();
  CAdvanceSettingPage* AdvancePage();
  CSystemSettingPage* SystemPage();

  // The buttons, for the Apply display and for tests.
  enum class Button {
    OK, Cancel, Apply, Default,
    Light, Sensitivity, Advance, KeyDefine,
    ConfigFile1, ConfigFile2, ConfigFile3, ConfigFile4,
    Create, Save, Load, Modify,
  };
  static constexpr int kButtonCount = 16;
  // The tab shown at start-up.
  static constexpr Button kStartupTab = Button::KeyDefine;
  CBitmapBtn& ButtonOf(Button button) { return buttons_[static_cast<int>(button)]; }
  CBitmapBtn& DialogButton(settings::ApplyButton button);

  // Whether the start-up device thread has still to be joined.
  bool StartupThreadPending() const { return mouse_->Pending(); }
  // Whether WM_DESTROY's work has been done (the tray's Exit).
  bool Destroyed() const { return destroyed_; }

  MainWindowTray& Tray() { return tray_; }
  const PcButtonActions& ButtonActions() const { return pcActions_; }
  const ui::IconTable& Icons() const { return icons_; }

 protected:
  bool OnInitDialog() override;
  ui::LRESULT WindowProc(uint32_t msg, ui::WPARAM wParam, ui::LPARAM lParam) override;
  bool OnCommand(ui::WPARAM wParam, ui::LPARAM lParam) override;
  // Escape, Enter and the window manager's close hide the window; the program goes on in the
  // notification area.
  void OnOK() override;
  void OnCancel() override;
  void OnLButtonDown(ui::WPARAM flags, const QPoint& point) override;
  void timerEvent(QTimerEvent* event) override;
  // The first paint (or a hide before it) lets the pages that still wait be skinned.
  void paintEvent(QPaintEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // Holds back the pages' messages while Apply runs (see DeferredMessage).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A message that arrived while Apply ran, for this window or one of its pages, handled once
  // Apply has ended: nothing writes the records while Apply's worker reads them.
  struct DeferredMessage {
    QObject* target;
    uint32_t msg;
    ui::WPARAM wParam;
    ui::LPARAM lParam;
  };

  // Shows a start-up failure box, stops the start-up device thread and closes the device, then
  // ends the process with exit code 0.
  void FailStartup(std::u16string_view text);
  void JoinStartupThread();

  // The skin's images of the main window and the pages are decoded on worker threads from the
  // start of the initialisation (or earlier, see Options::imagePrefetch) until every page has
  // been skinned.
  void EndImageDecoding();
  // The image files in the folder `folder` of the pages of the tab shown at start-up
  // (`startupTab`) or of the other pages, in the order the pages are skinned.
  static QStringList PageImageFiles(const QString& folder, const CINIFile& skinFile,
                                    bool startupTab);

  // Closes the button page's function menu and unchecks its rows; nothing while that page
  // does not exist.
  void CloseFunctionMenu();
  // The pages (app/PageHost.cpp): created after the buttons, given the current mode's record at
  // every refresh, deleted with the window.
  void CreatePages();
  // Skins a page that is still waiting: it is initialised, given the current mode's record
  // once the pages have been given one, and shown only with its tab.
  void SkinPage(Page page);
  // Skins the waiting pages one by one in later turns of the event loop.
  void SkinPagesLater();
  // Lets the decoding go on to the images of the pages skinned after the first paint.
  void DecodeLaterPages();
  bool PagesSkinned() const;
  // Gives the current mode's record to the skinned pages (or only to `only`).
  void RefreshPages(std::optional<Page> only = std::nullopt);
  void DeletePages();
  // Shows the pages of one tab, hides the others and checks only that tab's button.
  void ShowTab(Button tab);
  // The function menu's choice, for the button page while it exists.
  void OnFunctionSelected(ui::WPARAM wParam, ui::LPARAM lParam);

  // The press that drags the window: closes the function menu and starts the drag.
  void StartDrag(const QPoint& pressGlobal);

  void OnModeButton(int mode);
  void OnCreateProfile();
  void OnModifyProfile();
  // The tray (MainWindowTray).
  void AddTrayIcon();
  void OnTrayNotify(ui::WPARAM wParam, ui::LPARAM lParam);
  bool IsAutoRunEnabled();
  void OnTrayExit();
  void OnTrayShowMainPanel();
  void OnToggleAutoRun();
  // The device events and the PC-side actions (DeviceEvents, PcButtonActions).
  void OnDeviceChange(ui::WPARAM wParam, ui::LPARAM lParam);
  void OnModeDpiChange();
  void OnKeyStatus(ui::WPARAM state);
  void OnAppSwitchTimer();
  void Raise();
  void HandleDeferredMessages();

  // WM_DESTROY: the window property goes, the pages and the tray icon are deleted, the timer
  // stops and the device is closed.
  void DestroyWindow();

  Options options_;
  std::string programFolder_;
  std::string instanceName_;
  CINIFile skinFile_;
  QImage background_;

  std::shared_ptr<MouseStartup> mouse_;
  settings::DeviceSettings& settings_;
  device::CKavrinUSBComm& comm_;
  settings::DeviceSync& sync_;
  std::unique_ptr<desktop::PointerSettings> ownPointer_;
  desktop::PointerSettings* pointer_;
  ApplyProgressView applyView_;
  settings::ApplyRunner applyRunner_;
  DesktopProfileFileDialog fileDialog_;

  CBitmapBtn buttons_[kButtonCount];
  CPageDialog* pages_[kPageCount] = {};
  Button shownTab_ = kStartupTab;
  bool pagesAttached_ = false;   // the pages have been given a record
  bool skinPagesPosted_ = false;
  std::shared_ptr<ui::ImagePrefetch> prefetch_;
  // The caption font looked up on a worker while the window initialises.
  std::optional<ui::FontWarmUp> fontWarmUp_;

  ui::IconTable icons_;
  std::unique_ptr<TrayIconHost> ownTray_;
  std::unique_ptr<desktop::Autostart> ownAutostart_;
  std::unique_ptr<desktop::ForegroundApplication> ownForeground_;
  std::unique_ptr<desktop::WheelInjector> ownWheel_;
  std::unique_ptr<desktop::ProgramLauncher> ownLauncher_;
  PcButtonActions pcActions_;
  DeviceEvents deviceEvents_;
  MainWindowTray tray_;

  int appSwitchTimer_ = 0;
  uint32_t keyStatusMsg_;
  uint32_t modeDpiChangeMsg_;
  std::vector<DeferredMessage> deferred_;
  bool destroyed_ = false;
};
