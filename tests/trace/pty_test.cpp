// The trace on real pseudo-terminals. The port that records the line, on the real serial backend,
// whose far end the test plays: bytes both ways appear in order with times that never go back, and
// the controller's bytes are recorded as they come in, before the tool has asked for them. And a
// fault seen at a machine, reproduced on the bench: a read-back from tq310-sim is traced and saved;
// a second tq310-sim, which holds the factory set-up, replays the saved file; the same read-back
// through it shows the device column and the CRC of the first.
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "params/list_view.h"
#include "sim/eeprom_file.h"
#include "sim/pseudo_terminal.h"
#include "link/qt_serial_port.h"
#include "support/engine_on_line.h"
#include "support/file_bytes.h"
#include "support/qt_main.h"
#include "support/simulator_process.h"
#include "trace/trace_file.h"
#include "trace/tracing_port.h"

using tq::LineDirection;

class TracingPortPtyTest : public QObject {
    Q_OBJECT

    // What the tool has written, as the far end reads it.
    static std::string readFarEnd(tq::sim::PseudoTerminal& pty, std::size_t count)
    {
        std::string got;
        static_cast<void>(QTest::qWaitFor([&] {
            char buffer[256];
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<std::size_t>(n));
            return got.size() >= count;
        }, 5000));
        return got;
    }

    static void answer(tq::sim::PseudoTerminal& pty, const std::string& bytes)
    {
        QVERIFY(::write(pty.masterFd(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    }

private slots:
    void bytesBothWaysAppearInOrderWithMonotonicTimes()
    {
        tq::sim::PseudoTerminal pty;
        std::string error;
        QVERIFY2(pty.open(&error), error.c_str());
        auto line = std::make_unique<tq::QtSerialPort>();
        line->setSystemLocation(QString::fromStdString(pty.slavePath()));
        tq::LineTrace trace;
        tq::TracingPort port(std::move(line), trace);
        QVERIFY(port.open(nullptr));

        const std::string record(56, '\x5A');
        const std::string texts(120, 'T');
        port.write("H");
        QCOMPARE(readFarEnd(pty, 1), std::string("H"));
        // The record in three pieces, a few milliseconds apart, as a controller sends it.
        for (std::size_t at = 0; at < record.size(); at += 20) {
            answer(pty, record.substr(at, 20));
            QTest::qWait(5);
        }
        // Recorded as it came in, although the tool has not looked yet.
        QVERIFY(QTest::qWaitFor([&] { return trace.byteCount() == 1 + record.size(); }, 5000));
        QCOMPARE(port.takeAll(), record);

        port.write("J");
        QCOMPARE(readFarEnd(pty, 1), std::string("J"));
        answer(pty, texts);
        QVERIFY(QTest::qWaitFor([&] { return port.bytesWaiting() == static_cast<int>(texts.size()); }, 5000));
        QCOMPARE(port.takeAll(), texts);

        std::string sent, received;
        std::vector<LineDirection> order;
        std::int64_t last = 0;
        for (std::uint64_t e = trace.firstEntry(); e < trace.endEntry(); ++e) {
            QVERIFY(trace.timeUs(e) >= last);
            last = trace.timeUs(e);
            trace.appendBytes(e, trace.direction(e) == LineDirection::Sent ? sent : received);
            if (order.empty() || order.back() != trace.direction(e))
                order.push_back(trace.direction(e));
        }
        QCOMPARE(sent, std::string("HJ"));
        QCOMPARE(received, record + texts);
        QCOMPARE(order, (std::vector<LineDirection>{LineDirection::Sent, LineDirection::Received,
                                                    LineDirection::Sent, LineDirection::Received}));
        // The pieces of the record took at least the 10 ms of waiting between them.
        QVERIFY(last >= 10'000);
    }
};

using tq::test::SimulatorProcess;

namespace {

const QString kSim = QStringLiteral(TQ310_SIM);

// The tool's side, on the real serial backend, traced; the ring comes first, as the port records into it.
struct Ring {
    tq::LineTrace trace;
};
struct Tool : Ring, tq::test::EngineOnLine {
    explicit Tool(const QString& location) : EngineOnLine(std::make_unique<tq::TracingPort>(serial(location), trace)) {}
    // The right column of the list: the device copy's 54 values and its menu texts.
    std::vector<std::string> deviceColumn()
    {
        std::vector<std::string> column;
        for (const std::string& line : tq::ListInit(m).lines)
            column.push_back(line.substr(line.rfind('[') == std::string::npos ? 0 : line.rfind('[')));
        for (int k = 0; k < 12; ++k)
            column.push_back(m.ChipMenuTexts[k]);
        return column;
    }
};

}  // namespace

class ReplayPtyTest : public QObject {
    Q_OBJECT

private slots:
    void aReplayedReadBackShowsWhatTheTracedControllerHeld()
    {
        QTemporaryDir dir;
        const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
        tq::sim::ParamImage machine = tq::sim::factorySetup();
        machine.record[0] = 1;
        machine.record[20] = 0x87;
        machine.record[tq::kCrcLow] ^= 0x5A;  // the machine's fault: a record whose CRC does not match
        machine.texts.replace(0, 10, "SCEGLI \xE8  ");
        QString error;
        QVERIFY(tq::sim::saveEepromFile(eeprom, machine, &error));
        const QString saved = dir.filePath(QStringLiteral("registro.txt"));

        std::vector<std::string> atTheMachine;
        std::string crcAtTheMachine;
        {
            SimulatorProcess sim(kSim, {QStringLiteral("--eeprom"), eeprom});
            Tool tool(sim.slave());
            QVERIFY(tool.port->open(nullptr));
            QVERIFY(tool.readBack());
            atTheMachine = tool.deviceColumn();
            crcAtTheMachine = tool.host.label4;
            tq::TraceFrames frames(tool.trace);
            frames.update();
            // H, the record, J, the texts; a slow line may split an answer into more frames.
            std::string sent;
            std::size_t received = 0;
            for (std::size_t i = 0; i < frames.size(); ++i) {
                if (frames.direction(i) == tq::LineDirection::Sent)
                    sent += frames.bytes(i);
                else
                    received += frames.byteCount(i);
            }
            QCOMPARE(sent, std::string("HJ"));
            QCOMPARE(received, std::size_t(56 + 120));
            QCOMPARE(tq::saveTrace(saved, frames), tq::SaveStatus::Saved);
        }
        QCOMPARE(crcAtTheMachine, std::to_string(machine.record[tq::kCrcHigh]) + "-"
                                      + std::to_string(machine.record[tq::kCrcLow]) + " Chip ");

        SimulatorProcess bench(kSim, {QStringLiteral("--replay"), saved});
        QVERIFY(!bench.slave().isEmpty());
        Tool tool(bench.slave());
        QVERIFY(tool.port->open(nullptr));
        QVERIFY(tool.readBack());
        QCOMPARE(tool.deviceColumn(), atTheMachine);
        QCOMPARE(tool.host.label4, crcAtTheMachine);

        // A command the trace never saw: the bench's own simulated controller answers it.
        tq::sendPhaseRequest(tool.ctx());
        QVERIFY(tool.tickWhen(32));
        QVERIFY(tool.host.text.text().find("N.32 = ") != std::string::npos);
    }

    void aTraceThatIsNoTraceIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("registro.txt"));
        QVERIFY(tq::test::writeFile(path, "0.000000 TX 48\nnot a frame\n"));
        QProcess sim;
        sim.start(kSim, {QStringLiteral("--replay"), path});
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QCOMPARE(QString::fromLocal8Bit(sim.readAllStandardError()).trimmed(),
                 QStringLiteral("tq310-sim: cannot replay %1: riga 2: tempo non valido").arg(path));
    }
};

TQ_QTEST_MAIN(QCoreApplication, TracingPortPtyTest, ReplayPtyTest)
#include "pty_test.moc"
