#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Safe replacement of a whole file. The bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the old file, so a crash, a full disk or any other
// failure leaves either the complete old file or the complete new one, never a short file.
namespace sys {

// Creates or replaces `path` with the `size` bytes at `data`. A new file gets the permissions
// that the process's umask gives; a replaced file keeps its permissions. Returns ERROR_SUCCESS or
// the Windows code of the failure (winerr::FromErrno); on failure the old file is untouched and
// no temporary file is left behind.
//
// With FolderSync::Caller the rename is not yet made durable: the caller writes more files into
// the same folder and then calls SyncFolder once for all of them.
enum class FolderSync { Now, Caller };
int WriteFileAtomically(const std::string& path, const void* data, size_t size,
                        FolderSync folderSync = FolderSync::Now);

// Makes the renames into `folder` durable (fsync of the folder). A folder that cannot be synced
// is no failure: the files in it are complete on the disk either way.
void SyncFolder(const std::string& folder);

// Called with the path of every file and folder synced by the functions above, after its fsync
// (tests count them); an empty observer, the default, stops that. Not meant to be switched while
// other threads write files.
using SyncObserver = std::function<void(const std::string& path)>;
void SetSyncObserver(SyncObserver observer);

// True for a name that WriteFileAtomically gives its temporary files: ".Kavrin-DireZerud.tmp-"
// and six letters or digits.
bool IsTemporaryFileName(std::string_view name);

// Removes the temporary files that a write cut short by a crash or a kill left in `folder`: only
// regular files whose names IsTemporaryFileName accepts, never through a symbolic link (a linked
// folder or a linked entry is left alone). Call it only where no other process may be writing
// into the folder. Returns how many were removed.
int RemoveLeftoverTemporaryFiles(const std::string& folder);

}  // namespace sys
