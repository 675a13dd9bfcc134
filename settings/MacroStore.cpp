#include "settings/MacroStore.h"

#include <cstring>
#include <string>

#include "platform/sys/DataFolder.h"
#include "settings/ProfileFiles.h"

namespace settings {

MacroStore::MacroStore() {
  std::memset(&macroStore, 0, sizeof macroStore);
  std::memset(&committedMacroStore, 0, sizeof committedMacroStore);
}

bool MacroStore::GetMacro(tagMACROINFO& dest, unsigned index) const {
  if (index >= UsableMacroCount(macroStore)) return false;
  dest = macroStore.macros[index];
  return true;
}

void MacroStore::CommitMacros() { committedMacroStore = macroStore; }

void MacroStore::LoadSequenceFile() {
  std::string folder;
  if (!sys::DataSubfolder(sys::kDefaultCfgSubfolder, folder)) return;
  if (!ReadFileToBuffer(SequenceFilePath(folder), &macroStore, sizeof macroStore)) return;
  // The file is trusted by no reader: bound the counts once here, so that the function menu, the
  // macro manager and the compiler all see a store that stays within its arrays.
  macroStore.count = UsableMacroCount(macroStore);
  for (tagMACROINFO& macro : macroStore.macros) macro.eventCount = UsableEventCount(macro);
}

bool MacroStore::SaveSequenceFile() const {
  std::string folder;
  if (!sys::DataSubfolder(sys::kDefaultCfgSubfolder, folder)) return false;
  return WriteBufferToFile(SequenceFilePath(folder), &macroStore, sizeof macroStore);
}

void MacroStore::StopHoverTimer() {
  if (hoverTimer_ != nullptr) hoverTimer_->Stop();
}

void MacroStore::StartHoverTimer() {
  if (hoverTimer_ != nullptr) hoverTimer_->Start();
}

}  // namespace settings
