#include "platform/desktop/SpawnLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/desktop/ChildReaper.h"
#include "platform/sys/Utf.h"

extern char** environ;

namespace desktop {
namespace {

// Whether `path` opens for reading as an existing regular file. O_NONBLOCK keeps a named pipe
// from blocking the open; it is refused afterwards as not a regular file.
bool OpensAsRegularFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular;
}

class SpawnAttributes {
 public:
  SpawnAttributes() {
    ok_ = posix_spawnattr_init(&attr_) == 0;
    if (!ok_) return;
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    // A session of its own, no blocked signals and default handling for every signal: what
    // this program blocks or ignores on its threads is none of the started program's business.
    ok_ = posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                               POSIX_SPAWN_SETSIGDEF) == 0 &&
          posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
          posix_spawnattr_setsigdefault(&attr_, &all) == 0;
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  bool Ok() const { return ok_; }
  const posix_spawnattr_t* Get() const { return &attr_; }

 private:
  posix_spawnattr_t attr_;
  bool ok_ = false;
};

class SpawnFileActions {
 public:
  SpawnFileActions() {
    ok_ = posix_spawn_file_actions_init(&actions_) == 0;
    if (!ok_) return;
    // Standard streams on /dev/null, every other descriptor closed.
    ok_ = posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0) == 0 &&
          posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0) == 0 &&
          posix_spawn_file_actions_adddup2(&actions_, 1, 2) == 0 &&
          posix_spawn_file_actions_addclosefrom_np(&actions_, 3) == 0;
  }
  ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnFileActions(const SpawnFileActions&) = delete;
  SpawnFileActions& operator=(const SpawnFileActions&) = delete;
  bool Ok() const { return ok_; }
  const posix_spawn_file_actions_t* Get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
  bool ok_ = false;
};

}  // namespace

pid_t SpawnDetached(const std::vector<std::string>& argv, int* error) {
  if (error) *error = EINVAL;
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const SpawnAttributes attributes;
  const SpawnFileActions actions;
  if (!attributes.Ok() || !actions.Ok()) {
    if (error) *error = ENOMEM;
    return -1;
  }
  pid_t pid = -1;
  // A name without '/' is looked up in $PATH; a path is taken as it stands.
  const bool search = argv[0].find('/') == std::string::npos;
  const int rc = search ? posix_spawnp(&pid, args[0], actions.Get(), attributes.Get(), args.data(),
                                       environ)
                        : posix_spawn(&pid, args[0], actions.Get(), attributes.Get(), args.data(),
                                      environ);
  if (error) *error = rc;
  if (rc != 0) return -1;
  // The started program may run for longer than this one: the reaper waits for it, so that it
  // never stays a zombie while this program runs; when this program ends first, the system's
  // reaper takes it over.
  ChildReaper::Instance().Watch(pid);
  return pid;
}

std::vector<std::string> SpawnLauncher::CommandFor(const std::string& path) const {
  // A path with a zero byte would name another file than the one asked for.
  if (path.empty() || path.find('\0') != std::string::npos || !OpensAsRegularFile(path))
    return {};
  // A relative path is anchored: alone, a bare name would be looked up in $PATH, and for the
  // opener a name starting with '-' would read as an option.
  const std::string file = path.front() == '/' ? path : "./" + path;
  if (::access(path.c_str(), X_OK) == 0) return {file};
  return {opener_, file};
}

bool SpawnLauncher::Open(std::u16string_view path) {
  const std::vector<std::string> command = CommandFor(sys::ToUtf8(path));
  if (command.empty()) return false;
  int error = 0;
  if (SpawnDetached(command, &error) > 0) return true;
  return command.size() == 1 && error == ENOEXEC && SpawnDetached({opener_, command[0]}) > 0;
}

std::unique_ptr<ProgramLauncher> CreateProgramLauncher() {
  return std::make_unique<SpawnLauncher>();
}

}  // namespace desktop
