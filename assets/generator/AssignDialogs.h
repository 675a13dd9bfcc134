#pragma once

#include "SkinWriter.h"

// The button page's two small dialogs: "AssignAShortcutDialg" (five modifier toggles and the key
// display) and "AssignAProgramToExecutonDialg" (the path edit and its browse button).
void WriteAssignAShortcutDialg(SkinWriter& skin);
void WriteAssignAProgramToExecutonDialg(SkinWriter& skin);
