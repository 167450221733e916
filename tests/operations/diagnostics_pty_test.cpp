// The diagnostics end to end: the main window on the offscreen platform, its real serial backend
// on the pseudo-terminal of a tq310-sim process, and the receive engine ticked by hand once the
// awaited bytes are waiting.
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/Form1.h"
#include "operations/inp_out.h"
#include "operations/simulation_rows.h"
#include "sim/machine.h"
#include "sim/memory_image.h"
#include "sim/param_image.h"
#include "support/simulator_process.h"

using tq::Form1;
using tq::test::SimulatorProcess;

namespace {

// The main window connected to the simulator through the port chooser, as a user picks it.
struct Tool {
    Form1 form;

    explicit Tool(const QString& slave)
    {
        form.setPortBackends(
            [slave] {
                tq::PortEntry entry;
                entry.name = "Porta seriale (COM1)";
                entry.detail = slave;
                entry.location = slave;
                entry.number = 1;
                entry.kind = tq::PortEntry::Kind::Alias;
                tq::PortDiscovery found;
                found.entries.push_back(entry);
                return found;
            },
            {});
        form.Form_Load();
        form.chooser()->List1_Click(form.chooser()->List1->item(0));
        form.Timer1->stop();
    }

    tq::Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }

    bool waitForBytes(int count, int ms = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (form.port()->bytesWaiting() < count) {
            if (clock.hasExpired(ms))
                return false;
            QTest::qWait(2);
        }
        return true;
    }
};

std::string hex2(unsigned value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper().toStdString();
}

}  // namespace

class DiagnosticsPtyTest : public QObject {
    Q_OBJECT

private slots:
    void produciDrawsSevenCoursesOfTheLoadedKnit()
    {
        SimulatorProcess sim(QStringLiteral(TQ310_SIM));
        QVERIFY(!sim.slave().isEmpty());
        Tool tool(sim.slave());
        QVERIFY(tool.form.isConnected());

        tool.form.Command14->click();
        while (tool.m().RowCounter < 7) {
            QVERIFY2(tool.waitForBytes(4), qPrintable(QStringLiteral("course %1").arg(tool.m().RowCounter)));
            tool.form.Timer1_Timer();
        }
        // A controller answers a step within a few milliseconds; after seven courses none is asked.
        QVERIFY(!tool.waitForBytes(1, 200));

        // What the simulator's knit gives for its first seven courses with its set-up.
        const tq::sim::Knit knit = tq::sim::loadedKnit(tq::sim::factoryMemory());
        QVERIFY(!knit.courses.empty());
        const tq::InpOut& window = *tool.form.inpOut();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.Label1[i]->text(), QString());
        bool anyOutput = false;
        for (int course = 0; course < 7; ++course) {
            const std::uint32_t pattern =
                tq::sim::coursePattern(tq::sim::factorySetup(), knit.courses[course % knit.courses.size()]);
            anyOutput = anyOutput || pattern != 0;
            std::array<std::uint8_t, 23> bytes{};
            for (int b = 0; b < 4; ++b)
                bytes[b] = static_cast<std::uint8_t>(pattern >> (8 * b));
            const std::string row = tq::courseMarks(bytes) + (course % 2 ? "<" : ">") + std::to_string(course);
            QCOMPARE(window.Label1[3 + course]->text(), QString::fromLatin1(row));
        }
        QVERIFY(anyOutput);
    }

    void theMemoryDebuggerReadsTheKnittingDataFromItsStart()
    {
        SimulatorProcess sim(QStringLiteral(TQ310_SIM));
        Tool tool(sim.slave());
        QVERIFY(tool.form.isConnected());
        const tq::sim::Memory memory = tq::sim::factoryMemory();

        tool.form.Command15->click();  // "Adres = dati"
        // The controller's answer to "R" is text for the terminal in mode 0.
        QVERIFY(tool.waitForBytes(4));
        tool.form.Timer1_Timer();
        QCOMPARE(tool.m().ReceiveMode, std::uint8_t(tq::Terminal));

        for (int address = 0x2000; address < 0x2002; ++address) {
            tool.form.Command16->click();  // "Passo"
            tool.form.Timer1_Timer();      // asks with "&"
            QVERIFY(tool.waitForBytes(1 + int(std::to_string(address).size())));
            tool.form.Timer1_Timer();
            const unsigned data = memory[address] == 0 ? 0xFF : memory[address];
            const std::string line = "AH= " + QString::number(address, 16).toStdString() + " DH = " + hex2(data)
                + " : " + static_cast<char>(data) + "\r\n";
            QVERIFY2(tool.terminal().ends_with(line), tool.terminal().c_str());
            QCOMPARE(tool.m().ReceiveMode, std::uint8_t(tq::Terminal));
        }
        QVERIFY(tool.form.Text1->toPlainText().contains(QLatin1String("AH= 2000 DH = ")));
        QVERIFY(tool.form.Text1->toPlainText().contains(QLatin1String("AH= 2001 DH = ")));
    }

    void theInputMonitorFollowsTheSimulatedMachine()
    {
        SimulatorProcess sim(QStringLiteral(TQ310_SIM));
        Tool tool(sim.slave());
        QVERIFY(tool.form.isConnected());
        const std::string resetOn = "Mor.14(reset macchina)     = [ON ]";
        const std::string resetOff = "Mor.14(reset macchina)     = [OFF]";
        const std::string countOn = "Mor.12(conteggio)          = [ON ]";

        tool.form.Command13->click();  // "lettura ingressi"
        bool sawReset = false;
        bool sawResetEnd = false;
        bool sawCount = false;
        QElapsedTimer clock;
        clock.start();
        // The simulated machine holds its reset input for 1.5 s after the first command, then
        // counts a course a second.
        while (!(sawReset && sawResetEnd && sawCount) && !clock.hasExpired(10000)) {
            tool.form.Timer1_Timer();
            if (tool.m().PhaseToggle != 0)
                continue;  // that was a reply tick
            QVERIFY(tool.waitForBytes(1));
            tool.form.Timer1_Timer();
            const std::string& shown = tool.terminal();
            QVERIFY(shown.starts_with(" Stato ingressi :\r\n\r\n"));
            QVERIFY(shown.find("Mor.11(segnale power +24)  = [ON ]") != std::string::npos);
            if (!sawResetEnd && shown.find(resetOn) != std::string::npos)
                sawReset = true;
            if (sawReset && shown.find(resetOff) != std::string::npos)
                sawResetEnd = true;
            if (sawResetEnd && shown.find(countOn) != std::string::npos)
                sawCount = true;
        }
        QVERIFY(sawReset);
        QVERIFY(sawResetEnd);
        QVERIFY(sawCount);
        QVERIFY(tool.form.Text1->toPlainText().startsWith(QLatin1String(" Stato ingressi :")));
    }
};

QTEST_MAIN(DiagnosticsPtyTest)
#include "diagnostics_pty_test.moc"
