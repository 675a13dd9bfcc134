#pragma once

// The built program with the simulated mouse under openbox on an X server of its own, seen from
// outside as a user sees it: its windows found by their size (the skin's), clicked at the
// skin's rectangles, and captured once the screen has settled. Shared by the end-to-end tests
// that walk through the program's windows.
#include <unistd.h>

#include <QDir>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "resources/INIFile.h"
#include "tests/app/DesktopUnderX.h"

namespace apptest {

class OpenboxProgram : protected DesktopOnScreen {
 protected:
  static constexpr int kMenuItemHeight = 17;
  static constexpr QSize kMenuSize{128, 375};
  // The shortcut, program and profile dialogs.
  static constexpr QSize kDialogSize{420, 222};

  OpenboxProgram() : DesktopOnScreen(1280, 800) {}

  static bool OpenboxInstalled() { return ::access("/usr/bin/openbox", X_OK) == 0; }

  // Opens the session, starts openbox and reads the program folder's skin; with
  // `waitForWindowManager`, returns once openbox manages the screen. Empty when ready, else
  // what went wrong.
  std::string OpenDesktop(bool waitForWindowManager = true) {
    if (const std::string problem = OpenSession(); !problem.empty()) return problem;
    wm_ = session_->Tool("/usr/bin/openbox", {"--sm-disable"});
    if (!wm_) return "openbox is not installed";
    desk_ = std::make_unique<Desk>(server_.Display());
    x_ = std::make_unique<XClient>(server_.Display());
    if (!desk_->Connected() || !x_->Connected()) return "no connection to " + server_.Display();
    if (waitForWindowManager &&
        !testutil::WaitUntilWindowsAreManaged(server_.Display().c_str()))
      return "openbox did not start";
    if (skin_.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String()) != 1)
      return "no Setup.ini in " KDZ_PROGRAM_DIR;
    QDir().mkpath(QStringLiteral(KDZ_SCREEN_DIR));
    return std::string();
  }

  QRect Rect(const char16_t* section, const char16_t* key) {
    int32_t v[4] = {};
    skin_.GetInts(section, key, v, 4);
    return QRect(v[0], v[1], v[2], v[3]);
  }
  QRect RowRect(int row) {
    const std::u16string key = u"KeyWindowRect_" + std::u16string(1, char16_t(u'0' + row));
    return Rect(u"KeyDefineSettingPage", key.c_str());
  }

  // The place on the screen of a window of the program that `match` accepts, once there is one.
  std::optional<QRect> Find(const std::function<bool(const QRect&)>& match, int timeoutMs = 5000) {
    std::optional<QRect> found;
    WaitFor(
        [&] {
          for (const Desk::Found& f : desk_->WindowsOf(program_.Pid())) {
            if (match(f.geometry)) {
              found = f.geometry;
              return true;
            }
          }
          return false;
        },
        timeoutMs);
    return found;
  }
  std::optional<QRect> FindSized(QSize size, int timeoutMs = 5000) {
    return Find([size](const QRect& r) { return r.size() == size; }, timeoutMs);
  }
  bool Gone(QSize size) {
    return WaitFor([&] { return !FindSized(size, 0); }, 15000);
  }

  // Starts the program and waits for its main window.
  void StartProgram() {
    program_ = session_->Program(KDZ_PROGRAM);
    // The main window has the size of its background.
    const QSize size =
        QImage(QStringLiteral(KDZ_PROGRAM_DIR "/Skin/MainWindow_BackGround.png")).size();
    std::optional<QRect> main = FindSized(size, 10000);
    if (!main) {
      // openbox, while it is still starting, can let a window's map request go: the window
      // stays unmapped though the program showed it. The test maps it again, as the program
      // asked, and waits on.
      desk_->MapAgain(program_.Pid(), size);
      main = FindSized(size, 10000);
    }
    ASSERT_TRUE(main) << "no main window; log:\n" << session_->Log();
    main_ = *main;
  }
  void ClickMain(const QRect& inWindow) { desk_->Click(main_.topLeft() + inWindow.center()); }
  void Pause(int ms = 150) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  // A click on the main window's button of `key`, and the time the window takes to show what
  // it does.
  void ClickButton(const char16_t* key) {
    ClickMain(Rect(u"MainWindow", key));
    Pause(300);
  }
  // The button page in the fourth mode, where a row opens the function menu.
  void ShowFourthMode() {
    ClickButton(u"KeyKeyDefineSettingRect");
    ClickButton(u"KeyConfigFile4Rect");
  }

  // Whether the main window shows `inMain` as the skin image `sheet` has it there, within 15 s:
  // the page of that sheet is on the screen.
  bool Shows(const QRect& inMain, const char* sheet) {
    const QString file = QStringLiteral(KDZ_PROGRAM_DIR "/Skin/") + QString::fromLatin1(sheet);
    const QImage image = QImage(file).convertToFormat(QImage::Format_RGB32).copy(inMain);
    return WaitFor([&] { return x_->Capture(inMain.translated(main_.topLeft())) == image; },
                   15000);
  }

  // A choice of the function menu of the fourth mode's row 4.
  void ChooseFunction(int major) {
    ShowFourthMode();
    const std::optional<QRect> menu = OpenMenu(4);
    ASSERT_TRUE(menu) << "no function menu";
    desk_->Click(MenuItem(*menu, major - 1));
  }

  // A click on a row of the button page and the function menu it opens.
  std::optional<QRect> OpenMenu(int row) {
    ClickMain(RowRect(row));
    return FindSized(kMenuSize);
  }
  QPoint MenuItem(const QRect& menu, int item) {
    return menu.topLeft() + QPoint(menu.width() / 2, item * kMenuItemHeight + kMenuItemHeight / 2);
  }
  // The hover on the menu's first item, and the macro submenu it opens beside the menu.
  std::optional<QRect> OpenMacroSubmenu(const QRect& menu) {
    desk_->MoveTo(MenuItem(menu, 0));
    // Beside the menu, level with the first item (it opens no lower).
    std::optional<QRect> submenu = Find([&](const QRect& r) {
      return r.left() >= menu.right() && r.width() == kMenuSize.width() && r.top() <= menu.top();
    });
    if (submenu) Settled(*submenu);
    return submenu;
  }

  // What the screen shows of `area` once two captures 100 ms apart agree.
  QImage Settled(const QRect& area) { return x_->SettledCapture(area); }
  void Save(const QImage& shot, const char* name) {
    EXPECT_TRUE(shot.save(QStringLiteral(KDZ_SCREEN_DIR "/") + QString::fromLatin1(name)));
  }
  // The ten rows on the screen, with the pointer away from them.
  QImage Rows() {
    desk_->MoveTo(QPoint(2, 2));
    QRect rows;
    for (int i = 0; i < 10; ++i) rows |= RowRect(i);
    return Settled(rows.translated(main_.topLeft()));
  }

  std::optional<Child> wm_;
  std::unique_ptr<Desk> desk_;
  std::unique_ptr<XClient> x_;
  CINIFile skin_;
  Child program_;
  QRect main_;
};

}  // namespace apptest
