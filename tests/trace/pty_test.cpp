// The trace on real pseudo-terminals. The port that records the line, on the real serial backend,
// whose far end the test plays: bytes both ways appear in order with times that never go back, and
// the controller's bytes are recorded as they come in, before the tool has asked for them. And
// tq310-sim refuses to replay a file that is no trace.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

#include "link/qt_serial_port.h"
#include "sim/pseudo_terminal.h"
#include "support/file_bytes.h"
#include "trace/tracing_port.h"

namespace tq {
namespace {

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
    std::int64_t last = 0;
    for (std::uint64_t e = trace.firstEntry(); e < trace.endEntry(); ++e) {
        EXPECT_GE(trace.timeUs(e), last);
        last = trace.timeUs(e);
        trace.appendBytes(e, trace.direction(e) == LineDirection::Sent ? sent : received);
        if (order.empty() || order.back() != trace.direction(e))
            order.push_back(trace.direction(e));
    }
    EXPECT_EQ(sent, "HJ");
    EXPECT_EQ(received, record + texts);
    EXPECT_EQ(order, (std::vector<LineDirection>{LineDirection::Sent, LineDirection::Received, LineDirection::Sent,
                                                 LineDirection::Received}));
    // The pieces of the record took at least the 10 ms of waiting between them.
    EXPECT_GE(last, 10'000);
}

// A trace that is no trace is refused by the replaying simulator, with the line that is wrong.
// (The replay of a read-back saved at the machine: the main window's trace test.)
TEST(TraceReplay, AFileThatIsNoTraceIsRefused)
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("registro.txt"));
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
