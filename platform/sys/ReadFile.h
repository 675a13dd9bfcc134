#pragma once

#include <cstddef>
#include <string>

namespace sys {

// Reads the whole of a regular file of at most `maxBytes` bytes into `out`. A named pipe or a
// device at the path is neither waited for nor read. False, with `out` empty, when the path does
// not open, is not a regular file, holds more than `maxBytes` or cannot be read.
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& out);

}  // namespace sys
