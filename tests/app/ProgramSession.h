#pragma once

// A private runtime, data and configuration folder for one run of the built program with the
// simulated mouse on an X display, and the environment that points the program at them.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/app/ProgramUnderX.h"

namespace apptest {

class ProgramSession {
 public:
  explicit ProgramSession(const std::string& display) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kdz-session-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    for (const char* sub : {"runtime", "data", "config"})
      std::filesystem::create_directory(folder_ + "/" + sub);
    ::chmod((folder_ + "/runtime").c_str(), 0700);
    env_ = {{"DISPLAY", display},
            {"WAYLAND_DISPLAY", ""},
            {"QT_QPA_PLATFORM", "xcb"},
            {"XDG_RUNTIME_DIR", folder_ + "/runtime"},
            {"XDG_DATA_HOME", folder_ + "/data"},
            {"XDG_CONFIG_HOME", folder_ + "/config"},
            {"KDZ_SIMULATED_MOUSE", "1"},
            {"KDZ_SIMULATED_MOUSE_STATE", StatePath()}};
  }
  ~ProgramSession() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  bool Ok() const { return !folder_.empty(); }
  const std::string& Folder() const { return folder_; }
  std::string StatePath() const { return folder_ + "/mouse.state"; }
  Child Start(const std::string& program, std::vector<std::string> args = {}) const {
    return Child(program, args, env_, folder_ + "/program.log");
  }
  std::string Log() const {
    std::ifstream in(folder_ + "/program.log");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::string folder_;
  std::map<std::string, std::string> env_;
};

}  // namespace apptest
