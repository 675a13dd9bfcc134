#pragma once

#include <QApplication>

#include <memory>
#include <string>
#include <string_view>

#include "app/KavrinDireZerudDlg.h"
#include "platform/desktop/SingleInstance.h"

// The application: keeps the program to one running instance per executable name, passes
// "exit" on to an instance that runs already (or raises its window), and creates the main
// window, hidden when the command line asks for a silent start ("/s"). The switches are looked
// for anywhere in the lower-cased text after the program name.
class CKavrinDireZerudApp {
 public:
  struct Options {
    desktop::SingleInstance::Options instance;
    // The name of the single-instance lock and of the window property; empty: the
    // executable's base name.
    std::string instanceName;
    CKavrinDireZerudDlg::Options window;
  };

  CKavrinDireZerudApp() : CKavrinDireZerudApp(Options()) {}
  explicit CKavrinDireZerudApp(Options options);
  ~CKavrinDireZerudApp();
  CKavrinDireZerudApp(const CKavrinDireZerudApp&) = delete;
  CKavrinDireZerudApp& operator=(const CKavrinDireZerudApp&) = delete;

  // True to run the message loop, false to end at once (another instance runs, or "exit" with
  // nothing to stop). The QApplication is created here, after the single-instance step, when
  // none exists yet: a process that only passes a request on never connects to the display.
  // The skin's images begin to be decoded on worker threads before it connects, and the mouse
  // to be read.
  // `argc` and `argv` must outlive the application object.
  bool InitInstance(int& argc, char** argv);
  // The same with the command line given as the text after the program name, for a process
  // whose QApplication exists already.
  bool InitInstance(std::string_view commandLine);

  // Runs the message loop until the application quits; its exit code.
  int Run();

  // The ordinary end: the main window goes, and the single-instance lock is released. The exit
  // code: 1 when "exit" was passed on but the running instance has not ended, else 0.
  int ExitInstance();

  CKavrinDireZerudDlg* MainWindow() const { return mainWindow_.get(); }
  // The options the main window is made with: those given, with the decode threads of
  // KDZ_IMAGE_DECODE_THREADS when they leave the count open.
  CKavrinDireZerudDlg::Options WindowOptions() const;
  const desktop::SingleInstance::StartOutcome& StartOutcome() const { return outcome_; }

 private:
  Options options_;
  std::unique_ptr<desktop::SingleInstance> instance_;
  // Until the window takes them over.
  std::shared_ptr<ui::ImagePrefetch> imagePrefetch_;
  std::shared_ptr<MouseStartup> mouse_;
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<CKavrinDireZerudDlg> mainWindow_;
  desktop::SingleInstance::StartOutcome outcome_;
};
