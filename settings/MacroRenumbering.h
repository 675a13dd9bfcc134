#pragma once

#include <span>

#include "settings/MacroStore.h"
#include "settings/Records.h"

// Keeping the macro buttons on their macros when macros are deleted from the store: a button
// names its macro by store index, and every macro after a deleted one moves up one place.
namespace settings {

// The store index a button is given when its macro was deleted: past every store (a store holds
// at most MAX_MACRO_COUNT macros), so its row names no macro and Apply encodes it as off, and no
// macro added later can take it.
inline constexpr uint8_t DELETED_MACRO_INDEX = MAX_MACRO_COUNT;

// The macros deleted from the store, in order, each by the index it had when it was deleted.
using MacroDeletions = std::span<const int>;

// Where the macro at store index `index` stands after `deletions`; -1 when it was deleted itself.
// An index at or past MAX_MACRO_COUNT names no macro of any store and stays as it is.
int MacroIndexAfterDeletions(int index, MacroDeletions deletions);

// Makes every macro button of `modes` name, after `deletions`, the macro it named before them
// (its macroIndex and its minor move together); a button whose macro was deleted gets
// DELETED_MACRO_INDEX. Other buttons are left alone. True when a button changed.
bool RenumberMacroButtons(std::span<tagMODEINFO> modes, MacroDeletions deletions);

// The same for the default files default0 to default3: a file in which a button changed is
// rewritten whole through the atomic writer, with its length kept; a missing file stays absent
// and an unchanged one is not written. True when every file that changed was written; a failed
// write leaves that file as it was.
bool RenumberDefaultFileMacroButtons(MacroDeletions deletions);

// Saves sequence.dat of `store`, which went through `deletions`, and renumbers by them the
// macro buttons of the four records at `applied` (null for none) and of the default files. The
// default files are rewritten only once sequence.dat holds the new order, so that the files on
// the disk always agree. True when every file was written.
bool SaveSequenceFileAfterDeletions(const MacroStore& store, MacroDeletions deletions,
                                    tagMODEINFO* applied);

}  // namespace settings
