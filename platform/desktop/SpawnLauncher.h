#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop/ProgramLauncher.h"

// The launcher of this desktop: posix_spawn, never a shell. A started process gets a session of
// its own, default signal handling, /dev/null for its standard streams and no other descriptor
// of this program (so it never holds the program's single-instance lock); the one reaper thread
// of ChildReaper waits for it, so it leaves no zombie, and it runs on when this program ends.
namespace desktop {

// The desktop's opener for files that are not programs.
inline constexpr char kDesktopOpener[] = "xdg-open";

// Starts `argv` (argv[0] is the program: a path, or a name looked up in $PATH) detached as
// above. The pid of the started process, or -1 when it could not be started, with the reason
// (an errno value) in `error` when given.
pid_t SpawnDetached(const std::vector<std::string>& argv, int* error = nullptr);

class SpawnLauncher : public ProgramLauncher {
 public:
  // `opener` opens what is not a program; a name is looked up in $PATH.
  explicit SpawnLauncher(std::string opener = kDesktopOpener) : opener_(std::move(opener)) {}

  bool Open(std::u16string_view path) override;

  // The command Open runs for a path (as UTF-8): {path} for an executable regular file,
  // {opener, path} for any other regular file that opens for reading, nothing otherwise; a
  // relative path is given as "./path". An
  // executable file that the system cannot run (a document with the execute bit, as every file
  // on some mounted Windows disks has it) goes to the opener after all.
  std::vector<std::string> CommandFor(const std::string& path) const;

 private:
  std::string opener_;
};

}  // namespace desktop
