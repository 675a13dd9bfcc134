#pragma once

#include <string>
#include <string_view>

#include "settings/Records.h"

// The choice of the mode that the application in the foreground asks for, over the applied mode
// records, so that the main window's timer only looks the application up and acts.
namespace app {

// The application paths of the four modes as the switch compares them. A mode matches when its
// stored path (at most 260 units of the field), lower-cased, is longer than 3 units and occurs
// anywhere in the process path, lower-cased; an absolute stored path also matches through its
// target with the links resolved, since the process path names the program with its links
// resolved. The whole process path is searched, however long it is.
class ApplicationPaths {
 public:
  // Takes the modes' paths again where their stored texts differ from those taken last; links
  // are resolved only then, not at every lookup.
  void Update(const settings::tagMODEINFO* modes);
  // Whether some mode has a path long enough to match: otherwise the foreground application
  // need not be looked up at all.
  bool AnyMatchable() const;
  // The first mode whose path matches `processPath`; -1 when none does. The answer for the last
  // process path is kept until a path changes: while the same program stays in front, it is
  // not compared again.
  int Match(std::u16string_view processPath);

 private:
  int MatchAnew(std::u16string_view processPath) const;

  struct ModePath {
    std::u16string stored;    // the text of the record
    std::u16string lower;     // lower-cased; empty when it is too short to match
    std::u16string resolved;  // the link target, lower-cased; empty for none
  };
  ModePath paths_[settings::MODE_COUNT];
  std::u16string lastProcess_;
  int lastMode_ = -1;
  bool lastKnown_ = false;  // lastMode_ answers lastProcess_ with the paths as they are
};

}  // namespace app
