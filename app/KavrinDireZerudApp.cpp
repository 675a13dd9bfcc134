#include "app/KavrinDireZerudApp.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>

#include "platform/desktop/Autostart.h"
#include "platform/desktop/PointerSettings.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/DataFolder.h"
#include "platform/ui/QtTranslation.h"

namespace {

// Removes what saves cut short by a crash or a kill left in the folders the program writes: the
// profile and default folders, the pointer settings' folder and the autostart folder. Only the
// instance that holds the single-instance lock may do this, since another's save in progress
// has a temporary file.
void RemoveLeftoverTemporaryFiles() {
  const std::string data = sys::DataFolder();
  if (!data.empty()) {
    for (std::string_view sub : {sys::kProfileSubfolder, sys::kDefaultCfgSubfolder})
      sys::RemoveLeftoverTemporaryFiles(data + "/" + std::string(sub));
  }
  for (const std::string& file : {desktop::PointerSettingsFilePath(), desktop::AutostartEntryPath()})
    if (!file.empty()) sys::RemoveLeftoverTemporaryFiles(file.substr(0, file.rfind('/')));
}

// KDZ_IMAGE_DECODE_THREADS: how many threads decode the skin's images ahead at start-up (0: none,
// each image is decoded where it is loaded); unset or not a count: the default.
int ImageDecodeThreads() {
  const char* text = std::getenv("KDZ_IMAGE_DECODE_THREADS");
  if (!text || !*text) return -1;
  char* end = nullptr;
  const long count = std::strtol(text, &end, 10);
  return *end == '\0' && count >= 0 ? static_cast<int>(std::min(count, 64L)) : -1;
}

}  // namespace

CKavrinDireZerudApp::CKavrinDireZerudApp(Options options) : options_(std::move(options)) {
  if (options_.instanceName.empty()) options_.instanceName = desktop::ExecutableBaseName();
}

CKavrinDireZerudApp::~CKavrinDireZerudApp() { ExitInstance(); }

bool CKavrinDireZerudApp::InitInstance(int& argc, char** argv) {
  const std::string commandLine = desktop::CommandLineText(argc, argv);
  instance_ = std::make_unique<desktop::SingleInstance>(options_.instanceName, options_.instance);
  outcome_ = instance_->Start(commandLine);
  if (!outcome_.Runs()) return false;
  // The skin's images are decoded and the mouse is read while the application connects to the
  // display and the window is made, instead of after.
  imagePrefetch_ = CKavrinDireZerudDlg::StartImageDecoding(WindowOptions());
  mouse_ = CKavrinDireZerudDlg::StartMouse(WindowOptions());
  if (!QCoreApplication::instance()) application_ = std::make_unique<QApplication>(argc, argv);
  return InitInstance(commandLine);
}

bool CKavrinDireZerudApp::InitInstance(std::string_view commandLine) {
  if (!instance_) {
    instance_ = std::make_unique<desktop::SingleInstance>(options_.instanceName, options_.instance);
    outcome_ = instance_->Start(commandLine);
    if (!outcome_.Runs()) return false;
  }
  // Without the lock (an unsafe lock folder) another instance may be saving right now.
  if (instance_->HoldsLock()) RemoveLeftoverTemporaryFiles();
  // The program lives in the notification area: hiding or closing its windows does not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  // Qt's own texts (the boxes' button, the file dialogs) in the language of the program's texts.
  ui::InstallQtTranslation(QStringLiteral("zh_CN"), ui::QtTranslationsFolder());

  CKavrinDireZerudDlg::Options window = WindowOptions();
  window.instance = instance_.get();
  window.instanceName = options_.instanceName;
  window.imagePrefetch = std::move(imagePrefetch_);
  window.mouse = std::move(mouse_);
  mainWindow_ = std::make_unique<CKavrinDireZerudDlg>(std::move(window));
  // The initialisation decides whether the window shows; a start-up failure ends the process
  // from inside it.
  mainWindow_->Create();
  if (outcome_.action == desktop::StartAction::RunHidden) mainWindow_->hide();
  return true;
}

CKavrinDireZerudDlg::Options CKavrinDireZerudApp::WindowOptions() const {
  CKavrinDireZerudDlg::Options window = options_.window;
  if (window.imageDecodeThreads < 0) window.imageDecodeThreads = ImageDecodeThreads();
  return window;
}

int CKavrinDireZerudApp::Run() { return QApplication::exec(); }

int CKavrinDireZerudApp::ExitInstance() {
  mainWindow_.reset();
  imagePrefetch_.reset();
  mouse_.reset();
  instance_.reset();
  return outcome_.ExitFailed() ? 1 : 0;
}
