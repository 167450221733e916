// The in-process simulated port, with a clock the test moves by hand.
#include <QSignalSpy>
#include <QTest>

#include "sim/simulated_port.h"

using namespace tq::sim;

class SimulatedPortTest : public QObject {
    Q_OBJECT

    std::int64_t m_now = 1'000'000'000;

    std::unique_ptr<SimulatedPort> openPort()
    {
        auto port = std::make_unique<SimulatedPort>(nullptr, [this] { return m_now; });
        port->open(nullptr);
        return port;
    }

private slots:
    // At 9600 baud 8N1 a byte takes 1.0417 ms each way: an answer is all there once the request
    // has gone out and its last byte has come back, and no earlier.
    void answersArriveAtNineThousandSixHundredBaud()
    {
        const std::string zero(1, '\0');
        const struct { std::vector<std::string> writes; int request, answer; } cases[] = {
            {{"H"}, 1, 56},
            {{"HJ"}, 1, 176},  // the texts queue behind the record
            {{"!", "\x01", zero, zero, zero, zero}, 6, 4},
        };
        for (const auto& tc : cases) {
            auto port = openPort();
            const std::int64_t start = m_now;
            for (const std::string& w : tc.writes)
                port->write(w);
            m_now = start + (tc.request + tc.answer) * kByteNs - 1;
            QCOMPARE(port->bytesWaiting(), tc.answer - 1);
            m_now += 1;
            QCOMPARE(port->takeAll().size(), std::size_t(tc.answer));
        }
    }

    void takeAllGivesWhatHasArrivedAndDiscardSparesWhatIsStillOnTheLine()
    {
        auto port = openPort();
        port->write("J");
        m_now += 11 * kByteNs;
        QCOMPARE(port->takeAll(), std::string("SELEZIONA "));
        // The input poll writes "K" and empties the receive buffer at once: what is still on
        // the line, the rest of the texts and the input byte, is waiting at the next tick.
        port->write("K");
        port->discardAll();
        QCOMPARE(port->bytesWaiting(), 0);
        m_now += 200'000'000;
        QCOMPARE(port->bytesWaiting(), 110 + 1);
    }

    void closingLosesTheAnswerAndADroppedLineIsLostOnceAndCannotBeOpened()
    {
        auto port = openPort();
        port->write("H");
        port->close();
        port->write("J");
        QVERIFY(port->open(nullptr));
        m_now += 1'000'000'000;
        QCOMPARE(port->bytesWaiting(), 0);

        QSignalSpy lost(port.get(), &tq::SerialPort::deviceLost);
        port->write("J");
        port->controller().setFault(Fault::LineDropped);
        m_now += 200'000'000;
        QVERIFY(port->bytesWaiting() == 0 && !port->isOpen());
        QCOMPARE(lost.count(), 0);  // reported from the event loop, not inside the call
        QTRY_COMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).toString(), lineDroppedText());
        QString error;
        QVERIFY(!port->open(&error));
        QCOMPARE(error, lineDroppedText());

        port->controller().setFault(Fault::None);  // plugged in again
        QVERIFY(port->open(nullptr));
        port->write("H");
        m_now += 100'000'000;
        QCOMPARE(port->bytesWaiting(), 56);
    }
};

QTEST_GUILESS_MAIN(SimulatedPortTest)
#include "simulated_port_test.moc"
