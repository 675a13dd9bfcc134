#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// The time all running threads of a process have spent on a processor so far, in seconds, to
// the nanosecond (the scheduler's own count); -1 when it cannot be read.
inline double RunSeconds(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code ec;
  long long total = 0;
  bool any = false;
  for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
    long long ns = 0;
    if (std::ifstream(task.path() / "schedstat") >> ns) {
      total += ns;
      any = true;
    }
  }
  return any ? static_cast<double>(total) / 1e9 : -1;
}

// The context switches of all threads of a process so far: each time a thread went to sleep
// and was woken, or was preempted; -1 when they cannot be read.
inline long ContextSwitches(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code ec;
  long total = 0;
  bool any = false;
  for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
    std::ifstream in(task.path() / "status");
    std::string line;
    while (std::getline(in, line)) {
      for (const char* key : {"voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"}) {
        if (line.rfind(key, 0) == 0) {
          total += std::stol(line.substr(std::strlen(key)));
          any = true;
        }
      }
    }
  }
  return any ? total : -1;
}

}  // namespace benchutil
