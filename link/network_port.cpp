#include "link/network_port.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QUrl>

#include <algorithm>
#include <utility>

#include "link/port_aliases.h"

namespace tq {

namespace {

const QLatin1String kRawScheme("tcp");
const QLatin1String kComPortScheme("rfc2217");

bool isNetworkUrl(const QString& text)
{
    for (const QLatin1String scheme : {kRawScheme, kComPortScheme})
        if (text.startsWith(scheme + QLatin1String("://"), Qt::CaseInsensitive))
            return true;
    return false;
}

struct Address {
    QString host;
    quint16 port = 0;
    bool comPort = false;
};

// HOST:PORT of a tcp:// or rfc2217:// URL, and nothing else (an IPv6 host in brackets).
std::optional<Address> addressOf(const QString& url)
{
    const QUrl u(url, QUrl::StrictMode);
    const QString scheme = u.scheme().toLower();
    if (!u.isValid() || (scheme != kRawScheme && scheme != kComPortScheme) || u.host().isEmpty() || u.port() < 1
        || !u.userInfo().isEmpty() || !(u.path().isEmpty() || u.path() == QLatin1String("/")) || u.hasQuery()
        || u.hasFragment())
        return std::nullopt;
    return Address{u.host(), static_cast<quint16>(u.port()), scheme == kComPortScheme};
}

}  // namespace

std::optional<QString> networkLineBehind(const QString& location)
{
    if (isNetworkUrl(location))
        return location;
    if (!QFileInfo(location).isSymLink())
        return std::nullopt;
    const QString target = aliasTarget(location);
    return isNetworkUrl(target) ? std::optional<QString>(target) : std::nullopt;
}

NetworkPort::NetworkPort(QString url, QObject* parent) : SerialPort(parent), m_url(std::move(url))
{
    // A device server on the factory network is reached directly, never through a proxy.
    m_socket.setProxy(QNetworkProxy::NoProxy);
    m_openTimeout.setSingleShot(true);
    m_openTimeout.setInterval(kOpenTimeoutMs);
    connect(&m_openTimeout, &QTimer::timeout, this,
            [this] { finishOpening(QString::fromUtf8("%1 non risponde").arg(m_url)); });
    connect(&m_socket, &QTcpSocket::connected, this, &NetworkPort::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkPort::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] { onFailure(closedText()); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        const char* text = nullptr;
        switch (error) {
        case QAbstractSocket::ConnectionRefusedError: text = "%1 ha rifiutato la connessione"; break;
        case QAbstractSocket::RemoteHostClosedError: return onFailure(closedText());
        case QAbstractSocket::HostNotFoundError: text = "l'host di %1 non esiste"; break;
        case QAbstractSocket::SocketTimeoutError: text = "%1 non risponde"; break;
        default:
            text = m_phase == Phase::Open ? "la connessione con %1 si è interrotta" : "la rete non raggiunge %1";
            break;
        }
        onFailure(QString::fromUtf8(text).arg(m_url));
    });
}

NetworkPort::~NetworkPort()
{
    // The socket, a member, goes after this body: what its closing signals must reach no one.
    close();
    disconnect(&m_socket, nullptr, this, nullptr);
}

QString NetworkPort::connectToServer()
{
    close();
    m_lost = false;
    const std::optional<Address> address = addressOf(m_url);
    if (!address)
        return QString::fromUtf8("indirizzo di rete non valido: %1 (tcp://HOST:PORTA o rfc2217://HOST:PORTA)").arg(m_url);
    m_comPort = address->comPort ? std::make_unique<ComPortClient>() : nullptr;
    m_openFailure.clear();
    m_phase = Phase::Connecting;
    m_openTimeout.start();
    m_socket.connectToHost(address->host, address->port);
    return {};
}

bool NetworkPort::open(QString* error)
{
    m_announce = false;
    const QString invalid = connectToServer();
    if (!invalid.isEmpty()) {
        if (error)
            *error = invalid;
        return false;
    }
    if (m_phase == Phase::Connecting || m_phase == Phase::Negotiating) {
        QEventLoop wait;
        m_opening = &wait;
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        m_opening = nullptr;
    }
    m_openTimeout.stop();
    if (m_phase == Phase::Open)
        return true;
    if (error)
        *error = m_openFailure;
    close();
    return false;
}

void NetworkPort::startOpen()
{
    m_announce = true;
    const QString invalid = connectToServer();
    if (!invalid.isEmpty())
        QMetaObject::invokeMethod(this, [this, invalid] { emit openFinished(false, invalid); }, Qt::QueuedConnection);
}

void NetworkPort::onConnected()
{
    if (m_phase != Phase::Connecting)
        return;
    // A command byte goes out at once, not held back to be sent with the next ones.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!m_comPort)
        return finishOpening({});
    m_phase = Phase::Negotiating;
    const std::string start = m_comPort->start();
    m_socket.write(start.data(), static_cast<qint64>(start.size()));
}

void NetworkPort::onReadyRead()
{
    const bool data = pull();
    if (m_phase == Phase::Negotiating) {
        switch (m_comPort->state()) {
        case ComPortClient::State::Negotiating: break;
        case ComPortClient::State::Ready: finishOpening({}); break;
        case ComPortClient::State::OptionRefused:
            finishOpening(QString::fromUtf8("%1 non gestisce il controllo della porta seriale (RFC 2217)").arg(m_url));
            break;
        case ComPortClient::State::SettingsRefused:
            finishOpening(QString::fromUtf8("la porta di %1 non accetta le impostazioni 9600,N,8,1").arg(m_url));
            break;
        }
    }
    // Data that came with the server's last answer waits until open() has returned: whoever
    // listens to the line starts listening then.
    if (data && m_phase == Phase::Open && !m_opening)
        emit bytesArrived();
}

void NetworkPort::onFailure(const QString& why)
{
    if (m_phase == Phase::Open)
        lose(why);
    else if (m_phase != Phase::Closed)
        finishOpening(why);
}

void NetworkPort::finishOpening(const QString& failure)
{
    if (m_phase != Phase::Connecting && m_phase != Phase::Negotiating)
        return;
    m_openFailure = failure;
    m_phase = failure.isEmpty() ? Phase::Open : Phase::Closed;
    if (!m_announce) {  // open() waits for it
        if (m_opening)
            m_opening->quit();
        return;
    }
    m_openTimeout.stop();
    if (!failure.isEmpty())
        close();
    QMetaObject::invokeMethod(this, [this, failure] { emit openFinished(failure.isEmpty(), failure); }, Qt::QueuedConnection);
}

void NetworkPort::close()
{
    m_openTimeout.stop();
    m_phase = Phase::Closed;
    if (m_opening)
        m_opening->quit();
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        // What the tool wrote last leaves before the connection ends.
        m_socket.flush();
        m_socket.abort();
    }
    m_received.clear();
    m_comPort.reset();
}

bool NetworkPort::pull()
{
    if (m_socket.bytesAvailable() <= 0)
        return false;
    const QByteArray bytes = m_socket.readAll();
    const std::string_view piece(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!m_comPort) {
        m_received += piece;
        return true;
    }
    const std::size_t before = m_received.size();
    std::string reply;
    m_comPort->receive(piece, m_received, reply);
    if (!reply.empty())
        m_socket.write(reply.data(), static_cast<qint64>(reply.size()));
    return m_received.size() > before;
}

void NetworkPort::write(std::string_view bytes)
{
    if (m_phase != Phase::Open || bytes.empty())
        return;
    // Not flushed here: the bytes leave when the handler returns to the event loop, as on the
    // serial port.
    const std::string escaped = m_comPort ? m_comPort->send(bytes) : std::string();
    const std::string_view out = m_comPort ? std::string_view(escaped) : bytes;
    if (!out.empty() && m_socket.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size()))
        lose(QString::fromUtf8("errore di scrittura su %1").arg(m_url));
}

int NetworkPort::bytesWaiting()
{
    pull();
    return static_cast<int>(m_received.size());
}

std::string NetworkPort::takeAll()
{
    pull();
    return std::exchange(m_received, {});
}

void NetworkPort::take(char* into, std::size_t size)
{
    pull();
    size = std::min(size, m_received.size());
    m_received.copy(into, size);
    m_received.erase(0, size);
}

void NetworkPort::discardAll()
{
    pull();
    m_received.clear();
}

void NetworkPort::lose(const QString& reason)
{
    if (m_phase != Phase::Open || m_lost)
        return;
    m_lost = true;
    emit deviceLost(reason);
}

QString NetworkPort::closedText() const
{
    return QString::fromUtf8("%1 ha chiuso la connessione").arg(m_url);
}

}  // namespace tq
