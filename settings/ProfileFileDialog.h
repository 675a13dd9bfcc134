#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace settings {

// The open and save dialogs of Import and Export. The main window implements it with the
// desktop's file dialog; tests script it.
class ProfileFileDialog {
 public:
  // Flags in the terms of the Windows file dialog.
  static constexpr uint32_t OFN_OVERWRITEPROMPT = 0x0002;  // ask before replacing a file
  static constexpr uint32_t OFN_HIDEREADONLY = 0x0004;
  static constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;   // refuse a name that does not exist

  struct Options {
    bool save = false;  // save dialog (Export) or open dialog (Import)
    uint32_t flags = 0;
    std::string_view defaultExtension;  // ".gmp"
    std::string_view initialName;       // "*.gmp"
    std::string_view filter;            // "description|pattern|" pairs
    std::string initialFolder;
  };

  virtual ~ProfileFileDialog() = default;

  // Runs the dialog; true with the chosen path when the user confirmed, false when cancelled.
  virtual bool Run(const Options& options, std::string& path) = 0;
};

inline constexpr std::string_view PROFILE_EXTENSION = ".gmp";
inline constexpr std::string_view PROFILE_INITIAL_NAME = "*.gmp";
inline constexpr std::string_view PROFILE_FILTER = "Gaming Mouse Profile(*.gmp)|*.gmp|";

}  // namespace settings
