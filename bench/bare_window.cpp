// The smallest Qt Widgets programs that show one window: empty, or with one line of text (--text). They are
// the yardsticks for Trel's start-up: any window with text pays for a font, the text window is the floor.

#include "peak_memory.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class Window : public QWidget {
public:
    bool stay = false; // --stay: shown and kept open, for a watcher outside the program

protected:
    void showEvent(QShowEvent*) override {
        if (stay)
            return;
        std::printf("shown %ld\n", trel::bench::PeakKiB());
        std::fflush(stdout);
        std::_Exit(0);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Window window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(478, 263);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--text") == 0)
            new QLabel(QStringLiteral("Trel - v0.48b"), &window);
        window.stay = window.stay || std::strcmp(argv[i], "--stay") == 0;
    }
    window.show();
    return QApplication::exec();
}
