#pragma once

#include "SkinWriter.h"

// The section "MainWindow": the background and its mask, and the three sheets from which the
// sixteen buttons (page tabs, mode buttons, profile commands, Default, OK, Cancel, Apply) are cut.
void WriteMainWindow(SkinWriter& skin);
