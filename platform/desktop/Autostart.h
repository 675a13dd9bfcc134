#pragma once

#include <memory>
#include <string>

// The start of the program with the desktop session ("start with Windows"): an XDG autostart
// entry, $XDG_CONFIG_HOME/autostart/Kavrin-DireZerud.desktop, that starts the running executable
// with "/s". Switched off, the entry stays with Hidden=true, as the Run value stays with an empty
// string. Failures are silent: the next IsEnabled reads the state afresh.
namespace desktop {

// The file name of the entry, without its folder.
inline constexpr char kAutostartEntryName[] = "Kavrin-DireZerud.desktop";

class Autostart {
 public:
  virtual ~Autostart() = default;

  // On when the entry can be read, its Exec is not empty and Hidden is not true, whoever wrote
  // it ("IsAutoRunEnabled").
  virtual bool IsEnabled() = 0;
  // Writes the entry on or off. True when the file was written; callers may ignore it.
  virtual bool SetEnabled(bool on) = 0;
};

// $XDG_CONFIG_HOME/autostart/Kavrin-DireZerud.desktop (~/.config when $XDG_CONFIG_HOME is not
// absolute); empty when there is no configuration folder.
std::string AutostartEntryPath();

// The entry of this user for the running executable (/proc/self/exe).
std::unique_ptr<Autostart> CreateAutostart();

}  // namespace desktop
