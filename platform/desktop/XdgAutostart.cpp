#include "platform/desktop/XdgAutostart.h"

#include <vector>

#include "platform/desktop/ForegroundApplication.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/DataFolder.h"
#include "platform/sys/ReadFile.h"
#include "platform/sys/Utf.h"
#include "platform/sys/WinError.h"

namespace desktop {
namespace {

constexpr std::string_view kGroup = "[Desktop Entry]";

// Characters that make the Exec key's quoting necessary.
bool IsReserved(char c) {
  return std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos ||
         c == '\r';
}

bool IsValidUtf8(std::string_view text) {
  bool replaced = false;
  sys::FromUtf8(text, &replaced);
  return !replaced;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// A "key=value" line's key and value, blanks around the '=' ignored; false for other lines.
bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return !key.empty() && key.front() != '#';
}

// Larger files are no desktop entry; reading them would hold up the caller.
constexpr size_t kMaxEntrySize = 1 << 20;

bool WriteEntry(const std::string& path, const std::string& text) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return false;
  if (!sys::CreateFolders(path.substr(0, slash))) return false;
  return sys::WriteFileAtomically(path, text.data(), text.size()) == winerr::ERROR_SUCCESS;
}

}  // namespace

std::optional<std::string> ExecProgramField(std::string_view executable) {
  if (executable.empty() || !IsValidUtf8(executable)) return std::nullopt;
  bool quote = false;
  for (const char c : executable) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '=') return std::nullopt;
    if ((u < 0x20 && c != '\n' && c != '\t' && c != '\r') || u == 0x7F) return std::nullopt;
    quote = quote || IsReserved(c);
  }
  // The quoting rule first: the argument as the command line holds it.
  std::string word;
  if (quote) word += '"';
  for (const char c : executable) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) word += '\\';
    word += c;
    if (c == '%') word += '%';
  }
  if (quote) word += '"';
  // Then the string-escape rule, which a reader undoes first.
  std::string field;
  for (const char c : word) {
    switch (c) {
      case '\\': field += "\\\\"; break;
      case '\n': field += "\\n"; break;
      case '\t': field += "\\t"; break;
      case '\r': field += "\\r"; break;
      default: field += c;
    }
  }
  return field;
}

std::optional<std::string> AutostartEntryText(std::string_view executable, bool on) {
  const std::optional<std::string> program = ExecProgramField(executable);
  if (!program) return std::nullopt;
  std::string text;
  text += kGroup;
  text += "\nType=Application\nName=";
  text += kAutostartName;
  text += "\nIcon=";
  text += kAutostartIcon;
  text += "\nExec=" + *program + kAutostartSwitch + "\n";
  if (!on) text += "Hidden=true\n";
  return text;
}

bool AutostartEntryEnabled(std::string_view text) {
  bool inGroup = false;
  bool hasExec = false;
  bool hidden = false;
  for (std::string_view line : Lines(text)) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inGroup = line == kGroup;
      continue;
    }
    std::string_view key, value;
    if (!inGroup || !SplitEntry(line, key, value)) continue;
    if (key == "Exec") hasExec = !value.empty();
    if (key == "Hidden") hidden = value == "true" || value == "1";
  }
  return hasExec && !hidden;
}

std::string WithHiddenTrue(std::string_view text) {
  std::string out;
  bool inGroup = false;
  bool done = false;
  const auto endGroup = [&] {
    if (inGroup && !done) {
      out += "Hidden=true\n";
      done = true;
    }
  };
  for (std::string_view line : Lines(text)) {
    const std::string_view trimmed = Trim(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      endGroup();
      inGroup = trimmed == kGroup;
    } else if (inGroup) {
      std::string_view key, value;
      if (SplitEntry(trimmed, key, value) && key == "Hidden") {
        if (!done) out += "Hidden=true\n";
        done = true;
        continue;
      }
    }
    out += line;
    out += '\n';
  }
  endGroup();
  if (!done) {
    // No group at all: the entry gets one, so that the key counts.
    out += kGroup;
    out += "\nHidden=true\n";
  }
  return out;
}

bool XdgAutostart::IsEnabled() {
  std::string text;
  return !entryPath_.empty() && sys::ReadRegularFile(entryPath_, kMaxEntrySize, text) && AutostartEntryEnabled(text);
}

bool XdgAutostart::SetEnabled(bool on) {
  if (entryPath_.empty()) return false;
  if (!on) {
    std::string text;
    if (sys::ReadRegularFile(entryPath_, kMaxEntrySize, text)) return WriteEntry(entryPath_, WithHiddenTrue(text));
  }
  const std::optional<std::string> text = AutostartEntryText(executable_, on);
  return text && WriteEntry(entryPath_, *text);
}

std::string AutostartEntryPath() {
  const std::string folder = sys::ConfigFolder();
  if (folder.empty()) return {};
  return folder + "/autostart/" + kAutostartEntryName;
}

std::unique_ptr<Autostart> CreateAutostart() {
  return std::make_unique<XdgAutostart>(AutostartEntryPath(), ProcessExecutablePath(::getpid()));
}

}  // namespace desktop
