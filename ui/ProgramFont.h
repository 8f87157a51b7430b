#pragma once
// The font every window's positions and sizes were laid out for.

#include <QFont>

namespace trel {

/// "MS Sans Serif" 8.25 point on Windows; a narrow sans of the same metrics elsewhere.
QFont ProgramFont();

/// ProgramFont() with the bold weight, for the captions the layout shows bold.
QFont ProgramBoldFont();

/// Makes ProgramFont() the application's font (once, at start).
void ApplyProgramFont();

} // namespace trel
