// A tab switch in the built program with the simulated mouse on an Xvfb of its own: from an
// XTest click on a tab button to the screen showing the tab's pages (a row across the page area
// changed), for each of the four tabs, and for the first switch after a start. The click's
// release comes 20 ms after its press (the XTest delay of XClient::Click) and a button acts on
// the release, so the time from the release is reported as well.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QString>

#include "resources/INIFile.h"
#include "tests/app/ProgramSession.h"

namespace {

using apptest::Clock;
using apptest::WaitFor;

const char16_t* const kTabKeys[] = {u"KeyLightSettingRect", u"KeySensitivitySettingRect",
                                    u"KeyKeyDefineSettingRect", u"KeyAdvanceSettingRect"};
constexpr double kReleaseDelayMs = 20;
// A row across the page area on which every tab's pages differ from the others'.
const QRect kProbeRow(20, 240, 600, 1);

struct Program {
  Program() {
    if (!server.Problem().empty()) return;
    skin.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String());
    program = session.Start(KDZ_PROGRAM);
    WaitFor([&] { return (window = x.WindowOf(program.Pid())) != 0; }, 20000);
    if (window) placed = x.Geometry(window);
  }
  ~Program() {
    apptest::Child exit = session.Start(KDZ_PROGRAM, {"exit"});
    exit.Wait(10000);
    program.Wait(10000);
  }
  QPoint TabCentre(int tab) {
    int32_t v[4] = {};
    skin.GetInts(u"MainWindow", kTabKeys[tab], v, 4);
    return placed.topLeft() + QPoint(v[0] + v[2] / 2, v[1] + v[3] / 2);
  }
  QImage Row() { return x.Capture(kProbeRow.translated(placed.topLeft())); }

  apptest::Xvfb server{1280, 800};
  apptest::ProgramSession session{server.Display()};
  apptest::XClient x{server.Display()};
  CINIFile skin;
  apptest::Child program;
  Window window = 0;
  QRect placed;
};

Program& Shared() {
  static Program* p = new Program;
  return *p;
}

// Clicks `tab` and waits until the probe row differs from `before`; false after 2 s.
bool SwitchTo(Program& p, int tab, const QImage& before) {
  p.x.Click(p.TabCentre(tab));
  return WaitFor([&] { return p.Row() != before; }, 2000, 0);
}

// range(0): the tab (Light, Sensitivity, KeyDefine, Advance), reached from the next one.
void BM_TabClickToPageShown(benchmark::State& state) {
  Program& p = Shared();
  if (!p.server.Problem().empty()) return state.SkipWithError(p.server.Problem().c_str());
  if (!p.window) return state.SkipWithError("no main window");
  const int tab = static_cast<int>(state.range(0));
  const int from = (tab + 1) % 4;
  double seconds = 0;
  for (auto _ : state) {
    SwitchTo(p, from, p.Row());
    WaitFor([] { return false; }, 50);  // settled
    const QImage before = p.Row();
    const auto start = Clock::now();
    if (!SwitchTo(p, tab, before)) return state.SkipWithError("the page never showed");
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(elapsed);
    seconds += elapsed;
  }
  state.counters["release_to_shown_ms"] =
      seconds * 1000.0 / static_cast<double>(state.iterations()) - kReleaseDelayMs;
}
BENCHMARK(BM_TabClickToPageShown)
    ->ArgName("tab")
    ->DenseRange(0, 3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// range(0): the tab (Light, Sensitivity, Advance), clicked as soon as a program started afresh
// has painted its main window, when the pages of the other tabs may not have been skinned yet:
// the first switch after start-up, from the click to the page on the screen.
void BM_FirstTabClickAfterStart(benchmark::State& state) {
  // A server of its own: the other benchmarks' program stays on theirs.
  static auto* server = new apptest::Xvfb(1280, 800);
  if (!server->Problem().empty()) return state.SkipWithError(server->Problem().c_str());
  apptest::XClient x(server->Display());
  CINIFile skin;
  skin.SetFile(QStringLiteral(KDZ_PROGRAM_DIR "/Setup.ini").toStdU16String());
  const int tab = static_cast<int>(state.range(0));
  const QImage background(QStringLiteral(KDZ_PROGRAM_DIR "/Skin/MainWindow_BackGround.png"));
  const QPoint probe(300, 30);
  double seconds = 0;
  for (auto _ : state) {
    apptest::ProgramSession session(server->Display());
    apptest::Child program = session.Start(KDZ_PROGRAM);
    Window window = 0;
    QRect placed;
    const bool painted = WaitFor(
        [&] {
          if (!window && (window = x.WindowOf(program.Pid())) != 0) placed = x.Geometry(window);
          return window && x.Capture(QRect(placed.topLeft() + probe, QSize(1, 1))).pixel(0, 0) ==
                               background.pixel(probe);
        },
        20000, 1);
    if (!painted) return state.SkipWithError("no main window");
    const QRect row = kProbeRow.translated(placed.topLeft());
    const QImage before = x.Capture(row);
    int32_t v[4] = {};
    skin.GetInts(u"MainWindow", kTabKeys[tab], v, 4);
    const auto start = Clock::now();
    x.Click(placed.topLeft() + QPoint(v[0] + v[2] / 2, v[1] + v[3] / 2));
    if (!WaitFor([&] { return x.Capture(row) != before; }, 2000, 0))
      return state.SkipWithError("the page never showed");
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    apptest::Child exit = session.Start(KDZ_PROGRAM, {"exit"});
    exit.Wait(10000);
    program.Wait(10000);
  }
  state.counters["release_to_shown_ms"] =
      seconds * 1000.0 / static_cast<double>(state.iterations()) - kReleaseDelayMs;
}
BENCHMARK(BM_FirstTabClickAfterStart)
    ->ArgName("tab")
    ->Arg(0)
    ->Arg(1)
    ->Arg(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
