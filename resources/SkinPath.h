#pragma once

#include <string>
#include <string_view>

namespace resources {

// The path of a file named in the skin file: the value joined to the program folder with '/',
// its backslashes turned into '/'. When that file does not exist, each component of the value
// is looked up in its folder ignoring ASCII letter case, so a skin written on a system with
// case-insensitive names still finds its images. Components that cannot be found stay as
// written. The result is UTF-8.
std::string SkinPath(const std::string& programFolder, std::u16string_view value);

}  // namespace resources
