#pragma once

#include "SkinWriter.h"

// The section "KeyDefineSettingPage": the ten button rows on the left of the KeyDefine tab,
// beside the mouse picture; each row's face shows the function its page writes on it.
void WriteKeyDefineSettingPage(SkinWriter& skin);
