#pragma once

#include "SkinWriter.h"

// The section of the macro manager: its sheets, mask, the faces of the two recording buttons,
// every control rectangle, and the event icons its list draws.
void WriteMacroManagerDialog(SkinWriter& skin);
