#pragma once
// One run of a program of the test's build to its end, as a script runs it, with no display at
// all: no X display, no Wayland, no Qt platform (a program that touched the window system before
// reading its options would abort). A run that does not end within 30 s counts as hung and is
// killed: the limit bounds the wait.

#include <QProcess>

namespace tq::test {

struct ProgramRun {
    int status = -1;  // -1 when the program crashed or hung
    QByteArray out, err;
};

// The system's environment without a display.
inline QProcessEnvironment headless()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             const QProcessEnvironment& env = headless())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}  // namespace tq::test
