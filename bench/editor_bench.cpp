// The map-details editor on large files: opening it (both files read, both colouring passes) beside
// the time Qt alone needs to put the same text into the same kind of text box, at 1 MiB and 4 MiB; and
// one "<-- Insert Map Details" into the 4 MiB text, recolouring included.
// Run: QT_QPA_PLATFORM=offscreen build/bench/editor_bench   (a Release build gives the real figures)

#include "ProgramFont.h"
#include "mapedit.h"
#include "seams/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr int kRuns = 3; // the fastest of these runs counts: other load on the machine only slows

// A vorn.ini of typical map-details blocks, each with a comment line and a commented key.
std::string TypicalMapDetails(std::size_t size) {
    std::string text;
    for (int n = 0; text.size() < size; ++n) {
        text += "# server " + std::to_string(n) + " ===============\r\n";
        text += "[ vorn0" + std::to_string(n % 4 + 1) + " ]\r\ngametype " + std::to_string(n % 3 + 1) + "\r\n";
        text += "gem_goal 10\r\nvorn_timelimit 20\r\nmax_gems 5 # five\r\n\r\n";
    }
    return text;
}

bool WriteFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

double Milliseconds(const std::function<void()>& work) {
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    trel::ApplyProgramFont();
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/trel editor bench XXXXXX"));
    if (!dir.isValid() || !QDir().mkpath(dir.filePath(QStringLiteral("vorn")))) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    trel::SharedValues shared;
    shared.Quake2Folder = QFile::encodeName(dir.path()).toStdString();
    trel::RecordedMessageBoxes boxes;
    const QString iniPath = dir.filePath(QStringLiteral("vorn/vorn.ini"));

    std::printf("%-10s %12s %12s %8s\n", "size", "plain ms", "open ms", "ratio");
    for (const std::size_t size : {std::size_t{1} << 20, std::size_t{4} << 20}) {
        const std::string bytes = TypicalMapDetails(size);
        if (!WriteFile(iniPath, bytes))
            return 1;
        // Both texts empty first, so each run starts from the same state.
        WriteFile(dir.filePath(QStringLiteral("vorn/vorn_sp.ini")), {});

        // The same kind of box, same font and size, shown; Qt's own layout afterwards counts too.
        trel::mapedit sizing(shared, {}, boxes);
        const QSize boxSize = sizing.EditWindow[0]->size();
        const double plain = Milliseconds([&] {
            QPlainTextEdit box;
            box.setFont(trel::ProgramFont());
            box.resize(boxSize);
            box.show();
            box.setPlainText(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
            QApplication::processEvents();
        });
        const double open = Milliseconds([&] {
            trel::mapedit editor(shared, {}, boxes);
            if (!editor.open())
                std::fprintf(stderr, "the editor did not open\n");
            QApplication::processEvents();
        });
        std::printf("%-10s %12.1f %12.1f %8.2f\n", size == (std::size_t{1} << 20) ? "1 MiB" : "4 MiB", plain, open,
                    open / plain);
    }

    // One insert into the middle of the 4 MiB text: the passes recolour both edit windows.
    auto editor = std::make_unique<trel::mapedit>(shared, std::function<std::string()>{}, boxes);
    if (!editor->open())
        return 1;
    QApplication::processEvents();
    double insert = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        QTextCursor caret = editor->EditWindow[0]->textCursor();
        caret.setPosition(editor->EditWindow[0]->document()->characterCount() / 2);
        editor->EditWindow[0]->setTextCursor(caret);
        QElapsedTimer timer;
        timer.start();
        editor->insertmap->click();
        QApplication::processEvents();
        insert = std::min(insert, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("insert into 4 MiB: %.1f ms\n", insert);
    if (!boxes.shown.isEmpty())
        std::printf("warnings: %s\n", qPrintable(boxes.texts().join(QLatin1Char('\n'))));
    return 0;
}
