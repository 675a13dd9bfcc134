#pragma once

#include <string_view>

#include "settings/Records.h"

// The choice of the mode that the application in the foreground asks for: plain functions over
// the mode records, so that the main window's timer only looks the application up and acts.
namespace app {

// The first of the four modes whose application path (at most 260 units of the field),
// lower-cased, is longer than 3 units and occurs anywhere in `processPath`, lower-cased; -1 when
// none does. The whole process path is searched, however long it is.
int MatchApplicationMode(const settings::tagMODEINFO* modes, std::u16string_view processPath);

}  // namespace app
