#pragma once

#include "settings/HoverTimer.h"
#include "settings/Records.h"

namespace settings {

// The one collection of macros that all four modes share, owned by the button page: the editing
// store that the macro manager changes, the compiler reads and sequence.dat holds, and the store
// as it stood at the last successful Apply. Used on the user-interface thread only.
class MacroStore {
 public:
  // Both stores zeroed: an unloaded store has count 0.
  MacroStore();

  // Copies macro `index` whole into `dest` and returns true when the index is below the store's
  // count (and below MAX_MACRO_COUNT); otherwise copies nothing and returns false.
  bool GetMacro(tagMACROINFO& dest, unsigned index) const;

  // Makes the committed store equal to the editing store (after a successful Apply).
  void CommitMacros();

  // Reads sequence.dat of the default-file folder into the editing store; a missing file or
  // folder leaves the store as it was. A count above 40, or an event count above 50, is bounded
  // so that no reader of the store goes beyond its arrays.
  void LoadSequenceFile();

  // Writes the editing store into sequence.dat, whole or not at all; true when it was written.
  // A failed write leaves the old file as it was.
  bool SaveSequenceFile() const;

  // Stop or start the page's hover timer, when one is attached.
  void StopHoverTimer();
  void StartHoverTimer();
  void SetHoverTimer(HoverTimer* timer) { hoverTimer_ = timer; }

  tagMACROSTORE macroStore;           // the editing store
  tagMACROSTORE committedMacroStore;  // the store of the last successful Apply; never read back

 private:
  HoverTimer* hoverTimer_ = nullptr;
};

}  // namespace settings
