#pragma once

#include "SkinWriter.h"

// The two pages of the Advance tab, which share the main window's page area: the pointer
// settings on the left ("SystemSettingPage") and the report rate, fire speed and restore on the
// right ("AdvanceSettingPage"); and the profile dialog of the Create and Modify commands
// ("CreateProfileDialog").
void WriteSystemSettingPage(SkinWriter& skin);
void WriteAdvanceSettingPage(SkinWriter& skin);
void WriteCreateProfileDialog(SkinWriter& skin);
