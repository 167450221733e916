// The diagnostics end to end: the main window connected to a tq310-sim process on a
// pseudo-terminal draws the loaded knit's courses, steps through its memory and follows its
// inputs.
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "operations/inp_out.h"
#include "operations/simulation_rows.h"
#include "sim/machine.h"
#include "sim/memory_image.h"
#include "sim/param_image.h"
#include "support/simulated_form1.h"

using tq::test::SimulatedTool;

class Form1DiagnosticsPtyTest : public QObject {
    Q_OBJECT

private slots:
    void produciDrawsSevenCoursesOfTheLoadedKnit()
    {
        SimulatedTool tool;
        QVERIFY(tool.form.isConnected());
        use(tool.form, "Command14");
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
        use(tool.form, "Command15");  // "Adres = dati": the answer to "R" is text in mode 0
        QVERIFY(tool.waitForBytes(4));
        tool.tick();
        use(tool.form, "Command16");  // "Passo"
        tool.tick();                   // asks with "&"
        QVERIFY(tool.waitForBytes(5));
        tool.tick();
        const QString line = QString::asprintf("AH= 2000 DH = %02X", unsigned(tq::sim::factoryMemory()[0x2000]));
        QVERIFY2(QString::fromLatin1(tool.terminal()).contains(line), tool.terminal().c_str());
    }

    void theInputMonitorFollowsTheSimulatedMachine()
    {
        SimulatedTool tool;
        use(tool.form, "Command13");  // "lettura ingressi"
        // The simulated machine holds its reset input for 1.5 s after the first command, then
        // counts a course a second.
        const char* const expected[] = {"Mor.14(reset macchina)     = [ON ]", "Mor.14(reset macchina)     = [OFF]",
                                        "Mor.12(conteggio)          = [ON ]"};
        int seen = 0;
        QElapsedTimer clock;
        clock.start();
        while (seen < 3 && !clock.hasExpired(10000)) {
            tool.tick();
            if (tool.m().Engine.PhaseToggle() != 0)
                continue;  // that was a reply tick
            QVERIFY(tool.waitForBytes(1));
            tool.tick();
            if (tool.terminal().find(expected[seen]) != std::string::npos)
                ++seen;
        }
        QCOMPARE(seen, 3);
    }
};

QTEST_MAIN(Form1DiagnosticsPtyTest)
#include "form1_diagnostics_pty_test.moc"
