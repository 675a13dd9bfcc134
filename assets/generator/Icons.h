#pragma once

#include <QImage>
#include <QString>

// The program's icons, drawn in the skin's look: 128 the application (256x256, and 48x48 for
// the desktop's icon theme), 135 start with the session on and 136 off (16x16). They are written
// as Icons/<id>.png into the program folder, the application icon's small size as
// Icons/128-48.png.
QImage DrawApplicationIcon(int size);
QImage DrawAutoRunIcon(bool on);

// Writes the four files; false when one could not be written.
bool WriteIcons(const QString& programFolder);
