#pragma once
// One run of the tq310-cli program that the test's build made (TQ310_CLI), with its exit status
// and what it printed. A run that does not end within the limit counts as hung and is killed:
// the limit bounds a test's wait, it is not a speed target.

#include <QProcess>
#include <QStringList>

namespace tq::test {

struct CliRun {
    bool finished = false;
    int status = -1;
    QByteArray out;
    QByteArray err;
};

inline CliRun runCli(const QStringList& arguments, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                     int limitMs = 30000)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TQ310_CLI), arguments);
    CliRun run;
    run.finished = process.waitForFinished(limitMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}  // namespace tq::test
