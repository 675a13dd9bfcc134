#pragma once

#include "SkinWriter.h"

// The sections of the small skinned dialogs: the four warnings, the progress window of Apply,
// and the expected product id.
void WriteWarningDialogs(SkinWriter& skin);
void WriteProgressDialog(SkinWriter& skin);
void WriteProductId(SkinWriter& skin);
