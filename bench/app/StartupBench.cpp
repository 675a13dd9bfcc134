// The built program with the simulated mouse on an Xvfb of its own: the time from starting the
// process to its main window shown (mapped and painted with the skin), the resident memory once
// it idles, and the processor time it uses while idle for ten seconds.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QLibraryInfo>
#include <QString>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/app/ProcessTimes.h"
#include "tests/app/ProgramSession.h"

namespace {

using apptest::Child;
using apptest::Clock;
using apptest::WaitFor;

// A private runtime, data and configuration folder, and the environment that uses them.
class Session : public apptest::ProgramSession {
 public:
  using ProgramSession::ProgramSession;
  Child Start(std::vector<std::string> args = {}, const std::string& program = KDZ_PROGRAM) const {
    return ProgramSession::Start(program, std::move(args));
  }
};

// Waits until the program's window is on the screen with its skin painted; false after 20 s.
bool WaitShown(apptest::XClient& x, pid_t pid, const QImage& background, int pollMs) {
  const QPoint probe(300, 30);
  return WaitFor(
      [&] {
        const Window w = x.WindowOf(pid);
        if (w == 0) return false;
        const QRect placed = x.Geometry(w);
        const QImage shot = x.Capture(QRect(placed.topLeft() + probe, QSize(1, 1)));
        return !shot.isNull() && shot.pixel(0, 0) == background.pixel(probe);
      },
      20000, pollMs);
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

void Stop(const Session& session, Child& program) {
  Child exit = session.Start({"exit"});
  exit.Wait(10000);
  program.Wait(10000);
}

struct Fixture {
  apptest::Xvfb server{1280, 800};
  QImage background{QStringLiteral(KDZ_PROGRAM_DIR "/Skin/MainWindow_BackGround.png")};
};

Fixture& Shared() {
  static Fixture* fixture = new Fixture;
  return *fixture;
}

// The time from starting `program` to its main window shown, in a fresh session each time.
void MeasureStartToShown(benchmark::State& state, const std::string& program) {
  Fixture& f = Shared();
  if (!f.server.Problem().empty()) return state.SkipWithError(f.server.Problem().c_str());
  apptest::XClient x(f.server.Display());
  for (auto _ : state) {
    Session session(f.server.Display());
    const auto start = Clock::now();
    Child child = session.Start({}, program);
    if (!WaitShown(x, child.Pid(), f.background, 2)) return state.SkipWithError("not shown");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    Stop(session, child);
  }
}

void BM_StartToMainWindowShown(benchmark::State& state) { MeasureStartToShown(state, KDZ_PROGRAM); }
BENCHMARK(BM_StartToMainWindowShown)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The same without the translation of Qt's own texts: the translation's share of the start.
void BM_StartToMainWindowShownWithoutQtTranslation(benchmark::State& state) {
  static const UntranslatedProgram copy;
  MeasureStartToShown(state, copy.Program());
}
BENCHMARK(BM_StartToMainWindowShownWithoutQtTranslation)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

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
    ->Iterations(5);

// Resident memory (kB) of a process, from /proc.
long ResidentKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

void BM_Idle(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.server.Problem().empty()) return state.SkipWithError(f.server.Problem().c_str());
  apptest::XClient x(f.server.Display());
  for (auto _ : state) {
    Session session(f.server.Display());
    Child program = session.Start();
    if (!WaitShown(x, program.Pid(), f.background, 20)) return state.SkipWithError("not shown");
    std::this_thread::sleep_for(std::chrono::seconds(2));  // settled
    const double before = benchutil::CpuSeconds(program.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = benchutil::CpuSeconds(program.Pid()) - before;
    state.counters["rss_MiB"] = static_cast<double>(ResidentKb(program.Pid())) / 1024.0;
    state.counters["cpu_ms_in_10s"] = used * 1000.0;
    state.counters["cpu_percent"] = used / 10.0 * 100.0;
    Stop(session, program);
  }
}
BENCHMARK(BM_Idle)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
