// The trace on real pseudo-terminals. The port that records the line, on the real serial backend,
// whose far end the test plays: bytes both ways appear in order with the line's times, and
// the controller's bytes are recorded as they come in, before the tool has asked for them. And a
// fault seen at a machine, reproduced on the bench: a read-back from tq310-sim is traced and saved;
// a second tq310-sim, which holds the factory set-up, replays the saved file; the same read-back
// through it shows the device column and the CRC of the first.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <unistd.h>

#include "link/qt_serial_port.h"
#include "params/list_view.h"
#include "sim/eeprom_file.h"
#include "sim/pseudo_terminal.h"
#include "support/engine_on_line.h"
#include "support/file_bytes.h"
#include "support/simulator_process.h"
#include "trace/trace_file.h"
#include "trace/tracing_port.h"

namespace tq {
namespace {

using test::SimulatorProcess;

const QString kSim = QStringLiteral(TQ310_SIM);

// What the tool has written, as the far end reads it.
std::string readFarEnd(sim::PseudoTerminal& pty, std::size_t count)
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

void answer(sim::PseudoTerminal& pty, const std::string& bytes)
{
    ASSERT_EQ(::write(pty.masterFd(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

TEST(TracingPort, BytesBothWaysAppearInOrderWithMonotonicTimes)
{
    sim::PseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.open(&error)) << error;
    auto line = std::make_unique<QtSerialPort>();
    line->setSystemLocation(QString::fromStdString(pty.slavePath()));
    LineTrace trace;
    TracingPort port(std::move(line), trace);
    ASSERT_TRUE(port.open(nullptr));

    const std::string record(56, '\x5A');
    const std::string texts(120, 'T');
    port.write("H");
    EXPECT_EQ(readFarEnd(pty, 1), "H");
    // The record in three pieces, a few milliseconds apart, as a controller sends it.
    for (std::size_t at = 0; at < record.size(); at += 20) {
        answer(pty, record.substr(at, 20));
        QTest::qWait(5);
    }
    // Recorded as it came in, although the tool has not looked yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return trace.byteCount() == 1 + record.size(); }, 5000));
    EXPECT_EQ(port.takeAll(), record);

    port.write("J");
    EXPECT_EQ(readFarEnd(pty, 1), "J");
    answer(pty, texts);
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.bytesWaiting() == static_cast<int>(texts.size()); }, 5000));
    EXPECT_EQ(port.takeAll(), texts);

    std::string sent, received;
    std::vector<LineDirection> order;
    for (std::uint64_t e = trace.firstEntry(); e < trace.endEntry(); ++e) {
        trace.appendBytes(e, trace.direction(e) == LineDirection::Sent ? sent : received);
        if (order.empty() || order.back() != trace.direction(e))
            order.push_back(trace.direction(e));
    }
    EXPECT_EQ(sent, "HJ");
    EXPECT_EQ(received, record + texts);
    EXPECT_EQ(order, (std::vector<LineDirection>{LineDirection::Sent, LineDirection::Received, LineDirection::Sent,
                                                 LineDirection::Received}));
    // The times are the line's: the pieces of the record took at least the 10 ms of waiting
    // between them.
    EXPECT_GE(trace.timeUs(trace.endEntry() - 1), 10'000);
}

// The tool's side, on the real serial backend, traced; the ring comes first, as the port records into it.
struct Ring {
    LineTrace trace;
};
struct Tool : Ring, test::EngineOnLine {
    explicit Tool(const QString& location) : EngineOnLine(std::make_unique<TracingPort>(serial(location), trace)) {}
    // The list, whose right column holds the device copy's 54 values, and the device's menu texts.
    std::vector<std::string> deviceColumn()
    {
        std::vector<std::string> column = ListInit(m).lines;
        column.insert(column.end(), m.ChipMenuTexts.begin(), m.ChipMenuTexts.begin() + kDeviceMenuTexts);
        return column;
    }
};

TEST(TraceReplay, AReplayedReadBackShowsWhatTheTracedControllerHeld)
{
    QTemporaryDir dir;
    const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
    sim::ParamImage machine = sim::factorySetup();
    machine.record[0] = 1;
    machine.record[20] = 0x87;
    machine.record[kCrcLow] ^= 0x5A;  // the machine's fault: a record whose CRC does not match
    machine.texts.replace(0, 10, "SCEGLI \xE8  ");
    QString error;
    ASSERT_TRUE(sim::saveEepromFile(eeprom, machine, &error));
    const QString saved = dir.filePath(QStringLiteral("registro.txt"));

    std::vector<std::string> atTheMachine;
    std::string crcAtTheMachine;
    {
        SimulatorProcess sim(kSim, {QStringLiteral("--eeprom"), eeprom});
        Tool tool(sim.slave());
        ASSERT_TRUE(tool.port->open(nullptr));
        ASSERT_TRUE(tool.readBack());
        atTheMachine = tool.deviceColumn();
        crcAtTheMachine = tool.host.label4;
        TraceFrames frames(tool.trace);
        frames.update();
        ASSERT_EQ(saveTrace(saved, frames), SaveStatus::Saved);
    }
    EXPECT_EQ(crcAtTheMachine,
              std::to_string(machine.record[kCrcHigh]) + "-" + std::to_string(machine.record[kCrcLow]) + " Chip ");

    SimulatorProcess bench(kSim, {QStringLiteral("--replay"), saved});
    Tool tool(bench.slave());
    ASSERT_TRUE(tool.port->open(nullptr));
    ASSERT_TRUE(tool.readBack());
    EXPECT_EQ(tool.deviceColumn(), atTheMachine);
    EXPECT_EQ(tool.host.label4, crcAtTheMachine);

    // A command the trace never saw: the bench's own simulated controller answers it.
    sendPhaseRequest(tool.ctx());
    ASSERT_TRUE(tool.tickWhen(32));
    EXPECT_NE(tool.host.text.text().find("N.32 = "), std::string::npos);

    // A trace that is no trace is refused.
    ASSERT_TRUE(test::writeFile(saved, "0.000000 TX 48\nnot a frame\n"));
    QProcess refused;
    refused.start(kSim, {QStringLiteral("--replay"), saved});
    ASSERT_TRUE(refused.waitForFinished(5000));
    EXPECT_EQ(refused.exitCode(), 2);
    EXPECT_EQ(QString::fromLocal8Bit(refused.readAllStandardError()).trimmed(),
              QStringLiteral("tq310-sim: cannot replay %1: riga 2: tempo non valido").arg(saved));
}

}  // namespace
}  // namespace tq
