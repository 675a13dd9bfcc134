#pragma once

#include <memory>
#include <string>
#include <string_view>

// Opening a file as the shell's "open" verb does: a program is started, any other file is opened
// with the desktop's program for it.
namespace desktop {

class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;

  // Nothing happens unless `path` opens for reading as an existing regular file (a folder does
  // nothing). An executable file is started directly, anything else goes to the desktop's opener
  // (xdg-open), with the path as its one argument whatever characters it holds; no shell is
  // involved. The started process runs detached, in a session of its own: it outlives this
  // program, leaves no zombie and inherits none of its descriptors. True when it was started.
  virtual bool Open(std::u16string_view path) = 0;
};

std::unique_ptr<ProgramLauncher> CreateProgramLauncher();

}  // namespace desktop
