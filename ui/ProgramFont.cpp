#include "ProgramFont.h"

#include <QApplication>

namespace trel {

QFont ProgramFont() {
#ifdef _WIN32
    QFont font(QStringLiteral("MS Sans Serif"));
#else
    // Same widths as the layout's font: with wider sans fonts the check-box captions are cut.
    QFont font(QStringLiteral("Liberation Sans Narrow"));
#endif
    font.setPointSizeF(8.25);
    return font;
}

QFont ProgramBoldFont() {
    QFont font = ProgramFont();
    font.setBold(true);
    return font;
}

void ApplyProgramFont() { QApplication::setFont(ProgramFont()); }

} // namespace trel
