// Trel: starts with the splash screen and ends when the main window is left.

#include "Program.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return trel::RunTrel(app);
}
