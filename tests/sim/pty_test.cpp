// tq310-sim on a real pseudo-terminal, and on the network, driven by the tool's own line backends,
// senders and receive engine: what it holds, its silent fault, a dropped line plugged in again,
// and several controllers each with its own EEPROM. The engine is ticked by hand once the
// awaited bytes are waiting.
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "sim/eeprom_file.h"
#include "support/engine_on_line.h"
#include "support/simulator_process.h"

using tq::test::SimulatorProcess;

namespace {

const QString kSim = QStringLiteral(TQ310_SIM);

// The tool's side on the real serial backend.
struct Tool : tq::test::EngineOnLine {
    explicit Tool(const QString& location) : EngineOnLine(serial(location)) {}
};

}  // namespace

class PtyEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void aReadBackShowsWhatTheSimulatorHolds()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        tq::sim::ParamImage image = tq::sim::factorySetup();
        image.record[0] = 1;
        image.sealCrc();
        image.texts.replace(0, 20, "SCEGLI \xE8  CARTELLA 2");
        QString error;
        QVERIFY(tq::sim::saveEepromFile(eeprom, image, &error));

        SimulatorProcess sim(kSim, {QStringLiteral("--eeprom"), eeprom});
        Tool tool(sim.slave());
        QVERIFY(tool.port->open(nullptr));
        QVERIFY(tool.readBack());
        QVERIFY(std::equal(image.record.begin(), image.record.end(), tool.m.ChipParams.begin()));
        for (int k = 0; k < 12; ++k)
            QCOMPARE(tool.m.ChipMenuTexts[k], image.texts.substr(10 * k, 10));
        QVERIFY(tool.host.text.text().starts_with("VOCI NEL MENU = 12\r\nSCEGLI \xE8  \r\nCARTELLA 2\r\n"));
    }

    void aSilentSimulatorLeavesTheNoAnswerTextAndBothCopies()
    {
        SimulatorProcess sim(kSim, {QStringLiteral("--fault"), QStringLiteral("silent")});
        Tool tool(sim.slave());
        QVERIFY(tool.port->open(nullptr));
        tool.m.ChipParams.fill(3);
        tool.m.ChipMenuTexts.fill("PRIMA     ");
        const tq::Module1 before = tool.m;
        for (const bool toBuffer : {false, true}) {  // "Carica parametri", then into the buffer
            tq::sendReadBack(tool.ctx(), toBuffer);
            QVERIFY(!tool.tickWhen(1, 400));  // a controller answers the record within 60 ms
            QCOMPARE(tool.host.text.text(), tool.m.NoAnswerText);
            QVERIFY(tool.m.ChipParams == before.ChipParams && tool.m.ChipMenuTexts == before.ChipMenuTexts);
            QVERIFY(tool.m.FileParams == before.FileParams && tool.m.FileMenuTexts == before.FileMenuTexts);
        }
    }

    void aDroppedLineGoesAwayAndComesBackBehindTheSameAlias_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("pseudo-terminal") << QStringList();
        QTest::newRow("network") << QStringList{"--listen", "0", "--rfc2217"};
    }

    void aDroppedLineGoesAwayAndComesBackBehindTheSameAlias()
    {
        QFETCH(QStringList, arguments);
        SimulatorProcess sim(kSim, arguments);
        const QString alias = sim.waitForLine(QStringLiteral("Port alias: "));
        Tool tool(alias);
        QVERIFY(tool.port->open(nullptr));
        QVERIFY(tool.readBack());

        // What the tool does then (one report, nothing lost) is the main window's link test.
        QSignalSpy lost(tool.port.get(), &tq::SerialPort::deviceLost);
        sim.process().write("drop\n");
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
        QVERIFY(!QFileInfo(alias).isSymLink());

        // Plugged in again: a new pseudo-terminal, or the same port, behind the same alias.
        tool.port->close();
        sim.process().write("none\n");
        QCOMPARE(sim.waitForLine(QStringLiteral("Port alias: ")), alias);
        QVERIFY(tool.port->open(nullptr));
        QVERIFY(tool.readBack());

        sim.process().terminate();
        QVERIFY(sim.process().waitForFinished(5000));
        QCOMPARE(sim.process().exitCode(), 0);
        QVERIFY(!QFileInfo(alias).isSymLink());
    }

    void eachControllerOnTheNetworkHasItsOwnEeprom()
    {
        QTemporaryDir dir;
        for (int k = 1; k <= 2; ++k) {
            tq::sim::ParamImage image = tq::sim::factorySetup();
            image.record[0] = std::uint8_t(k);
            image.sealCrc();
            QString error;
            QVERIFY(tq::sim::saveEepromFile(dir.filePath(QStringLiteral("eeprom-%1.bin").arg(k)), image, &error));
        }
        SimulatorProcess sim(kSim, {"--listen", "0", "--controllers", "2", "--eeprom", dir.path()});
        const QStringList lines{sim.slave(), sim.waitForLine(QStringLiteral("Simulated TQ310 on "))};
        for (int k = 1; k <= 2; ++k) {
            Tool tool(lines[k - 1]);
            QVERIFY(tool.port->open(nullptr));
            QVERIFY(tool.readBack());
            QCOMPARE(tool.m.ChipParams[0], std::uint8_t(k));
        }
    }

    // Whoever connects on reading "Simulated TQ310 on" must find the alias already pointing at
    // that line, at start and after every plug.
    void anAnnouncedLineIsAlreadyBehindItsAlias()
    {
        SimulatorProcess sim(kSim);
        QString line = sim.slave();
        QVERIFY(!line.isEmpty());
        const QString alias = sim.waitForLine(QStringLiteral("Port alias: "));
        QVERIFY(!alias.isEmpty());
        for (int plug = 0; plug < 30; ++plug) {
            QCOMPARE(QFileInfo(alias).symLinkTarget(), line);
            sim.process().write("drop\nnone\n");
            line = sim.waitForLine(QStringLiteral("Simulated TQ310 on "));
            QVERIFY(!line.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(PtyEndToEndTest)
#include "pty_test.moc"
