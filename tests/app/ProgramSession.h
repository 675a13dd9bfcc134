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

#include <QString>

#include "resources/INIFile.h"
// After Qt's headers: Xlib's macros would meet Qt's names.
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
            {"DBUS_SESSION_BUS_ADDRESS", NoSessionBus(folder_)},
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
  // Sets a variable of the program's environment; an empty value removes it.
  void SetEnv(const std::string& name, const std::string& value) { env_[name] = value; }
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

// The built program in a session on an Xvfb of its own (1280x800), its main window found, and
// the skin that places the window's controls. A test fixture derives from it besides
// ::testing::Test and starts the program in its SetUp.
class ProgramOnScreen {
 protected:
  // Starts `exe`, reads the skin of the program folder `programDir` and waits for the main
  // window; empty when the window is up, else what went wrong.
  std::string StartProgram(const std::string& exe, const QString& programDir) {
    if (!server_.Problem().empty()) return server_.Problem();
    if (!session_.Ok()) return "no session folder";
    if (skin_.SetFile((programDir + QStringLiteral("/Setup.ini")).toStdU16String()) != 1)
      return "no Setup.ini in " + programDir.toStdString();
    if (!x_.Connected()) return "no connection to " + server_.Display();
    program_ = session_.Start(exe);
    if (!WaitFor([&] { return (window_ = x_.WindowOf(program_.Pid())) != 0; }, 20000))
      return "no main window; log:\n" + session_.Log();
    placed_ = x_.Geometry(window_);
    return std::string();
  }

  // The rectangle of `key` in `section` of the skin (in its window's client area).
  QRect SkinRect(const char16_t* section, const char16_t* key) {
    int32_t v[4] = {};
    skin_.GetInts(section, key, v, 4);
    return QRect(v[0], v[1], v[2], v[3]);
  }

  Xvfb server_{1280, 800};
  ProgramSession session_{server_.Display()};
  XClient x_{server_.Display()};
  CINIFile skin_;
  Child program_;
  Window window_ = 0;
  QRect placed_;  // the main window on the screen
};

}  // namespace apptest
