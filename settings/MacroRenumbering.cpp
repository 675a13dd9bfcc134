#include "settings/MacroRenumbering.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/DataFolder.h"
#include "settings/FunctionCodes.h"
#include "settings/ProfileFiles.h"

namespace settings {
namespace {

// Renumbers the default file at `path`; true unless a changed file could not be written.
bool RenumberDefaultFile(const std::string& path, MacroDeletions deletions) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return true;  // no file: nothing to renumber
  // A shorter file is read, and written back, to its own length: the loader takes the rest of
  // the record from the factory defaults, and that must stay so. Bytes beyond one record are
  // never read by the loader.
  tagMODEINFO record;
  std::memset(&record, 0, sizeof record);
  const size_t n = size < sizeof record ? static_cast<size_t>(size) : sizeof record;
  if (n == 0 || !ReadFileToBuffer(path, &record, n)) return true;
  const tagMODEINFO before = record;
  RenumberMacroButtons(std::span(&record, 1), deletions);
  if (std::memcmp(&record, &before, n) == 0) return true;  // unchanged: not written
  return WriteBufferToFile(path, &record, n, sys::FolderSync::Caller);
}

}  // namespace

int MacroIndexAfterDeletions(int index, MacroDeletions deletions) {
  if (index >= MAX_MACRO_COUNT) return index;
  for (int deleted : deletions) {
    if (index == deleted) return -1;
    if (index > deleted) --index;
  }
  return index;
}

bool RenumberMacroButtons(std::span<tagMODEINFO> modes, MacroDeletions deletions) {
  bool changed = false;
  for (tagMODEINFO& mode : modes) {
    for (tagKEYDEFINEINFO& key : mode.keys) {
      if (key.major != MAJOR_FUN_MACRO) continue;
      const int now = MacroIndexAfterDeletions(key.macroIndex, deletions);
      if (now == key.macroIndex) continue;
      if (now < 0) {
        // Never the macro that moved into its place.
        key.macroIndex = DELETED_MACRO_INDEX;
        key.minor = DELETED_MACRO_INDEX + MINOR_FUN_FIRST_MACRO;
      } else {
        const int shift = key.macroIndex - now;
        key.macroIndex = static_cast<uint8_t>(now);
        key.minor = static_cast<uint8_t>(key.minor >= shift ? key.minor - shift : 0);
      }
      changed = true;
    }
  }
  return changed;
}

bool RenumberDefaultFileMacroButtons(MacroDeletions deletions) {
  if (deletions.empty()) return true;
  std::string folder;
  if (!sys::DataSubfolder(sys::kDefaultCfgSubfolder, folder)) return false;
  bool written = true;
  for (int m = 0; m < MODE_COUNT; ++m) {
    if (!RenumberDefaultFile(DefaultFilePath(folder, m), deletions)) written = false;
  }
  sys::SyncFolder(folder);
  return written;
}

bool SaveSequenceFileAfterDeletions(const MacroStore& store, MacroDeletions deletions,
                                    tagMODEINFO* applied) {
  if (applied != nullptr) RenumberMacroButtons(std::span(applied, MODE_COUNT), deletions);
  return store.SaveSequenceFile() && RenumberDefaultFileMacroButtons(deletions);
}

}  // namespace settings
