#pragma once
// One tq310-sim process on a pseudo-terminal of its own, with its port alias in a folder of its
// own, for the end-to-end tests (label pty). The program path comes from the test's build
// (TQ310_SIM); the simulator prints "Simulated TQ310 on <slave>" once its line is up.

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "support/program_run.h"

namespace tq::test {

class SimulatorProcess {
public:
    explicit SimulatorProcess(const QString& program, const QStringList& arguments = {})
    {
        m_process.setProcessEnvironment(withAliases());
        m_process.start(program, arguments);
        m_slave = waitForLine(QStringLiteral("Simulated TQ310 on "));
    }

    ~SimulatorProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    // The pseudo-terminal the tool opens; empty when the simulator did not come up.
    QString slave() const { return m_slave; }
    // A program's environment (headless()) with the folder of port aliases the simulator puts its
    // link in ($TQ310_PORT_ALIASES).
    QProcessEnvironment withAliases() const
    {
        QProcessEnvironment env = headless();
        env.insert(QStringLiteral("TQ310_PORT_ALIASES"), m_aliases.path());
        return env;
    }
    QProcess& process() { return m_process; }

    // What follows the prefix on the next printed line that starts with it; empty after 5 s.
    QString waitForLine(const QString& prefix)
    {
        QElapsedTimer clock;
        clock.start();
        while (!clock.hasExpired(5000)) {
            if (!m_process.canReadLine()) {
                m_process.waitForReadyRead(50);
                continue;
            }
            const QString line = QString::fromLocal8Bit(m_process.readLine().chopped(1));  // without its '\n'
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        }
        return {};
    }

private:
    QTemporaryDir m_aliases;
    QProcess m_process;
    QString m_slave;
};

}  // namespace tq::test
