// The network line on real sockets, against a device server scripted here: a server that
// refuses, says nothing, runs its port at another speed or does not know the COM-PORT-OPTION
// leaves nothing open and names the URL; one that first sends options nobody asked for and a
// huge subnegotiation is answered as Telnet says and still carries the line; every byte value
// crosses both ways unchanged; and a connection closed in the middle of a Telnet command is
// one lost line, the bytes before it kept. An open that does not wait ends the same way.
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <optional>

#include "link/network_port.h"
#include "sim/com_port_server.h"

using namespace tq::telnet;

namespace {

// One device server on the loopback address. With `telnet` it answers as tq310-sim --rfc2217
// does, its port at `baud`; it first sends `greeting`, and keeps the line's data it received.
struct Server {
    Server(bool telnet, std::string greeting = {}, std::uint32_t baud = tq::comport::kBaud)
    {
        listener.listen(QHostAddress::LocalHost);
        QObject::connect(&listener, &QTcpServer::newConnection, [=, this] {
            tool = listener.nextPendingConnection();
            if (telnet)
                comPort.emplace(baud);
            tool->write(greeting.data(), qint64(greeting.size()));
            QObject::connect(tool, &QTcpSocket::readyRead, [this] {
                const QByteArray bytes = tool->readAll();
                std::string reply;
                if (comPort)
                    comPort->receive(bytes.toStdString(), data, reply);
                else
                    data += bytes.toStdString();
                tool->write(reply.data(), qint64(reply.size()));
                toolSaid += bytes.toStdString();
            });
        });
    }
    QString url(const char* scheme) const { return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(listener.serverPort()); }
    void send(const std::string& bytes) { tool->write(bytes.data(), qint64(bytes.size())); }

    QTcpServer listener;
    QTcpSocket* tool = nullptr;
    std::optional<tq::sim::ComPortServer> comPort;
    std::string data;     // the line's data, Telnet taken off
    std::string toolSaid;  // every byte the tool sent
};

// The open without waiting: nothing is reported inside startOpen, then what openFinished said
// and whether the line is open; empty when nothing came.
QVariantList openedLater(const QString& url)
{
    tq::NetworkPort port(url);
    QSignalSpy finished(&port, &tq::SerialPort::openFinished);
    port.startOpen();
    if (!finished.isEmpty() || !finished.wait(2 * tq::NetworkPort::kOpenTimeoutMs))
        return {};
    return finished.takeFirst() << port.isOpen();
}

std::string allBytes()
{
    std::string all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    return all;
}

}  // namespace

class NetworkPortTest : public QObject {
    Q_OBJECT
private slots:
    void opening_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QByteArray>("greeting");  // "-": nothing listens; "?": the server says nothing
        QTest::addColumn<int>("baud");
        QTest::addColumn<QString>("error");        // after the URL; empty: the line opens

        const QByteArray strange = QByteArray::fromStdString(negotiation(kWill, 1) + negotiation(kDo, 24)
            + subnegotiation(24, std::string(100000, '\xFF')) + negotiation(kWill, 1) + negotiation(kDo, 31));
        QTest::newRow("refused") << "tcp" << QByteArray("-") << 9600 << " ha rifiutato la connessione";
        QTest::newRow("a raw line") << "tcp" << QByteArray() << 9600 << "";
        QTest::newRow("RFC 2217") << "rfc2217" << QByteArray() << 9600 << "";
        QTest::newRow("unknown options, a huge subnegotiation") << "rfc2217" << strange << 9600 << "";
        QTest::newRow("a port at another speed") << "rfc2217" << QByteArray() << 4800
                                                 << " non accetta le impostazioni 9600,N,8,1";
        QTest::newRow("no COM-PORT-OPTION") << "rfc2217" << QByteArray::fromStdString(negotiation(kDont, kComPort))
                                            << 9600 << " non gestisce il controllo della porta seriale (RFC 2217)";
        QTest::newRow("a server that says nothing") << "rfc2217" << QByteArray("?") << 9600 << " non risponde";
    }

    void opening()
    {
        QFETCH(QString, scheme);
        QFETCH(QByteArray, greeting);
        QFETCH(int, baud);
        QFETCH(QString, error);
        const bool telnet = scheme == QLatin1String("rfc2217") && greeting != "?";
        Server server(telnet, greeting == "?" ? std::string() : greeting.toStdString(), std::uint32_t(baud));
        const QString url = server.url(scheme.toLatin1().constData());
        if (greeting == "-")
            server.listener.close();

        tq::NetworkPort port(url);
        QString said;
        QCOMPARE(port.open(&said), error.isEmpty());
        QCOMPARE(port.isOpen(), error.isEmpty());
        if (!error.isEmpty()) {
            QVERIFY2(said.contains(url + error), qPrintable(said));
            QCOMPARE(openedLater(url), (QVariantList{false, said, false}));
            return;
        }
        // Options the tool does not know are refused once each, and the huge subnegotiation
        // is passed over.
        const std::vector<Command> answers = [&] {
            Parser parser;
            std::string data;
            std::vector<Command> commands;
            parser.feed(server.toolSaid, data, commands);
            return commands;
        }();
        if (!greeting.isEmpty()) {
            QCOMPARE(std::count(answers.begin(), answers.end(), Command{kDont, 1, {}, false}), 1);
            QCOMPARE(std::count(answers.begin(), answers.end(), Command{kWont, 24, {}, false}), 1);
            QCOMPARE(std::count(answers.begin(), answers.end(), Command{kWont, 31, {}, false}), 1);
        }

        const std::string all = allBytes();
        port.write(all);
        QTRY_COMPARE(server.data, all);
        server.send(telnet ? tq::sim::ComPortServer::send(all) : all);
        QTRY_COMPARE(port.bytesWaiting(), 256);
        QCOMPARE(port.takeAll(), all);

        // Closed after a byte 255: for Telnet that is half a command.
        QSignalSpy lost(&port, &tq::SerialPort::deviceLost);
        server.send("AB\xFF");
        server.tool->disconnectFromHost();
        QTRY_COMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).toString(), url + QStringLiteral(" ha chiuso la connessione"));
        QCOMPARE(port.takeAll(), std::string(telnet ? "AB" : "AB\xFF"));
        QCoreApplication::processEvents();
        QCOMPARE(lost.count(), 1);
        QCOMPARE(openedLater(url), (QVariantList{true, QString(), true}));
    }
};

QTEST_GUILESS_MAIN(NetworkPortTest)
#include "network_port_test.moc"
