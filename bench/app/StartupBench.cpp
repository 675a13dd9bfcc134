// The built program with the simulated mouse on an Xvfb of its own: the time from starting the
// process to its main window shown (mapped and painted with the skin), the resident memory once
// it idles, and the processor time it uses while idle for ten seconds.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QString>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/app/ProcessTimes.h"
#include "tests/app/ProgramSession.h"
#include "tests/app/ProgramUnderX.h"

namespace {

using apptest::Child;
using apptest::Clock;
using apptest::WaitFor;

// A private runtime, data and configuration folder, and the environment that uses them.
class Session : public apptest::ProgramSession {
 public:
  using ProgramSession::ProgramSession;
  Child Start(std::vector<std::string> args = {}) const {
    return ProgramSession::Start(KDZ_PROGRAM, std::move(args));
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

void BM_StartToMainWindowShown(benchmark::State& state) {
  Fixture& f = Shared();
  if (!f.server.Problem().empty()) return state.SkipWithError(f.server.Problem().c_str());
  apptest::XClient x(f.server.Display());
  for (auto _ : state) {
    Session session(f.server.Display());
    const auto start = Clock::now();
    Child program = session.Start();
    if (!WaitShown(x, program.Pid(), f.background, 2)) return state.SkipWithError("not shown");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    Stop(session, program);
  }
}
BENCHMARK(BM_StartToMainWindowShown)
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
