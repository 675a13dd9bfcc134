#pragma once

#include "SkinWriter.h"

// The section "SensitivitySettingPage": four DPI levels with seven values each, the X and Y
// sensitivity sliders with their thumbs, and the X/Y sync toggle (the page draws the DPI
// values).
void WriteSensitivitySettingPage(SkinWriter& skin);
