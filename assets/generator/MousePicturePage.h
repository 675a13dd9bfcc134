#pragma once

#include "SkinWriter.h"

// The section "MousePictruePage": the mouse seen from above on the right of the KeyDefine tab,
// with a marker on each of its ten buttons (the page draws the markers' numbers).
void WriteMousePicturePage(SkinWriter& skin);
