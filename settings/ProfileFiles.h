#pragma once

#include <cstddef>
#include <string>

#include "platform/sys/AtomicFile.h"

// The settings files: raw copies of the in-memory records, with no header, version or checksum.
namespace settings {

inline constexpr char SEQUENCE_FILE_NAME[] = "sequence.dat";

// Reads up to `n` bytes of an existing regular file into `buffer`. Bytes beyond the end of a
// shorter file keep what `buffer` held; bytes of a longer file beyond `n` are ignored. When the
// file cannot be opened, or a read fails part-way, `buffer` is left untouched. True when bytes
// were taken from the file.
bool ReadFileToBuffer(const std::string& path, void* buffer, size_t n);

// Reads an existing regular file into `buffer` only when it holds exactly `n` bytes; otherwise
// `buffer` is left untouched.
enum class ReadResult { Read, Unreadable, WrongSize };
ReadResult ReadExactFileToBuffer(const std::string& path, void* buffer, size_t n);

// Creates or replaces the file with the `n` bytes of `buffer`, whole or not at all: a failure
// leaves the old file as it was. True when the file was written. With FolderSync::Caller the
// caller syncs the folder once after several files (sys::SyncFolder).
bool WriteBufferToFile(const std::string& path, const void* buffer, size_t n,
                       sys::FolderSync folderSync = sys::FolderSync::Now);

// "<folder>/default<mode>", the default file of a mode.
std::string DefaultFilePath(const std::string& folder, int mode);

// "<folder>/sequence.dat".
std::string SequenceFilePath(const std::string& folder);

}  // namespace settings
