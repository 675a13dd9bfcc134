#include "platform/desktop/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace desktop {
namespace {

constexpr char kFolderName[] = "Kavrin-DireZerud";
constexpr char kFallbackName[] = "Kavrin-DireZerud";
constexpr char kExitLine[] = "exit\n";
constexpr char kActivateLine[] = "activate\n";
constexpr char kYesLine[] = "ok\n";
constexpr char kNoLine[] = "no\n";
// A request or an answer is one short line; anything longer is not one.
constexpr size_t kMaxLine = 32;
// How often "exit" looks whether the running instance has released the lock.
constexpr int kReleaseProbeMs = 20;

using Clock = std::chrono::steady_clock;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Rounded up, so that a wait never ends before its deadline.
int RemainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

// Reads one line (up to and without '\n') before the deadline; false on time-out, end of
// stream, error, an over-long line, or when `wakeFd` (if any) becomes readable.
bool ReadLine(int fd, Clock::time_point deadline, std::string& line, int wakeFd = -1) {
  line.clear();
  for (;;) {
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int ready = ::poll(p, wakeFd >= 0 ? 2 : 1, RemainingMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (ready == 0 && RemainingMs(deadline) == 0)) return false;
    if (ready == 0) continue;
    if (wakeFd >= 0 && (p[1].revents & POLLIN) != 0) return false;
    char buffer[kMaxLine];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') return true;
      line.push_back(buffer[i]);
    }
    if (line.size() > kMaxLine) return false;
  }
}

bool SendAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool UsableName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

std::string CommandLineText(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] == nullptr) break;
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

StartSwitches ParseStartSwitches(std::string_view commandLine) {
  std::string lower(commandLine);
  for (char& c : lower) c = Lower(c);
  StartSwitches s;
  s.exit = lower.find("exit") != std::string::npos;
  s.silent = lower.find("/s") != std::string::npos;
  return s;
}

StartAction DecideStart(bool peerRunning, bool peerPublished, const StartSwitches& switches) {
  if (peerRunning) {
    if (!peerPublished) return StartAction::Quit;
    return switches.exit ? StartAction::SendExit : StartAction::SendActivate;
  }
  if (switches.exit) return StartAction::Quit;
  return switches.silent ? StartAction::RunHidden : StartAction::Run;
}

InstanceCommand DecideRequest(InstanceRequest request, bool isMyDevice) {
  if (request == InstanceRequest::Exit) return InstanceCommand::Exit;
  return isMyDevice ? InstanceCommand::Raise : InstanceCommand::None;
}

std::string ExecutableBaseName() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  std::string name;
  if (n > 0) {
    path[n] = '\0';
    name = path;
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
  } else if (program_invocation_short_name != nullptr) {
    name = program_invocation_short_name;
  }
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return UsableName(name) ? name : kFallbackName;
}

std::string DefaultInstanceFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime != nullptr && runtime[0] == '/' && ::stat(runtime, &st) == 0 &&
      S_ISDIR(st.st_mode)) {
    std::string folder = runtime;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder + "/" + kFolderName;
  }
  return std::string("/tmp/") + kFolderName + "-" + std::to_string(::geteuid());
}

SingleInstance::SingleInstance(std::string name, Options options)
    : name_(UsableName(name) ? std::move(name) : std::string(kFallbackName)),
      folder_(options.folder.empty() ? DefaultInstanceFolder() : std::move(options.folder)),
      answerTimeoutMs_(options.answerTimeoutMs),
      exitWaitMs_(options.exitWaitMs) {}

SingleInstance::~SingleInstance() {
  Unpublish();
  CloseFd(lockFd_);
}

std::string SingleInstance::LockPath() const { return folder_ + "/" + name_ + ".lock"; }
std::string SingleInstance::SocketPath() const { return folder_ + "/" + name_ + ".socket"; }

bool SingleInstance::EnsureFolder() {
  if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "Cannot create %s: %s\n", folder_.c_str(), std::strerror(errno));
    return false;
  }
  // The folder may have been there before: it must be ours, a real folder, and closed to others.
  struct stat st {};
  if (::lstat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
    std::fprintf(stderr, "%s is not a folder of this user; not using it\n", folder_.c_str());
    return false;
  }
  if ((st.st_mode & 077) != 0 && ::chmod(folder_.c_str(), 0700) != 0) return false;
  return true;
}

SingleInstance::StartOutcome SingleInstance::Start(std::string_view commandLine) {
  const StartSwitches switches = ParseStartSwitches(commandLine);
  StartOutcome outcome;
  bool peerRunning = false;
  if (lockFd_ < 0) {
    if (EnsureFolder()) {
      const int fd = ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
      if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lockFd_ = fd;
      } else {
        peerRunning = fd >= 0 && errno == EWOULDBLOCK;
        if (!peerRunning)
          std::fprintf(stderr, "Cannot lock %s: %s; running without the single-instance guard\n",
                       LockPath().c_str(), std::strerror(errno));
        if (fd >= 0) ::close(fd);
      }
    }
  }
  if (!peerRunning) {
    outcome.action = DecideStart(false, false, switches);
    return outcome;
  }
  // Another instance runs. Whether it has published its socket shows in the attempt to send.
  const StartAction wouldSend = DecideStart(true, true, switches);
  outcome.sent = Send(wouldSend == StartAction::SendExit ? InstanceRequest::Exit
                                                         : InstanceRequest::Activate);
  outcome.action = outcome.sent == SendResult::NotPublished ? DecideStart(true, false, switches)
                                                            : wouldSend;
  if (outcome.action == StartAction::SendExit) {
    // An answer tells that the request is queued, not that it is carried out: the running
    // instance may be busy (an Apply) for a while before it ends.
    if (outcome.sent == SendResult::Refused) {
      std::fprintf(stderr, "The running instance refused to exit\n");
    } else if (!(outcome.peerEnded = WaitForRelease())) {
      std::fprintf(stderr, "The running instance has not ended within %u ms; it still holds %s\n",
                   static_cast<unsigned>(exitWaitMs_), LockPath().c_str());
    }
  }
  return outcome;
}

bool SingleInstance::WaitForRelease() const {
  const int fd = ::open(LockPath().c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  // A lock file removed meanwhile holds no later start back.
  if (fd < 0) return errno == ENOENT;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(exitWaitMs_);
  bool released = false;
  for (;;) {
    // The probe takes the lock and lets it go at once: this process only passes "exit" on.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::flock(fd, LOCK_UN);
      released = true;
      break;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    const int left = RemainingMs(deadline);
    if (left == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kReleaseProbeMs)));
  }
  ::close(fd);
  return released;
}

SingleInstance::SendResult SingleInstance::Send(InstanceRequest request) {
  sockaddr_un address;
  if (!MakeAddress(SocketPath(), address)) return SendResult::NotPublished;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return SendResult::NotPublished;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    // EAGAIN: the listener's queue is full, so it is not taking requests in.
    const bool busy = errno == EAGAIN;
    ::close(fd);
    return busy ? SendResult::NoAnswer : SendResult::NotPublished;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(answerTimeoutMs_);
  std::string answer;
  const bool answered =
      SendAll(fd, request == InstanceRequest::Exit ? kExitLine : kActivateLine) &&
      ReadLine(fd, deadline, answer);
  ::close(fd);
  if (!answered) return SendResult::NoAnswer;
  return answer == std::string_view(kYesLine, 2) ? SendResult::Answered : SendResult::Refused;
}

bool SingleInstance::Publish(CommandHandler handler) {
  if (lockFd_ < 0 || Published()) return false;
  sockaddr_un address;
  const std::string path = SocketPath();
  if (!MakeAddress(path, address)) {
    std::fprintf(stderr, "%s is too long for a local socket\n", path.c_str());
    return false;
  }
  // The lock is ours, so a socket file still there was left by an instance that died.
  ::unlink(path.c_str());
  listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (listenFd_ < 0 || wakeFd_ < 0 ||
      ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(path.c_str(), 0600) != 0 || ::listen(listenFd_, 8) != 0) {
    std::fprintf(stderr, "Cannot serve %s: %s\n", path.c_str(), std::strerror(errno));
    CloseFd(listenFd_);
    CloseFd(wakeFd_);
    ::unlink(path.c_str());
    return false;
  }
  handler_ = std::move(handler);
  server_ = std::thread([this] { Serve(); });
  return true;
}

void SingleInstance::Unpublish() {
  if (!Published()) return;
  const uint64_t one = 1;
  if (::write(wakeFd_, &one, sizeof one) < 0) {
    // An eventfd write only fails when its counter is full, and then the thread wakes anyway.
  }
  server_.join();
  CloseFd(listenFd_);
  CloseFd(wakeFd_);
  ::unlink(SocketPath().c_str());
  handler_ = nullptr;
}

void SingleInstance::Serve() {
  for (;;) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (fds[1].revents & POLLIN) != 0) return;
    if ((fds[0].revents & POLLIN) == 0) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    HandleConnection(fd);
    ::close(fd);
  }
}

void SingleInstance::HandleConnection(int fd) {
  // A client that connects and says nothing holds the server up for one time-out at most, and
  // Unpublish not at all.
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(answerTimeoutMs_);
  std::string line;
  if (!ReadLine(fd, deadline, line, wakeFd_)) return;
  InstanceRequest request;
  if (line == "exit") {
    request = InstanceRequest::Exit;
  } else if (line == "activate") {
    request = InstanceRequest::Activate;
  } else {
    SendAll(fd, kNoLine);
    return;
  }
  const InstanceCommand command = DecideRequest(request, deviceFlag_);
  const bool accepted = command == InstanceCommand::None || (handler_ && handler_(command));
  SendAll(fd, accepted ? kYesLine : kNoLine);
}

}  // namespace desktop
