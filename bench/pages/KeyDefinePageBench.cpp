// What the user waits for on the button page, against one frame (16 ms): a click on a row until
// the function menu is painted, and a hover on its macro item until the submenu of the manager
// and 40 macros is painted. Offscreen, with the default skin and the shipped language file.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include <cstring>

#include "pages/KeyDefineSettingPage.h"
#include "platform/ui/WindowMessage.h"
#include "resources/MenuTextTable.h"
#include "settings/FunctionCodes.h"
#include "skin/BmpMenu.h"
#include "tests/platform/sys/FileTestUtil.h"

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "bench_keydefine_page";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

void Flush() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The page in a stand-in for the main window, in the fourth mode, with 40 macros in the store.
struct PageRig {
  PageRig() {
    LoadMenuTexts(QStringLiteral(KDZ_PROGRAM_DIR "/Language.xml").toStdU16String());
    ini.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String());
    owner.setGeometry(40, 40, 860, 560);
    owner.show();
    std::memset(&mode, 0, sizeof mode);
    mode.keys[0].major = settings::MAJOR_FUN_LEFT_MOUSE_KEY;
    page = new CKeyDefineSettingPage(ini, QStringLiteral(KDZ_PROGRAM_DIR),
                                     QStringLiteral("KeyDefineSettingPage"), &owner);
    CKeyDefineSettingPage::Host host;
    host.currentMode = [] { return 3; };
    page->SetHost(std::move(host));
    page->Create();
    settings::tagMACROSTORE& store = page->Macros().macroStore;
    store.count = settings::MAX_MACRO_COUNT;
    for (uint32_t k = 0; k < store.count; ++k) {
      settings::SetFieldText(store.macros[k].name,
                             QStringLiteral("宏 %1").arg(k).toStdU16String());
    }
    page->SetKeyData(mode.keys);
    page->StopHoverTimer();
  }
  ~PageRig() { delete page; }

  void ClickRow(int row) {
    CBitmapBtn& button = page->KeyButton(row);
    ui::SendMessage(page, ui::WM_COMMAND, 0, ui::HandleOf(&button));
  }

  QApplication& app = Application();  // before the widgets
  testutil::TempDataFolder data;
  CINIFile ini;
  QWidget owner;
  settings::tagMODEINFO mode;
  CKeyDefineSettingPage* page = nullptr;
};

void BM_RowClickToMenuShown(benchmark::State& state) {
  PageRig rig;
  for (auto _ : state) {
    rig.ClickRow(3);
    benchmark::DoNotOptimize(rig.page->FunctionMenu()->Window()->grab());
    state.PauseTiming();
    rig.page->CloseFunctionMenu();
    Flush();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RowClickToMenuShown)->Unit(benchmark::kMillisecond);

void BM_MacroItemHoverToSubmenuShown(benchmark::State& state) {
  PageRig rig;
  rig.ClickRow(3);
  QWidget* window = rig.page->FunctionMenu()->Window();
  const QPoint item0 = window->mapToGlobal(QPoint(60, 8));
  const QPoint item10 = window->mapToGlobal(QPoint(60, 10 * 17 + 8));
  const auto move = [&](QPoint p) {
    ui::SendMessage(window, ui::WM_MOUSEMOVE, 0, ui::MakeLParam(p.x(), p.y()));
  };
  for (auto _ : state) {
    move(item0);
    CSubBmpMenu* submenu = rig.page->FunctionMenu()->OpenSubmenu();
    if (submenu == nullptr || submenu->ButtonCount() != 41) {
      state.SkipWithError("the macro submenu did not open with the manager and 40 macros");
      return;
    }
    benchmark::DoNotOptimize(submenu->Window()->grab());
    state.PauseTiming();
    move(item10);
    Flush();
    state.ResumeTiming();
  }
  state.counters["items"] = 41;
}
BENCHMARK(BM_MacroItemHoverToSubmenuShown)->Unit(benchmark::kMillisecond);

}  // namespace
