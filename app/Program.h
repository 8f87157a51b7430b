#pragma once

class QApplication;

namespace trel {

/// Runs Trel in app: the program's font, icon and seams, start-up, then the event loop until the main
/// window is left. Returns the event loop's exit code.
int RunTrel(QApplication& app);

} // namespace trel
