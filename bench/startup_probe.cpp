// Trel exactly as the program starts it, reporting the moment its main window is shown and the peak memory
// until then, and then leaving at once. bench/startup.py compares it with bench/bare_window.cpp.

#include "Program.h"

#include "peak_memory.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class ShownProbe : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("Main")) {
            std::printf("shown %ld\n", trel::bench::PeakKiB());
            std::fflush(stdout);
            std::_Exit(0); // the measurement ends here; the settings must stay as they were
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ShownProbe probe;
    app.installEventFilter(&probe);
    return trel::RunTrel(app);
}
