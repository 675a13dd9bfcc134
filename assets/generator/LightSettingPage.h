#pragma once

#include "SkinWriter.h"

// The section "LightSettingPage": light on/off, steady or breathing, seven colours and colour
// cycling, the interrupt toggle and the four time sliders.
void WriteLightSettingPage(SkinWriter& skin);
