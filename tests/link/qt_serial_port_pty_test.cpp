// The QSerialPort backend on a real pseudo-terminal: every byte value both ways unchanged, a
// closed peer reported once, and an open that fails saying why in Italian.
#include <QSignalSpy>
#include <QtTest>

#include "link/pty_peer.h"
#include "link/qt_serial_port.h"

using tq::QtSerialPort;
using tq::test::PtyPeer;

class QtSerialPortPtyTest : public QObject {
    Q_OBJECT
private slots:
    void carriesAll256ByteValuesBothWays()
    {
        PtyPeer peer;
        QVERIFY(peer.isValid());
        QtSerialPort port;
        port.setSystemLocation(peer.slavePath());
        port.setPortNumber(7);  // a set location wins over the number
        QString error;
        QVERIFY2(port.open(&error), qPrintable(error));
        QVERIFY(port.isOpen());

        std::string all;
        for (int b = 0; b < 256; ++b)
            all += static_cast<char>(b);
        QVERIFY(peer.write(all));
        QTRY_COMPARE(port.bytesWaiting(), 256);
        QCOMPARE(port.takeAll(), all);
        QCOMPARE(port.bytesWaiting(), 0);

        port.write(all);
        QCOMPARE(peer.read(256), all);

        QVERIFY(peer.write("\r\n\x11\x13"));  // no flow control, no line ending translation
        QTRY_COMPARE(port.bytesWaiting(), 4);
        port.discardAll();
        QCOMPARE(port.bytesWaiting(), 0);
        QCOMPARE(port.takeAll(), std::string());
        port.close();
        QVERIFY(!port.isOpen());
    }

    void aClosedPeerIsReportedOnce()
    {
        PtyPeer peer;
        QtSerialPort port;
        port.setSystemLocation(peer.slavePath());
        QVERIFY(port.open(nullptr));
        QSignalSpy lost(&port, &tq::SerialPort::deviceLost);
        peer.close();
        QTRY_COMPARE(lost.count(), 1);
        port.write("K");  // a write to the lost line does not report again
        QTest::qWait(50);
        QCOMPARE(lost.count(), 1);
    }

    void anOpenThatFailsSaysWhyAndLeavesThePortClosed()
    {
        QtSerialPort port({tq::PortEntry{"Porta seriale (COM1)", {}, QStringLiteral("/dev/tq310-none"), 1}});
        port.setPortNumber(1);
        QString error;
        QVERIFY(!port.open(&error));
        QCOMPARE(error, QStringLiteral("la porta non esiste"));
        QVERIFY(!port.isOpen());
        QCOMPARE(port.systemLocation(), QStringLiteral("/dev/tq310-none"));
        port.setPortNumber(9);  // not listed: the system's own name
        QCOMPARE(port.systemLocation(), QStringLiteral("COM9"));
    }
};

QTEST_GUILESS_MAIN(QtSerialPortPtyTest)
#include "qt_serial_port_pty_test.moc"
