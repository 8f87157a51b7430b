#include "GameStarter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace trel {

namespace {

/// Paths and arguments are stored as local 8-bit bytes; decodeName is the inverse of how they were made.
QString FromLocal(const std::string& text) {
    return QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace

bool ProcessGameStarter::start(const LaunchRequest& request, QString& why) {
    const QString program = FromLocal(request.program);
    const QString workingDirectory = FromLocal(request.workingDirectory);
    QStringList arguments;
    arguments.reserve(static_cast<qsizetype>(request.arguments.size()));
    for (const std::string& argument : request.arguments) {
        arguments.append(FromLocal(argument));
    }

    // Check first so that the user reads which file or folder is missing rather than the process
    // library's generic failure, and so that a failed start leaves the current directory alone.
    if (program.isEmpty()) {
        why = QStringLiteral("No game program chosen");
        return false;
    }
    const QFileInfo programInfo(program);
    if (!programInfo.exists() || !programInfo.isFile()) {
        why = QDir::toNativeSeparators(program) + QStringLiteral(": no such file");
        return false;
    }
    const QFileInfo directoryInfo(workingDirectory);
    if (workingDirectory.isEmpty() || !directoryInfo.isDir()) {
        why = QDir::toNativeSeparators(workingDirectory) + QStringLiteral(": no such folder");
        return false;
    }

    // The launcher makes the Quake 2 folder current as part of a start; later relative paths rely on it.
    const QString previousDirectory = QDir::currentPath();
    if (!QDir::setCurrent(workingDirectory)) {
        why = QDir::toNativeSeparators(workingDirectory) + QStringLiteral(": cannot make it the current folder");
        return false;
    }

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
#ifdef Q_OS_WIN
    // The game's first window opens minimized, so Trel stays in front while the game loads.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWMINIMIZED;
    });
#endif
    if (!process.startDetached()) {
        why = QDir::toNativeSeparators(program) + QStringLiteral(": ") + process.errorString();
        QDir::setCurrent(previousDirectory); // nothing started: the launcher stays where it was
        return false;
    }
    return true;
}

} // namespace trel
