// The built program with the simulated mouse, beside the floor (a minimal Qt 6 Widgets program
// showing one window, bench/app/FloorWindow.cpp), on one Xvfb with openbox and trayer: the time
// from starting the process to its main window shown (mapped and painted), the resident memory
// once it idles and the processor time it uses while idle for ten seconds. Each round starts the
// floor and the program one after the other, so every figure comes with the floor's of the same
// run and the ratio program ÷ floor. KDZ_STARTUP_COMPARE names another build of the program
// (its program folder beside it), started in each round of the start-up runs too, before the
// program in every other round, whose figures are reported beside them (compare_ms and
// compare_ratio).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QImage>
#include <QLibraryInfo>
#include <QString>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "bench/app/ProcessTimes.h"
#include "tests/app/DesktopUnderX.h"
#include "tests/app/ProgramSession.h"

namespace {

using apptest::Child;
using apptest::Clock;
using apptest::WaitFor;

// A point inside both windows, relative to their top-left corner, and what it shows there.
const QPoint kProbe(300, 30);
const QRgb kFloorColour = qRgb(0x20, 0x60, 0xA0);

// The X server with a window manager and a notification area, as a user's desktop has them.
struct Desktop {
  Desktop() {
    if (!server.Problem().empty()) {
      problem = server.Problem();
      return;
    }
    if (!desk.Connected() || !tools.Ok()) {
      problem = "no X connection or folder";
      return;
    }
    wm = tools.Tool("/usr/bin/openbox", {"--sm-disable"});
    tray = tools.Tool("/usr/bin/trayer", {"--edge", "bottom", "--align", "right"});
    if (!wm || !tray) {
      problem = "openbox or trayer is not installed";
      return;
    }
    if (!WaitFor([&] { return desk.RootHas("_NET_SUPPORTING_WM_CHECK"); }, 10000) ||
        !WaitFor([&] { return desk.SelectionOwned("_NET_SYSTEM_TRAY_S0"); }, 10000)) {
      problem = "openbox or trayer did not start";
    }
  }

  apptest::Xvfb server{1280, 800};
  apptest::Desk desk{server.Display()};
  apptest::DesktopSession tools{server.Display()};
  std::optional<Child> wm;
  std::optional<Child> tray;
  std::string problem;
  QImage background{QStringLiteral(KDZ_PROGRAM_DIR "/Skin/MainWindow_BackGround.png")};
};

Desktop& Shared() {
  static Desktop* desktop = new Desktop;
  return *desktop;
}

// The largest window of `pid` that is mapped, in root coordinates; empty while there is none.
std::optional<QRect> ShownWindow(apptest::Desk& desk, pid_t pid) {
  std::optional<QRect> best;
  for (const apptest::Desk::Found& f : desk.WindowsOf(pid)) {
    const auto area = [](const QRect& r) { return r.width() * r.height(); };
    if (!best || area(f.geometry) > area(*best)) best = f.geometry;
  }
  return best;
}

// Waits until the window of `pid` shows `colour` at the probe; false after 20 s.
bool WaitPainted(Desktop& d, apptest::XClient& x, pid_t pid, QRgb colour, int pollMs) {
  std::optional<QRect> placed;
  if (!WaitFor([&] { return (placed = ShownWindow(d.desk, pid)).has_value(); }, 20000, pollMs))
    return false;
  return WaitFor(
      [&] {
        const QImage shot = x.Capture(QRect(placed->topLeft() + kProbe, QSize(1, 1)));
        if (!shot.isNull() && shot.pixel(0, 0) == colour) return true;
        // The window manager may still move it.
        if (std::optional<QRect> now = ShownWindow(d.desk, pid)) placed = now;
        return false;
      },
      20000, pollMs);
}

// A private runtime, data and configuration folder for one start.
class Session : public apptest::ProgramSession {
 public:
  using ProgramSession::ProgramSession;
  Child Start(std::vector<std::string> args = {}, const std::string& program = KDZ_PROGRAM) const {
    return ProgramSession::Start(program, std::move(args));
  }
};

void Stop(const Session& session, Child& program) {
  Child exit = session.Start({"exit"});
  exit.Wait(10000);
  program.Wait(10000);
}

// A copy of the program folder (the program, its skin and its language file); removed at exit.
class ProgramCopy {
 public:
  ProgramCopy() {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "kdz-program-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    const fs::path from(KDZ_PROGRAM_DIR);
    std::error_code ec;
    fs::copy(KDZ_PROGRAM, folder_ + "/" + fs::path(KDZ_PROGRAM).filename().string(), ec);
    for (const char* name : {"Setup.ini", "Language.xml", "Skin"})
      fs::copy(from / name, folder_ + "/" + name, fs::copy_options::recursive, ec);
  }
  ~ProgramCopy() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  std::string Program() const {
    return folder_ + "/" + std::filesystem::path(KDZ_PROGRAM).filename().string();
  }

 protected:
  std::string folder_;
};

// The copy's skin file has 16 MiB of comment lines appended, as a user's oversized skin file
// would have.
class BigSkinProgram : public ProgramCopy {
 public:
  BigSkinProgram() {
    std::ofstream ini(folder_ + "/Setup.ini", std::ios::app | std::ios::binary);
    const std::string line = "; " + std::string(62, 'x') + "\n";
    for (size_t written = 0; written < (size_t{16} << 20); written += line.size()) ini << line;
  }
};

// The copy finds no translations of Qt's own texts, so it starts as the program did before it
// loaded one: its qt.conf keeps Qt's folders but names an empty one for the translations.
class UntranslatedProgram : public ProgramCopy {
 public:
  UntranslatedProgram() {
    std::filesystem::create_directory(folder_ + "/no-translations");
    std::ofstream conf(folder_ + "/qt.conf");
    conf << "[Paths]\n";
    const struct {
      const char* key;
      QLibraryInfo::LibraryPath path;
    } kept[] = {{"Prefix", QLibraryInfo::PrefixPath},
                {"Libraries", QLibraryInfo::LibrariesPath},
                {"LibraryExecutables", QLibraryInfo::LibraryExecutablesPath},
                {"Plugins", QLibraryInfo::PluginsPath},
                {"Data", QLibraryInfo::DataPath},
                {"ArchData", QLibraryInfo::ArchDataPath}};
    for (const auto& k : kept)
      conf << k.key << "=" << QLibraryInfo::path(k.path).toStdString() << "\n";
    conf << "Translations=" << folder_ << "/no-translations\n";
  }
};

// The other build of KDZ_STARTUP_COMPARE; empty when none is named.
std::string CompareProgram() {
  const char* other = std::getenv("KDZ_STARTUP_COMPARE");
  return other != nullptr ? other : "";
}

// Seconds from starting `program` in a fresh session to its main window painted; negative when
// it never is. `environment` is added to the program's.
double ProgramStartToShown(Desktop& d, apptest::XClient& x, const std::string& program,
                           const std::map<std::string, std::string>& environment) {
  Session session(d.server.Display());
  for (const auto& [name, value] : environment) session.SetEnv(name, value);
  const auto start = Clock::now();
  Child child = session.Start({}, program);
  const bool shown = WaitPainted(d, x, child.Pid(), d.background.pixel(kProbe), 2);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  Stop(session, child);
  return shown ? seconds : -1;
}

// Seconds from starting the floor to its window painted; negative when it never is.
double FloorStartToShown(Desktop& d, apptest::XClient& x) {
  const auto start = Clock::now();
  Child floor(KDZ_FLOOR_PROGRAM, {}, d.tools.Env(), d.tools.Folder() + "/floor.log");
  const bool shown = WaitPainted(d, x, floor.Pid(), kFloorColour, 2);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return shown ? seconds : -1;
}

// Rounds of the floor's start, then the program's (and the other build's, when one is named),
// each in a fresh session; the program's time is the iteration's. `environment` is added to the
// programs'.
void MeasureStartToShown(benchmark::State& state, const std::string& program,
                         const std::map<std::string, std::string>& environment = {}) {
  Desktop& d = Shared();
  if (!d.problem.empty()) return state.SkipWithError(d.problem.c_str());
  apptest::XClient x(d.server.Display());
  const std::string other = CompareProgram();
  double floorSeconds = 0;
  double ratio = 0;
  double otherSeconds = 0;
  double otherRatio = 0;
  // Across the repetitions too, each of which is one round.
  static bool otherFirst = false;
  for (auto _ : state) {
    const double floor = FloorStartToShown(d, x);
    if (floor < 0) return state.SkipWithError("the floor's window was not shown");
    double compared = 0;
    if (!other.empty() && otherFirst) compared = ProgramStartToShown(d, x, other, environment);
    const double seconds = ProgramStartToShown(d, x, program, environment);
    if (seconds < 0) return state.SkipWithError("not shown");
    if (!other.empty() && !otherFirst) compared = ProgramStartToShown(d, x, other, environment);
    if (compared < 0) return state.SkipWithError("the other build's window was not shown");
    otherFirst = !otherFirst;
    state.SetIterationTime(seconds);
    floorSeconds += floor;
    ratio += seconds / floor;
    otherSeconds += compared;
    otherRatio += compared / floor;
  }
  state.counters["floor_ms"] =
      benchmark::Counter(floorSeconds * 1000, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = benchmark::Counter(ratio, benchmark::Counter::kAvgIterations);
  if (other.empty()) return;
  state.counters["compare_ms"] =
      benchmark::Counter(otherSeconds * 1000, benchmark::Counter::kAvgIterations);
  state.counters["compare_ratio"] =
      benchmark::Counter(otherRatio, benchmark::Counter::kAvgIterations);
}

void BM_StartToMainWindowShown(benchmark::State& state) { MeasureStartToShown(state, KDZ_PROGRAM); }
BENCHMARK(BM_StartToMainWindowShown)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// The same with the skin's images decoded one after the other where each is needed, on the
// user-interface thread, to show what decoding them ahead on worker threads gains.
void BM_StartToMainWindowShownDecodingSerially(benchmark::State& state) {
  MeasureStartToShown(state, KDZ_PROGRAM, {{"KDZ_IMAGE_DECODE_THREADS", "0"}});
}
BENCHMARK(BM_StartToMainWindowShownDecodingSerially)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// The same without the translation of Qt's own texts: the translation's share of the start.
void BM_StartToMainWindowShownWithoutQtTranslation(benchmark::State& state) {
  static const UntranslatedProgram copy;
  MeasureStartToShown(state, copy.Program());
}
BENCHMARK(BM_StartToMainWindowShownWithoutQtTranslation)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

void BM_StartToMainWindowShownWithBigSkinFile(benchmark::State& state) {
  static const BigSkinProgram copy;
  // A skin file modified within the last seconds is read again at every look-up; a user's
  // skin file is older than that.
  std::this_thread::sleep_for(std::chrono::seconds(3));
  MeasureStartToShown(state, copy.Program());
}
BENCHMARK(BM_StartToMainWindowShownWithBigSkinFile)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// Resident memory (kB) of a process, from /proc.
long ResidentKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// The program and the floor shown side by side, then left alone.
void BM_Idle(benchmark::State& state) {
  Desktop& d = Shared();
  if (!d.problem.empty()) return state.SkipWithError(d.problem.c_str());
  apptest::XClient x(d.server.Display());
  for (auto _ : state) {
    Child floor(KDZ_FLOOR_PROGRAM, {}, d.tools.Env(), d.tools.Folder() + "/floor.log");
    // The floor is seen painted before the program starts: the program's window, placed over
    // it, would hide the floor's pixel that tells.
    if (!WaitPainted(d, x, floor.Pid(), kFloorColour, 20))
      return state.SkipWithError("the floor's window was not shown");
    Session session(d.server.Display());
    Child program = session.Start();
    if (!WaitPainted(d, x, program.Pid(), d.background.pixel(kProbe), 20))
      return state.SkipWithError("not shown");
    std::this_thread::sleep_for(std::chrono::seconds(2));  // settled
    const double before = benchutil::CpuSeconds(program.Pid());
    const double floorBefore = benchutil::CpuSeconds(floor.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = benchutil::CpuSeconds(program.Pid()) - before;
    const double floorUsed = benchutil::CpuSeconds(floor.Pid()) - floorBefore;
    const double rss = static_cast<double>(ResidentKb(program.Pid())) / 1024.0;
    const double floorRss = static_cast<double>(ResidentKb(floor.Pid())) / 1024.0;
    state.counters["rss_MiB"] = rss;
    state.counters["floor_rss_MiB"] = floorRss;
    state.counters["rss_ratio"] = rss / floorRss;
    state.counters["cpu_ms_in_10s"] = used * 1000.0;
    state.counters["floor_cpu_ms_in_10s"] = floorUsed * 1000.0;
    state.counters["cpu_percent"] = used / 10.0 * 100.0;
    Stop(session, program);
  }
}
BENCHMARK(BM_Idle)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
