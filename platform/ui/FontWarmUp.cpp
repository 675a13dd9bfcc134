#include "platform/ui/FontWarmUp.h"

#include <QFontMetrics>
#include <QString>

#include "platform/ui/CaptionFont.h"

namespace ui {

FontWarmUp::FontWarmUp()
    : worker_([] {
        // Measured as a caption is: a Chinese text and a Latin one in the caption font.
        const QFontMetrics metrics(CaptionFont(12));
        metrics.height();
        metrics.horizontalAdvance(QStringLiteral(u"按键设置 A"));
      }) {}

FontWarmUp::~FontWarmUp() { worker_.join(); }

}  // namespace ui
