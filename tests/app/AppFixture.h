#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTest>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/KavrinDireZerudDlg.h"
#include "platform/desktop/FakeAutostart.h"
#include "platform/desktop/FakeForegroundApplication.h"
#include "platform/desktop/FakePointerSettings.h"
#include "platform/desktop/FakeProgramLauncher.h"
#include "platform/desktop/FakeWheelInjector.h"
#include "platform/sys/Tick.h"
#include "platform/ui/MessageBox.h"
#include "sim/SimulatedHidBackend.h"
#include "tests/platform/sys/FileTestUtil.h"
#include "tests/platform/ui/QtTestSupport.h"

namespace apptest {

// A notification area that records what is shown in it.
class FakeTrayIconHost : public TrayIconHost {
 public:
  bool Add(QObject* window, const QIcon& icon) override {
    ++adds;
    shown = true;
    target = window;
    iconSize = icon.availableSizes().empty() ? QSize() : icon.availableSizes().front();
    return true;
  }
  void Remove() override {
    ++removes;
    shown = false;
  }

  int adds = 0;
  int removes = 0;
  bool shown = false;
  QObject* target = nullptr;
  QSize iconSize;
};

using Button = CKavrinDireZerudDlg::Button;

// The main window against a simulated mouse with the default skin of the build: data folder,
// pointer settings, the debounce's clock and the way out of the process are the test's own, and
// message boxes are recorded instead of shown.
class AppFixture : public ::testing::Test {
 protected:
  AppFixture()
      : boxes_([this](QWidget*, const QString& text) {
          boxes.push_back(text);
          if (onBox) onBox(text);
        }) {}

  CKavrinDireZerudDlg::Options WindowOptions() {
    CKavrinDireZerudDlg::Options o;
    o.programFolder = programFolder;
    o.backend = &backend;
    o.replyTimeoutMs = 300;
    o.pointer = &pointer;
    o.instanceName = "kdz-app-test";
    o.applyTick = [this] { return tick(); };
    o.endProcess = [this](int code) {
      exits.push_back(code);
      if (onExit) onExit(code);
    };
    o.tray = &tray;
    o.autostart = &autostart;
    o.foreground = &foreground;
    o.wheel = &wheel;
    o.launcher = &launcher;
    return o;
  }

  // Creates and initialises the main window.
  CKavrinDireZerudDlg& Start() {
    window = std::make_unique<CKavrinDireZerudDlg>(WindowOptions());
    window->Create();
    return *window;
  }

  void Click(Button b) {
    CBitmapBtn& button = window->ButtonOf(b);
    uitest::Click(&button, button.rect().center());
  }

  // A copy of the build's program folder that a test may spoil.
  std::string CopyProgramFolder() {
    const std::string copy = data / "program";
    std::filesystem::copy(KDZ_PROGRAM_DIR, copy, std::filesystem::copy_options::recursive);
    return copy;
  }

  static std::string ReadText(const std::string& path) { return testutil::ReadText(path); }
  static void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }

  // The mouse's flash equals the window's memory image.
  bool FlashEqualsImage() {
    const settings::tagE2IMAGE& image = window->Settings().image;
    for (int k = 0; k < 6; ++k) {
      const sim::FlashBlock block = backend.Mouse().GetFlashBlock(k);
      const uint8_t* expected = k < 5 ? image.macroArea.bytes + 256 * k : image.configBlock.bytes;
      if (std::memcmp(block.data(), expected, 256) != 0) return false;
    }
    return true;
  }

  // Commands the mouse received with command byte `command`.
  int Commands(uint8_t command) {
    int n = 0;
    for (const sim::Report& r : backend.Mouse().CommandLog()) n += r[1] == command ? 1 : 0;
    return n;
  }

  testutil::TempDataFolder data;
  std::string programFolder = KDZ_PROGRAM_DIR;
  sim::SimulatedHidBackend backend;
  desktop::FakePointerSettings pointer;
  FakeTrayIconHost tray;
  desktop::FakeAutostart autostart;
  desktop::FakeForegroundApplication foreground;
  desktop::FakeWheelInjector wheel;
  desktop::FakeProgramLauncher launcher;
  sys::FakeTick tick;
  std::vector<QString> boxes;
  std::function<void(const QString&)> onBox;
  std::vector<int> exits;
  std::function<void(int)> onExit;
  std::unique_ptr<CKavrinDireZerudDlg> window;

 private:
  ui::ScopedMessageBoxHandler boxes_;
};

// Waits until every page of `window` has been skinned (looked at without skinning any).
inline bool EveryPageSkinned(const CKavrinDireZerudDlg& window) {
  return QTest::qWaitFor(
      [&window] {
        for (CPageDialog* page : window.findChildren<CPageDialog*>(Qt::FindDirectChildrenOnly))
          if (!page->Initialised()) return false;
        return true;
      },
      uitest::kWaitMs);
}

inline QString Text(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace apptest
