#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

// What a process has used so far, from /proc, for the benchmarks that watch the program.
namespace benchutil {

// User and system processor time of a process, in seconds; -1 when it cannot be read.
inline double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  // After the name: state is field 3; utime and stime are fields 14 and 15.
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// What one thread has used so far: its time on a processor in nanoseconds (the scheduler's own
// count) and its context switches (each time it went to sleep and was woken, or was preempted).
struct ThreadUse {
  long long runNs = 0;
  long switches = 0;
};

// The use of each running thread of a process, by thread id; empty when it cannot be read.
inline std::map<std::string, ThreadUse> ThreadUses(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code ec;
  std::map<std::string, ThreadUse> uses;
  for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
    ThreadUse use;
    if (!(std::ifstream(task.path() / "schedstat") >> use.runNs)) continue;
    std::ifstream in(task.path() / "status");
    std::string line;
    while (std::getline(in, line)) {
      for (const char* key : {"voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"}) {
        if (line.rfind(key, 0) == 0) use.switches += std::stol(line.substr(std::strlen(key)));
      }
    }
    uses[task.path().filename().string()] = use;
  }
  return uses;
}

// What a process's threads used between two readings. A thread that began meanwhile counts
// whole; one that ended meanwhile counts nothing, as its figures went with it (an idle thread
// of a pool that expires costs its last wake-up), where a plain difference of the sums would
// take its whole past off.
inline ThreadUse UseBetween(const std::map<std::string, ThreadUse>& before,
                            const std::map<std::string, ThreadUse>& after) {
  ThreadUse used;
  for (const auto& [id, now] : after) {
    const auto then = before.find(id);
    used.runNs += now.runNs - (then != before.end() ? then->second.runNs : 0);
    used.switches += now.switches - (then != before.end() ? then->second.switches : 0);
  }
  return used;
}

// The time all running threads of a process have spent on a processor so far, in seconds, to
// the nanosecond; -1 when it cannot be read.
inline double RunSeconds(pid_t pid) {
  const std::map<std::string, ThreadUse> uses = ThreadUses(pid);
  if (uses.empty()) return -1;
  long long total = 0;
  for (const auto& [id, use] : uses) total += use.runNs;
  return static_cast<double>(total) / 1e9;
}

}  // namespace benchutil
