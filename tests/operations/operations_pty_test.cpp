// The transfers and the diagnostics end to end: the main window on the offscreen platform,
// connected through the port chooser (as a user picks it) to the pseudo-terminal of a tq310-sim
// process, with its real serial backend. Timer1 is stopped: the tests tick the engine once the
// awaited bytes are waiting.
#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Form1.h"
#include "operations/inp_out.h"
#include "operations/simulation_rows.h"
#include "params/param_record.h"
#include "sim/machine.h"
#include "sim/memory_image.h"
#include "sim/param_image.h"
#include "support/simulator_process.h"
#include "ui/message_box.h"

namespace {

struct SimulatedTool {
    tq::test::SimulatorProcess sim;
    tq::Form1 form;

    explicit SimulatedTool(const QStringList& simArguments = {}) : sim(QStringLiteral(TQ310_SIM), simArguments)
    {
        const QString slave = sim.slave();
        form.setPortBackends(
            [slave] {
                return tq::PortDiscovery{{tq::PortEntry{"Porta seriale (COM1)", slave, slave, 1, tq::PortEntry::Kind::Alias}}, {}};
            },
            {});
        form.Form_Load();
        form.chooser()->List1_Click(form.chooser()->List1->item(0));
        form.Timer1->stop();
    }

    tq::Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    void tick() { form.Timer1_Timer(); }

    bool waitForBytes(int count, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return form.port()->bytesWaiting() >= count; }, ms);
    }

    // The engine through the parameter record and the menu texts, a tick as each is complete.
    bool readBack(QAction* item)
    {
        item->trigger();
        if (!waitForBytes(56))
            return false;
        tick();
        if (m().ReceiveMode != tq::MenuRead || !waitForBytes(120))
            return false;
        tick();
        return m().ReceiveMode == tq::Terminal;
    }
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class OperationsPtyTest : public QObject {
    Q_OBJECT

private slots:
    void copyAndCommitThenWriteReadBackCommitAndReinitialise()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));  // none yet: the factory set-up
        SimulatedTool tool({QStringLiteral("--eeprom"), eeprom});
        QVERIFY(tool.form.isConnected());
        tq::Module1& m = tool.m();
        tq::ui::MessageCapture capture;

        // The controller's set-up copied into the working copy commits at once.
        m.FileParams[10] = 1;
        m.FileMenuTexts[0] = "VECCHIO";
        m.CurrentFileName = "vecchio.ini";
        QVERIFY(tool.readBack(tool.form.ChipBuffer));
        const tq::sim::ParamImage factory = tq::sim::factorySetup();
        QVERIFY(std::equal(factory.record.begin(), factory.record.end(), m.FileParams.begin()));
        QCOMPARE(m.FileMenuTexts[0], factory.texts.substr(0, 10));
        QVERIFY(m.CurrentFileName.empty() && !tool.form.ParUsb->isEnabled());
        tool.form.Weeprom->trigger();
        // Only "W" with the password makes the simulator write its EEPROM file.
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), QByteArray::fromStdString(factory.bytes()), 5000);

        // An edited working copy, written, read back and committed.
        for (int i = 0; i < tq::kParamCount; ++i)
            m.FileParams[i] = static_cast<std::uint8_t>(i < 3 ? i % 2 : (i * 7 + 3) % 250);
        for (int k = 0; k < 12; ++k)
            m.FileMenuTexts[k] = "VOCE " + std::to_string(k + 10) + " \xE8 ";
        tool.form.ListInit();
        tool.form.AlTq310->trigger();
        QVERIFY(tool.readBack(tool.form.daltq310));
        QCOMPARE(m.ChipParams, m.FileParams);
        QVERIFY(tool.form.ParUsb->isEnabled());
        tool.form.Weeprom->trigger();
        const QByteArray saved = QByteArray::fromStdString(
            std::string(m.FileParams.begin(), m.FileParams.begin() + 56) + tq::menuTextBlock(m.FileMenuTexts));
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(eeprom), saved, 5000);
        QVERIFY(capture.messages.empty());

        // A later write that is not committed is forgotten by "z".
        const tq::ParamRecord committed = m.FileParams;
        m.FileParams[5] ^= 0x40;
        tool.form.ListInit();
        tool.form.AlTq310->trigger();
        QVERIFY(tool.readBack(tool.form.daltq310));
        QCOMPARE(m.ChipParams[5], m.FileParams[5]);
        tool.form.RipIni->trigger();
        QVERIFY(tool.readBack(tool.form.daltq310));
        QCOMPARE(m.ChipParams, committed);
        QCOMPARE(m.ChipMenuTexts[0], std::string("VOCE 10 \xE8 "));
    }

    void aSilentControllerChangesNeitherDeviceCopy()
    {
        SimulatedTool tool({QStringLiteral("--fault"), QStringLiteral("silent")});
        QVERIFY(tool.form.isConnected());
        tq::Module1& m = tool.m();
        m.ChipParams.fill(3);
        m.ChipMenuTexts.fill("PRIMA     ");
        const tq::Module1 before = m;
        for (QAction* item : {tool.form.daltq310, tool.form.ChipBuffer}) {
            item->trigger();
            QVERIFY(!tool.waitForBytes(1, 400));  // a controller answers within 60 ms
            tool.tick();
            QCOMPARE(tool.terminal(), m.NoAnswerText);
            QVERIFY(m.ChipParams == before.ChipParams && m.ChipMenuTexts == before.ChipMenuTexts);
            QCOMPARE(m.FileParams, before.FileParams);
        }
    }

    void produciDrawsSevenCoursesOfTheLoadedKnit()
    {
        SimulatedTool tool;
        QVERIFY(tool.form.isConnected());
        tool.form.Command14->click();
        while (tool.m().RowCounter < 7) {
            QVERIFY(tool.waitForBytes(4));
            tool.tick();
        }
        QVERIFY(!tool.waitForBytes(1, 200));  // after seven courses none is asked for

        const tq::sim::Knit knit = tq::sim::loadedKnit(tq::sim::factoryMemory());
        QVERIFY(!knit.courses.empty());
        const tq::InpOut& window = *tool.form.inpOut();
        QCOMPARE(window.Label1[2]->text(), QString());
        for (int course = 0; course < 7; ++course) {
            const std::uint32_t pattern =
                tq::sim::coursePattern(tq::sim::factorySetup(), knit.courses[course % knit.courses.size()]);
            std::array<std::uint8_t, 23> bytes{};
            for (int b = 0; b < 4; ++b)
                bytes[b] = static_cast<std::uint8_t>(pattern >> (8 * b));
            const std::string row = tq::courseMarks(bytes) + (course % 2 ? "<" : ">") + std::to_string(course);
            QCOMPARE(window.Label1[3 + course]->text(), QString::fromLatin1(row));
        }
        QVERIFY(window.Label1[3]->text().contains(QLatin1Char('*')));  // the knit is not blank
    }

    void theMemoryDebuggerReadsTheKnittingDataFromItsStart()
    {
        SimulatedTool tool;
        tool.form.Command15->click();  // "Adres = dati": the answer to "R" is text in mode 0
        QVERIFY(tool.waitForBytes(4));
        tool.tick();
        tool.form.Command16->click();  // "Passo"
        tool.tick();                   // asks with "&"
        QVERIFY(tool.waitForBytes(5));
        tool.tick();
        const QString line = QString::asprintf("AH= 2000 DH = %02X", unsigned(tq::sim::factoryMemory()[0x2000]));
        QVERIFY2(QString::fromLatin1(tool.terminal()).contains(line), tool.terminal().c_str());
    }

    void theInputMonitorFollowsTheSimulatedMachine()
    {
        SimulatedTool tool;
        tool.form.Command13->click();  // "lettura ingressi"
        // The simulated machine holds its reset input for 1.5 s after the first command, then
        // counts a course a second.
        const char* const expected[] = {"Mor.14(reset macchina)     = [ON ]", "Mor.14(reset macchina)     = [OFF]",
                                        "Mor.12(conteggio)          = [ON ]"};
        int seen = 0;
        QElapsedTimer clock;
        clock.start();
        while (seen < 3 && !clock.hasExpired(10000)) {
            tool.tick();
            if (tool.m().PhaseToggle != 0)
                continue;  // that was a reply tick
            QVERIFY(tool.waitForBytes(1));
            tool.tick();
            if (tool.terminal().find(expected[seen]) != std::string::npos)
                ++seen;
        }
        QCOMPARE(seen, 3);
    }
};

QTEST_MAIN(OperationsPtyTest)
#include "operations_pty_test.moc"
