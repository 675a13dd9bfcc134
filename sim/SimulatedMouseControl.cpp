#include "sim/SimulatedMouseControl.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace sim {
namespace {

// A line longer than this is no command: it is dropped up to its end.
constexpr size_t kMaxLineLength = 256;

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// A decimal or "0x" hexadecimal number no greater than `max`.
bool ParseNumber(std::string_view text, unsigned max, unsigned& out) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty()) return false;
  unsigned long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size() || value > max) return false;
  out = static_cast<unsigned>(value);
  return true;
}

// The named pipe at `path` opened for reading, or -1 (also when something else is there).
// Non-blocking, so that the open does not wait for a writer; poll does the waiting.
int OpenPipe(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode)) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

void SayIgnored(std::string_view line, const std::string& problem) {
  std::fprintf(stderr, "simulated mouse control: ignored \"%.*s\": %s\n",
               static_cast<int>(line.size()), line.data(), problem.c_str());
}

}  // namespace

bool ParseControlLine(std::string_view line, ControlCommand& out, std::string& problem) {
  const std::vector<std::string_view> words = Words(line);
  if (words.empty()) {
    problem = "empty line";
    return false;
  }
  const std::string_view verb = words[0];
  const auto arguments = [&](size_t n) {
    if (words.size() == n + 1) return true;
    problem = std::string(verb) + " takes " + std::to_string(n) + " number" + (n == 1 ? "" : "s");
    return false;
  };
  ControlCommand c;
  if (verb == "keys") {
    unsigned keys = 0;
    if (!arguments(1)) return false;
    if (!ParseNumber(words[1], 0xFFFF, keys)) {
      problem = "the key state is a number from 0 to 0xFFFF";
      return false;
    }
    c.kind = ControlCommand::Kind::Keys;
    c.keys = static_cast<uint16_t>(keys);
  } else if (verb == "mode") {
    unsigned mode = 0, level = 0, rate = 0;
    if (!arguments(3)) return false;
    if (!ParseNumber(words[1], kModeCount - 1, mode) || !ParseNumber(words[2], 7, level) ||
        !ParseNumber(words[3], 3, rate)) {
      problem = "mode 0-3, DPI level 0-7 and rate index 0-3 are wanted";
      return false;
    }
    c.kind = ControlCommand::Kind::Mode;
    c.mode = static_cast<int>(mode);
    c.level = static_cast<int>(level);
    c.rate = static_cast<int>(rate);
  } else if (verb == "unplug" || verb == "plug") {
    if (!arguments(0)) return false;
    c.kind = verb == "plug" ? ControlCommand::Kind::Plug : ControlCommand::Kind::Unplug;
  } else {
    problem = "unknown command (keys, mode, unplug, plug)";
    return false;
  }
  out = c;
  return true;
}

void ApplyControlCommand(SimulatedMouse& mouse, const ControlCommand& command) {
  switch (command.kind) {
    case ControlCommand::Kind::Keys:
      mouse.InjectKeyStatus(command.keys);
      break;
    case ControlCommand::Kind::Mode:
      mouse.ChangeModeByButton(command.mode, command.level, command.rate);
      break;
    case ControlCommand::Kind::Unplug:
      mouse.Disconnect();
      break;
    case ControlCommand::Kind::Plug:
      mouse.Reconnect();
      break;
  }
}

SimulatedMouseControl::SimulatedMouseControl(std::string path, SimulatedMouse& mouse)
    : path_(std::move(path)), mouse_(mouse) {
  if (::mkfifo(path_.c_str(), 0600) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "simulated mouse control: cannot make the pipe %s: %s\n", path_.c_str(),
                 std::strerror(errno));
    return;
  }
  const int fd = OpenPipe(path_);
  if (fd < 0) {
    std::fprintf(stderr, "simulated mouse control: %s is not a named pipe that can be read\n",
                 path_.c_str());
    return;
  }
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC) != 0) {
    ::close(fd);
    return;
  }
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  reader_ = std::thread([this, fd] { ReadLoop(fd); });
}

SimulatedMouseControl::~SimulatedMouseControl() {
  if (reader_.joinable()) {
    const char stop = 'x';
    while (::write(wakeWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    reader_.join();
  }
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

void SimulatedMouseControl::ReadLoop(int fd) {
  std::string line;
  bool overlong = false;  // dropping the rest of a line that grew too long
  const auto endLine = [&] {
    if (overlong) {
      SayIgnored(line, "line too long");
    } else if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    if (!overlong) HandleLine(line);
    line.clear();
    overlong = false;
  };
  char buffer[512];
  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) break;
    if (fds[0].revents == 0) continue;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      break;
    }
    if (n == 0) {
      // The last writer closed its end: its last line counts even without a line end. A pipe
      // read to its end keeps reporting the hang-up, so it is opened afresh, which waits for
      // the next writer without reporting anything. The new end is opened before the old one
      // is closed, so that the pipe never lacks a reader and a next writer loses nothing.
      if (!line.empty() || overlong) endLine();
      const int next = OpenPipe(path_);
      ::close(fd);
      fd = next;
      if (fd < 0) {
        std::fprintf(stderr, "simulated mouse control: %s is no longer a named pipe\n",
                     path_.c_str());
        // Nothing more to read: the thread waits for its stop, so that it ends only through
        // the destructor's join, also when the object lives until the process ends.
        pollfd stop = {wakeRead_, POLLIN, 0};
        while (::poll(&stop, 1, -1) < 0 && errno == EINTR) {
        }
        return;
      }
      continue;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') {
        endLine();
      } else if (line.size() < kMaxLineLength) {
        line += buffer[i];
      } else {
        overlong = true;
      }
    }
  }
  ::close(fd);
}

void SimulatedMouseControl::HandleLine(std::string_view line) {
  ControlCommand command;
  std::string problem;
  if (ParseControlLine(line, command, problem)) {
    ApplyControlCommand(mouse_, command);
  } else if (!Words(line).empty()) {
    SayIgnored(line, problem);
  }
}

}  // namespace sim
