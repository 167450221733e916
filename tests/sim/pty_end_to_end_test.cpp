// tq310-sim on a real pseudo-terminal, driven by the tool's own serial backend, senders and
// receive engine. The engine is ticked by hand once the awaited bytes are waiting.

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "link/commands.h"
#include "link/engine_host.h"
#include "link/port_discovery.h"
#include "link/qt_serial_port.h"
#include "link/receive_engine.h"
#include "params/list_view.h"
#include "params/module1.h"
#include "sim/eeprom_file.h"

namespace {

const QString kAliasName = QStringLiteral("TQ310 simulato");

// The main window as far as the engine needs it.
class FakeHost : public tq::EngineHost {
public:
    explicit FakeHost(tq::Module1& m) : m_m(m) {}
    tq::TerminalText& terminal() override { return text; }
    void setTimerInterval(int ms) override { interval = ms; }
    void ListInit() override { list = tq::ListInit(m_m); }
    void setLabel1(const std::string& caption) override { label1 = caption; }
    void setLabel4(const std::string& caption) override { label4 = caption; }
    void enableParUsb() override { parUsb = true; }
    void MascPro(std::uint8_t) override {}
    void conta() override {}

    tq::TerminalText text;
    int interval = 0;
    tq::ListContent list;
    std::string label1;
    std::string label4;
    bool parUsb = false;

private:
    tq::Module1& m_m;
};

// One tq310-sim process with its own folder of port aliases.
class Simulator {
public:
    explicit Simulator(const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TQ310_PORT_ALIASES"), m_aliases.path());
        m_process.setProcessEnvironment(env);
        m_process.setProgram(QStringLiteral(TQ310_SIM));
        m_process.setArguments(arguments);
        m_process.start();
        m_slave = waitForLine(QStringLiteral("Simulated TQ310 on "));
        m_announcedAlias = waitForLine(QStringLiteral("Port alias: "));
    }

    ~Simulator()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    // What follows the prefix on the next printed line that starts with it; empty after 5 s.
    QString waitForLine(const QString& prefix)
    {
        QElapsedTimer clock;
        clock.start();
        while (!clock.hasExpired(5000)) {
            const int end = m_output.indexOf('\n', m_read);
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

    void console(const char* line) { m_process.write(QByteArray(line) + '\n'); }

    QString slave() const { return m_slave; }
    QString aliasPath() const { return m_aliases.filePath(kAliasName); }
    QString announcedAlias() const { return m_announcedAlias; }
    QProcess& process() { return m_process; }

private:
    QTemporaryDir m_aliases;
    QProcess m_process;
    QByteArray m_output;
    qsizetype m_read = 0;
    QString m_slave;
    QString m_announcedAlias;
};

bool waitForBytes(tq::SerialPort& port, int count, int ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (port.bytesWaiting() < count) {
        if (clock.hasExpired(ms))
            return false;
        QTest::qWait(5);
    }
    return true;
}

// The tool's side: shared state, main window, serial backend and engine.
struct Tool {
    explicit Tool(const QString& location)
    {
        m.NoAnswerText = tq::BuildNoAnswerText();
        port.setSystemLocation(location);
        engine.setPort(&port);
    }
    bool open()
    {
        QString error;
        return port.open(&error);
    }
    tq::LinkContext link() { return {m, port, host}; }

    // "Carica parametri  dal TQ310" and the engine up to the end of the menu texts.
    bool readBack()
    {
        tq::sendReadBack(link(), false);
        if (!waitForBytes(port, 56))
            return false;
        engine.tick();
        if (m.ReceiveMode != tq::MenuRead || !waitForBytes(port, 120))
            return false;
        engine.tick();
        return m.ReceiveMode == tq::Terminal;
    }

    tq::Module1 m;
    FakeHost host{m};
    tq::QtSerialPort port;
    tq::ReceiveEngine engine{m, host};
};

// An EEPROM that differs from the factory set-up in parameters and texts.
tq::sim::ParamImage ownSetup()
{
    tq::sim::ParamImage image = tq::sim::factorySetup();
    image.record[0] = 1;
    image.record[3] = 3;
    image.record[20] = 17 + 64;
    image.sealCrc();
    image.texts.replace(0, 20, "SCEGLI    CARTELLA 2");
    return image;
}

}  // namespace

class PtyEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void readBackFillsTheDeviceCopyWithWhatTheSimulatorHolds()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        const tq::sim::ParamImage image = ownSetup();
        QString error;
        QVERIFY(tq::sim::saveEepromFile(eeprom, image, &error));

        Simulator sim({QStringLiteral("--eeprom"), eeprom});
        QVERIFY(!sim.slave().isEmpty());
        Tool tool(sim.slave());
        QVERIFY(tool.open());

        tq::sendReadBack(tool.link(), false);
        tool.engine.tick();  // nothing has been taken in yet
        QCOMPARE(tool.host.text.text(), tool.m.NoAnswerText);
        QVERIFY(waitForBytes(tool.port, 56));
        tool.engine.tick();
        QCOMPARE(tool.m.ReceiveMode, std::uint8_t(tq::MenuRead));
        for (int i = 0; i < 56; ++i)
            QCOMPARE(tool.m.ChipParams[i], image.record[i]);
        QCOMPARE(tool.host.label4, std::to_string(image.record[54]) + "-" +
                                       std::to_string(image.record[55]) + " Chip ");
        QVERIFY(tool.host.parUsb);

        QVERIFY(waitForBytes(tool.port, 120));
        tool.engine.tick();
        QCOMPARE(tool.m.ReceiveMode, std::uint8_t(tq::Terminal));
        for (int k = 0; k < 12; ++k)
            QCOMPARE(tool.m.ChipMenuTexts[k], image.texts.substr(10 * k, 10));
        const std::string& terminal = tool.host.text.text();
        QVERIFY(terminal.starts_with("VOCI NEL MENU = 12\r\nSCEGLI    \r\nCARTELLA 2\r\n"));
    }

    void aSilentSimulatorLeavesTheNoAnswerTextUntilItSpeaksAgain()
    {
        Simulator sim;
        Tool tool(sim.slave());
        QVERIFY(tool.open());
        sim.console("silent");
        QCOMPARE(sim.waitForLine(QStringLiteral("Fault mode: ")), QStringLiteral("silent"));

        tq::sendReadBack(tool.link(), false);
        // A controller answers the record within 60 ms; this one stays silent for 400.
        QVERIFY(!waitForBytes(tool.port, 1, 400));
        tool.engine.tick();
        QCOMPARE(tool.host.text.text(), tool.m.NoAnswerText);
        QCOMPARE(tool.m.ReceiveMode, std::uint8_t(tq::ParamRead));
        QCOMPARE(tool.m.ChipParams, tq::ParamRecord{});

        sim.console("none");
        QCOMPARE(sim.waitForLine(QStringLiteral("Fault mode: ")), QStringLiteral("none"));
        QVERIFY(tool.readBack());
        QCOMPARE(tool.m.ChipParams[3], tq::sim::factorySetup().record[3]);
    }

    void aDroppedLineIsLostAndNothingTakenInIsLost()
    {
        Simulator sim;
        // Through the alias link, as the port chooser offers it.
        QCOMPARE(sim.announcedAlias(), sim.aliasPath());
        QCOMPARE(QFileInfo(sim.aliasPath()).symLinkTarget(), sim.slave());
        Tool tool(sim.aliasPath());
        QVERIFY(tool.open());
        QVERIFY(tool.readBack());
        const tq::ParamRecord chip = tool.m.ChipParams;
        const tq::MenuTexts texts = tool.m.ChipMenuTexts;

        QSignalSpy lost(&tool.port, &tq::SerialPort::deviceLost);
        sim.console("drop");
        QCOMPARE(sim.waitForLine(QStringLiteral("Line")), QStringLiteral(" dropped."));
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
        QVERIFY(!QFileInfo::exists(sim.aliasPath()));

        tool.engine.tick();
        QCOMPARE(tool.m.ChipParams, chip);
        QCOMPARE(tool.m.ChipMenuTexts, texts);
        QTest::qWait(50);
        QCOMPARE(lost.count(), 1);

        // Plugged in again: a new pseudo-terminal behind the same alias.
        tool.port.close();
        sim.console("none");
        QVERIFY(!sim.waitForLine(QStringLiteral("Simulated TQ310 on ")).isEmpty());
        QCOMPARE(sim.waitForLine(QStringLiteral("Port alias: ")), sim.aliasPath());
        QVERIFY(tool.open());
        QVERIFY(tool.readBack());
        QCOMPARE(tool.m.ChipParams, chip);
    }

    void aCommitSurvivesARestartOfTheSimulator()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        const tq::sim::ParamImage image = ownSetup();
        {
            Simulator sim({QStringLiteral("--eeprom"), eeprom});
            Tool tool(sim.slave());
            QVERIFY(tool.open());
            // The write and the commit as the tool sends them.
            tool.port.write("L");
            tool.port.write(image.bytes().substr(0, 56));
            tool.port.write(image.bytes().substr(56));
            tool.port.write("W");
            tool.port.write("Vorela\r");
            QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(eeprom).size(), qint64(176), 5000);
        }
        Simulator sim({QStringLiteral("--eeprom"), eeprom});
        Tool tool(sim.slave());
        QVERIFY(tool.open());
        QVERIFY(tool.readBack());
        for (int i = 0; i < 56; ++i)
            QCOMPARE(tool.m.ChipParams[i], image.record[i]);
        QCOMPARE(tool.m.ChipMenuTexts[1], std::string("CARTELLA 2"));
    }

    void thePortChooserListsTheSimulatorUntilItEnds()
    {
        Simulator sim;
        qputenv("TQ310_PORT_ALIASES", QFileInfo(sim.aliasPath()).path().toLocal8Bit());
        const tq::PortDiscovery found = tq::GetSerialPortNames();
        qunsetenv("TQ310_PORT_ALIASES");
        const auto entry = std::find_if(found.entries.begin(), found.entries.end(), [&](const auto& e) {
            return e.kind == tq::PortEntry::Kind::Alias && e.location == sim.aliasPath();
        });
        QVERIFY(entry != found.entries.end());
        QVERIFY(entry->detail.contains(kAliasName));

        sim.process().terminate();  // SIGTERM
        QVERIFY(sim.process().waitForFinished(5000));
        QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.process().exitCode(), 0);
        QVERIFY(!QFileInfo(sim.aliasPath()).isSymLink());
    }
};

QTEST_GUILESS_MAIN(PtyEndToEndTest)
#include "pty_end_to_end_test.moc"
