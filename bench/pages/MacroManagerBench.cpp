// Opening the macro manager on Qt's offscreen platform with a full store (40 macros of 50
// events, the first shown): from the dialog's construction to its first paint, with the default
// skin of the program folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QEvent>

#include <chrono>
#include <memory>

#include "pages/MacroDialog.h"
#include "resources/MenuTextTable.h"

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "bench_macro_manager";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Notes the first paint of the dialog.
class PaintWatch : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

void FillStore(settings::MacroStore& store) {
  settings::tagMACROSTORE& s = store.macroStore;
  s.count = settings::MAX_MACRO_COUNT;
  for (int m = 0; m < settings::MAX_MACRO_COUNT; ++m) {
    settings::tagMACROINFO& macro = s.macros[m];
    const std::string name = "macro " + std::to_string(m + 1);
    settings::SetFieldText(macro.name, std::u16string(name.begin(), name.end()));
    macro.loopCount = 1;
    macro.eventCount = settings::MAX_MACRO_EVENTS;
    for (int e = 0; e < settings::MAX_MACRO_EVENTS; ++e) {
      settings::tagMACROEVENT& event = macro.events[e];
      event.kind = e % 3 == 2 ? settings::MACRO_DELAY : e % 3 == 0 ? settings::MACRO_KEY_DOWN
                                                                   : settings::MACRO_KEY_UP;
      event.code = static_cast<uint8_t>(0x41 + e / 3 % 26);
      event.delayMs = event.kind == settings::MACRO_DELAY ? 25 : 0;
    }
  }
}

void BM_OpenMacroManagerFullStore(benchmark::State& state) {
  Application();
  const QString folder = QStringLiteral(KDZ_PROGRAM_DIR);
  LoadMenuTexts((folder + QStringLiteral("/Language.xml")).toStdU16String());
  CINIFile skin;
  if (skin.SetFile((folder + QStringLiteral("/Setup.ini")).toStdU16String()) != 1) {
    state.SkipWithError("no default skin");
    return;
  }
  auto store = std::make_unique<settings::MacroStore>();
  FillStore(*store);
  static settings::tagMODEINFO modes[settings::MODE_AREA_COUNT] = {};

  for (auto _ : state) {
    PaintWatch watch;
    const auto start = std::chrono::steady_clock::now();
    auto dialog = std::make_unique<CMacroDialog>(skin, folder, QStringLiteral("MacroManagerDialog"),
                                                 *store, 0, nullptr, modes);
    dialog->installEventFilter(&watch);
    dialog->Create();
    while (!watch.painted && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
      QApplication::processEvents();
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!watch.painted) {
      state.SkipWithError("the dialog was not painted");
      break;
    }
    if (dialog->EventList().GetCount() != settings::MAX_MACRO_EVENTS) {
      state.SkipWithError("the first macro is not shown");
      break;
    }
    dialog.reset();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_OpenMacroManagerFullStore)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
