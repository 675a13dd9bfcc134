#pragma once

#include <string>

// The text shown for a macro mouse event (a `MacroMouseCode` of a button going up or down);
// empty for any other code, the click codes among them.
std::u16string MouseEventName(unsigned code);
