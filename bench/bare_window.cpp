// The smallest Qt Widgets program that shows one empty window: the yardstick for Trel's start-up.

#include "peak_memory.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

class Window : public QWidget {
protected:
    void showEvent(QShowEvent*) override {
        std::printf("shown %ld\n", trel::bench::PeakKiB());
        std::fflush(stdout);
        std::_Exit(0);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Window window;
    window.resize(478, 263);
    window.show();
    return QApplication::exec();
}
