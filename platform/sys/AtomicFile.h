#pragma once

#include <cstddef>
#include <string>

// Safe replacement of a whole file. The bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the old file, so a crash, a full disk or any other
// failure leaves either the complete old file or the complete new one, never a short file.
namespace sys {

// Creates or replaces `path` with the `size` bytes at `data`. A new file gets the permissions
// that the process's umask gives; a replaced file keeps its permissions. Returns ERROR_SUCCESS or
// the Windows code of the failure (winerr::FromErrno); on failure the old file is untouched and
// no temporary file is left behind.
int WriteFileAtomically(const std::string& path, const void* data, size_t size);

}  // namespace sys
