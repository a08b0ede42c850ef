#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

// Running the program (or another tool) as a whole process, as a user's
// shell or file manager does.

struct ProgramRun {
    int status = -1;  // -1: it crashed or did not end within a minute
    QString out;
    QString err;
};

// The program lies in the build folder, one above the tests.
inline QString program()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../pimoko"));
}

// Runs programFile without any display (the verbs must not need one);
// `setUp` changes the process before it starts.
inline ProgramRun runProgram(const QStringList& arguments, const std::function<void(QProcess&)>& setUp = {},
                             const QString& programFile = program())
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    if (setUp)
        setUp(process);
    process.start(programFile, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
