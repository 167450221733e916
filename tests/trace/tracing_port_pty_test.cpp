// The port that records the line, on the real serial backend over a pseudo-terminal whose far end
// the test plays: bytes both ways appear in the trace in order with times that never go back, and
// the controller's bytes are recorded as they come in, before the tool has asked for them.
#include <QTest>

#include <unistd.h>

#include "link/qt_serial_port.h"
#include "sim/pseudo_terminal.h"
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

QTEST_GUILESS_MAIN(TracingPortPtyTest)
#include "tracing_port_pty_test.moc"
