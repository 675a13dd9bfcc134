#pragma once

#include "SkinWriter.h"

// The sheets of the popup menus, which the program names itself under "Defualt": the function
// menu and its submenus, and the three levels of the macro menu.
void WritePopupMenuSheets(SkinWriter& skin);

// The five 16 by 16 icons of the macro manager's event list on opaque black (which the list
// draws transparent): Skin/MacroKeyUp.png, MacroKeyDown.png, MacroKeyDelay.png,
// MacroMouseUp.png and MacroMouseDown.png.
void WriteEventIcons(SkinWriter& skin);
