#pragma once
// A serial line reached over the network, through a serial device server:
//   tcp://HOST:PORT       the server's raw TCP mode: the connection carries the line's bytes and
//                         nothing else;
//   rfc2217://HOST:PORT   Telnet with the COM-PORT-OPTION (ComPortClient): the server's port is
//                         set to 9600 8N1 without flow control before the line counts as open,
//                         and byte 255 travels doubled both ways.
// The line is lost when the server closes the connection or the network breaks it. Every text
// for the user names the URL.

#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

#include "link/com_port_client.h"
#include "link/serial_port.h"

class QEventLoop;

namespace tq {

// The URL a location leads to: the location itself when it is tcp:// or rfc2217://, or the
// target of the port alias (symbolic link) it names when that is one; nothing otherwise.
std::optional<QString> networkLineBehind(const QString& location);

class NetworkPort : public SerialPort {
    Q_OBJECT
public:
    // How long an open waits for the server to answer: the connection and, for rfc2217://,
    // the settings.
    static constexpr int kOpenTimeoutMs = 5000;

    explicit NetworkPort(QString url, QObject* parent = nullptr);
    ~NetworkPort() override;

    // The URL names the line; the number changes nothing.
    void setPortNumber(std::uint8_t) override {}
    // Connects, and waits for the server at most kOpenTimeoutMs. The wait runs the event loop
    // for everything but the user's input: the windows keep painting, and a click or a key
    // waits for the open to be over.
    bool open(QString* error) override;
    // Connects without waiting: openFinished comes once the server answered, refused or stayed
    // silent for kOpenTimeoutMs.
    void startOpen() override;
    void close() override;
    bool isOpen() const override { return m_phase == Phase::Open; }

    void write(std::string_view bytes) override;
    int bytesWaiting() override;
    std::string takeAll() override;
    void take(char* into, std::size_t size) override;
    void discardAll() override;
    // The socket's readyRead.
    bool announcesArrivals() const override { return true; }

private:
    enum class Phase { Closed, Connecting, Negotiating, Open };

    // Starts the connection; what is wrong with the URL when it names no server.
    QString connectToServer();
    void onConnected();
    void onReadyRead();
    void onFailure(const QString& why);
    void finishOpening(const QString& failure);
    // Takes what the socket holds into m_received; whether line data came.
    bool pull();
    void lose(const QString& reason);
    QString closedText() const;

    QString m_url;
    QTcpSocket m_socket;
    QTimer m_openTimeout;
    Phase m_phase = Phase::Closed;
    std::unique_ptr<ComPortClient> m_comPort;  // rfc2217:// only
    std::string m_received;                    // line data not yet taken
    QEventLoop* m_opening = nullptr;
    bool m_announce = false;  // opened by startOpen: openFinished tells the outcome
    QString m_openFailure;
    bool m_lost = false;
};

}  // namespace tq
