// The smallest Qt Widgets program that shows one empty window: the yardstick for Trel's start-up.

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

long PeakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

class Window : public QWidget {
protected:
    void showEvent(QShowEvent*) override {
        std::printf("shown %ld\n", PeakKiB());
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
