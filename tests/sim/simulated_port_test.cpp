// The in-process simulated port, with a clock the test moves by hand.

#include <QSignalSpy>
#include <QTest>

#include "sim/simulated_port.h"

using tq::sim::Fault;
using tq::sim::kByteNs;
using tq::sim::SimulatedPort;

class SimulatedPortTest : public QObject {
    Q_OBJECT

    std::int64_t m_now = 1'000'000'000;

    std::unique_ptr<SimulatedPort> openPort()
    {
        auto port = std::make_unique<SimulatedPort>(nullptr, [this] { return m_now; });
        QString error;
        if (!port->open(&error))
            qFatal("the simulated port did not open");
        return port;
    }

private slots:
    void answersShowUpByteByByte()
    {
        auto port = openPort();
        port->write("H");
        QCOMPARE(port->bytesWaiting(), 0);
        m_now += 30 * kByteNs;  // the request and 29 answer bytes
        QCOMPARE(port->bytesWaiting(), 29);
        m_now += 27 * kByteNs;
        QCOMPARE(port->bytesWaiting(), 56);
        const std::string record = port->takeAll();
        QCOMPARE(record.size(), std::size_t(56));
        QCOMPARE(port->bytesWaiting(), 0);
        QCOMPARE(port->takeAll(), std::string());
    }

    void takeAllGivesWhatHasArrivedAndKeepsTheRest()
    {
        auto port = openPort();
        port->write("J");
        m_now += 11 * kByteNs;
        QCOMPARE(port->takeAll(), std::string("SELEZIONA "));
        m_now += 10 * kByteNs;
        QCOMPARE(port->takeAll(), std::string("CARTELLA  "));
    }

    void discardingLeavesTheAnswerStillOnTheWay()
    {
        // The input poll sends "K" and empties the receive buffer at once: the answer of the
        // controller is still on the line and is waiting at the next tick.
        auto port = openPort();
        port->write("M");
        m_now += 100 * kByteNs;
        port->write("K");
        port->discardAll();
        QCOMPARE(port->bytesWaiting(), 0);
        m_now += 60'000'000;
        QCOMPARE(port->bytesWaiting(), 1);
    }

    void closingLosesTheAnswerAndWritesWhileClosedGoNowhere()
    {
        auto port = openPort();
        port->write("H");
        port->close();
        port->write("J");
        QString error;
        QVERIFY(port->open(&error));
        m_now += 1'000'000'000;
        QCOMPARE(port->bytesWaiting(), 0);
    }

    void aDroppedLineIsLostOnceAndCannotBeOpened()
    {
        auto port = openPort();
        QSignalSpy lost(port.get(), &tq::SerialPort::deviceLost);
        port->write("J");
        port->controller().setFault(Fault::LineDropped);
        m_now += 200'000'000;
        QCOMPARE(port->bytesWaiting(), 0);
        QCOMPARE(port->takeAll(), std::string());
        QVERIFY(!port->isOpen());
        QCOMPARE(lost.count(), 0);  // reported from the event loop, not inside the call
        QTRY_COMPARE(lost.count(), 1);
        port->write("H");
        QTest::qWait(10);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).toString(), tq::sim::lineDroppedText());

        QString error;
        QVERIFY(!port->open(&error));
        QCOMPARE(error, tq::sim::lineDroppedText());

        port->controller().setFault(Fault::None);
        QVERIFY(port->open(&error));
        port->write("H");
        m_now += 100'000'000;
        QCOMPARE(port->bytesWaiting(), 56);
    }

    void theFactoryFunctionGivesASimulatedController()
    {
        auto port = tq::sim::makeSimulatedPort();
        QString error;
        QVERIFY(port->open(&error));
        port->write("H");
        QTRY_COMPARE_WITH_TIMEOUT(port->bytesWaiting(), 56, 2000);
    }
};

QTEST_GUILESS_MAIN(SimulatedPortTest)
#include "simulated_port_test.moc"
