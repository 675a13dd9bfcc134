#pragma once

#include <string>

namespace sys {

// The folder that holds the running executable (from /proc/self/exe), without a trailing '/'.
// The skin, the language file and the hook library are looked for there.
std::string ProgramFolder();

// Joins a folder and a relative name with '/'. Backslashes in `name` (as skin files written for
// Windows use them) become '/'.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace sys
