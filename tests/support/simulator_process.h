#pragma once
// One tq310-sim process on a pseudo-terminal of its own, with its port alias in a folder of its
// own, for the end-to-end tests (label pty). The program path comes from the test's build
// (TQ310_SIM); the simulator prints "Simulated TQ310 on <slave>" once its line is up.

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

namespace tq::test {

class SimulatorProcess {
public:
    explicit SimulatorProcess(const QString& program, const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TQ310_PORT_ALIASES"), m_aliases.path());
        m_process.setProcessEnvironment(env);
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
    // The folder of port aliases the simulator puts its link in ($TQ310_PORT_ALIASES).
    QString aliasFolder() const { return m_aliases.path(); }
    QProcess& process() { return m_process; }

    // What follows the prefix on the next printed line that starts with it; empty after 5 s.
    QString waitForLine(const QString& prefix)
    {
        QElapsedTimer clock;
        clock.start();
        while (!clock.hasExpired(5000)) {
            const qsizetype end = m_output.indexOf('\n', m_read);
            if (end < 0) {
                m_process.waitForReadyRead(50);
                m_output += m_process.readAllStandardOutput();
                continue;
            }
            const QString line = QString::fromLocal8Bit(m_output.mid(m_read, end - m_read));
            m_read = end + 1;
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        }
        return {};
    }

private:
    QTemporaryDir m_aliases;
    QProcess m_process;
    QByteArray m_output;
    qsizetype m_read = 0;
    QString m_slave;
};

}  // namespace tq::test
