#pragma once
// Shared set-up of the window tests: the program's font, no animations, and a way to find controls.

#include "ProgramFont.h"
#include "main/Main.h"

#include <QtTest>
#include <QtWidgets>

namespace trel::test {

/// Call from initTestCase(): the font the layout is made for, no animations, no desktop effects.
inline void PrepareUiTest() {
    ApplyProgramFont();
    for (const Qt::UIEffect effect : {Qt::UI_AnimateCombo, Qt::UI_AnimateMenu, Qt::UI_AnimateTooltip, Qt::UI_FadeMenu,
                                      Qt::UI_FadeTooltip})
        QApplication::setEffectEnabled(effect, false);
}

/// The child of window with the given object name; fails the test when there is none.
template <typename T> T* Control(const QObject* window, const QString& name) {
    if (T* found = window->findChild<T*>(name))
        return found;
    qFatal("no control named %s", qPrintable(name));
}

/// Types text into box key by key; unlike QTest::keyClicks it carries characters beyond Latin-1 ("€", "Ω").
inline void TypeText(QWidget* box, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

/// A check box reacts to a click on its indicator, not on the blank beyond its caption.
inline void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(7, box->height() / 2));
}

/// Opens the list with the keyboard (a mouse-opened list ignores an immediate release) and clicks an entry.
inline void ChooseFromList(QComboBox* combo, int row) {
    QTest::keyClick(combo, Qt::Key_F4);
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), 5000);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 0)).center());
    QTRY_VERIFY_WITH_TIMEOUT(!view->isVisible(), 5000);
}

/// The whole file, or nothing when it cannot be read.
inline QByteArray ReadAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// Replaces the file with bytes; false when it cannot be written.
inline bool WriteAll(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

/// One start of the stand-in game as its record file tells it: its arguments, folder and script lines.
struct StandInRecord {
    QStringList args;
    QString cwd;
    QStringList lines;
};

/// The stand-in game's records ("start", "arg ...", "cwd ...", "line ...", "end" per start; other lines are
/// skipped); a record still being written counts as none.
inline QList<StandInRecord> ReadStandInRecords(const QString& file) {
    QList<StandInRecord> records;
    const QByteArray bytes = ReadAll(file);
    if (!bytes.endsWith("end\n"))
        return records;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromLatin1(raw);
        if (line == QLatin1String("start"))
            records.append(StandInRecord{});
        else if (records.isEmpty())
            continue;
        else if (line.startsWith(QLatin1String("arg ")))
            records.last().args << line.mid(4);
        else if (line.startsWith(QLatin1String("cwd ")))
            records.last().cwd = line.mid(4);
        else if (line.startsWith(QLatin1String("line ")))
            records.last().lines << line.mid(5);
    }
    return records;
}

/// True when the tests run as Windows programs under Wine. Wine's profile-string functions drop the blank lines
/// of a file they rewrite, where Windows keeps every line it does not change.
inline bool UnderWine() {
    return QSysInfo::kernelType() == QLatin1String("winnt") && QLibrary::resolve("ntdll", "wine_get_version");
}

/// The main window as start-up leaves it (shown, lists filled), then the game type and map chosen.
inline std::unique_ptr<Main> LoadedMain(int gametype, int map = -1, int dmflags = 0) {
    auto main = std::make_unique<Main>();
    main->LoadSettings({"C:\\Quake2\\quake2.exe", {}, dmflags, {}, {}}); // path, folder, flags, steps, error
    main->gametype->setCurrentIndex(gametype);
    main->maps->setCurrentRow(map);
    return main;
}

} // namespace trel::test
