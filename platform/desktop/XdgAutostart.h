#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop/Autostart.h"

// The autostart entry as a desktop entry file:
//
//   [Desktop Entry]
//   Type=Application
//   Name=Kavrin-DireZerud
//   Icon=kavrin-direzerud
//   Exec=<the executable, quoted as the Exec key requires> /s
//   Hidden=true            (only while off)
//
// The file is read and written whole, however long the path, and written atomically.
namespace desktop {

inline constexpr char kAutostartName[] = "Kavrin-DireZerud";
inline constexpr char kAutostartIcon[] = "kavrin-direzerud";
inline constexpr char kAutostartSwitch[] = " /s";

// The executable as the first word of an Exec value, as it stands in the file: quoted when it
// holds a reserved character ('"', '`', '$' and '\' escaped inside the quotes), '%' doubled, and
// then string-escaped (each '\' doubled; newline, tab and carriage return as \n, \t, \r). Empty
// when no valid Exec can hold it: an empty path, a '=' (not allowed in the program's name),
// another control character, or bytes that are not UTF-8.
std::optional<std::string> ExecProgramField(std::string_view executable);

// The whole entry for `executable` ("/s" appended), on or off; empty when ExecProgramField is.
std::optional<std::string> AutostartEntryText(std::string_view executable, bool on);

// Whether an entry's text starts a program: in its [Desktop Entry] group, Exec is not empty and
// Hidden is not true.
bool AutostartEntryEnabled(std::string_view text);

// The entry's text with Hidden=true in its [Desktop Entry] group, everything else kept.
std::string WithHiddenTrue(std::string_view text);

class XdgAutostart : public Autostart {
 public:
  // `entryPath`: the entry's file; `executable`: the program it starts.
  XdgAutostart(std::string entryPath, std::string executable)
      : entryPath_(std::move(entryPath)), executable_(std::move(executable)) {}

  bool IsEnabled() override;
  // On writes the whole entry for the executable. Off keeps an existing entry with Hidden=true
  // (whoever wrote it), and writes the program's own entry hidden when there is none. Nothing is
  // written when the folder cannot be made or, for a new entry, the executable cannot be held.
  bool SetEnabled(bool on) override;

  const std::string& EntryPath() const { return entryPath_; }

 private:
  std::string entryPath_;
  std::string executable_;
};

}  // namespace desktop
