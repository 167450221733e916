#include "sim/tcp_station.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tq::sim {

namespace {

constexpr const char* kLoopback = "127.0.0.1";

std::optional<std::uint16_t> portNumber(const QString& text)
{
    bool numeric = false;
    const uint port = text.toUInt(&numeric);
    if (!numeric || port > 65535 || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

std::optional<ListenAddress> parseListenAddress(const QString& text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    QString host = colon < 0 ? QString::fromLatin1(kLoopback) : text.left(colon);
    const auto port = portNumber(text.mid(colon + 1));
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(QLatin1Char(':')))
        return std::nullopt;  // an IPv6 address goes in brackets
    if (!port || host.isEmpty())
        return std::nullopt;
    return ListenAddress{host.toStdString(), *port};
}

TcpStation::TcpStation(ControllerModel& model, PacedLine::Answer answer, const QString& aliasName,
                       ListenAddress address, bool rfc2217)
    : Station(model, std::move(answer), aliasName), m_address(std::move(address)), m_rfc2217(rfc2217)
{
}

TcpStation::~TcpStation()
{
    hangUp();
    closeFd(m_listener);
}

bool TcpStation::plug()
{
    const QString where = QStringLiteral("%1:%2").arg(QString::fromStdString(m_address.host)).arg(m_address.port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int lookup = ::getaddrinfo(m_address.host.c_str(), std::to_string(m_address.port).c_str(), &hints, &found);
    if (lookup != 0) {
        complain(QStringLiteral("cannot listen on %1: %2").arg(where, QString::fromLocal8Bit(::gai_strerror(lookup))));
        return false;
    }
    m_listener = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    // Plugged in again after "drop", on the same port at once.
    const bool listening = m_listener >= 0 && ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) == 0
        && ::bind(m_listener, found->ai_addr, found->ai_addrlen) == 0 && ::listen(m_listener, 4) == 0;
    ::freeaddrinfo(found);
    sockaddr_storage bound{};
    socklen_t size = sizeof bound;
    if (!listening || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        complain(QStringLiteral("cannot listen on %1: %2").arg(where, QString::fromLocal8Bit(std::strerror(errno))));
        closeFd(m_listener);
        return false;
    }
    m_address.port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                                       : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    announce(url());
    return true;
}

void TcpStation::unplug()
{
    hangUp();
    closeFd(m_listener);
    withdraw();
}

void TcpStation::watch(std::vector<pollfd>& fds) const
{
    fds.push_back({m_listener, POLLIN, 0});
    fds.push_back({m_tool, POLLIN, 0});
}

void TcpStation::ready(const pollfd* fds)
{
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR))
        readFromTool();
    if (fds[0].revents & POLLIN)
        acceptTool();
}

void TcpStation::acceptTool()
{
    const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return;
    if (m_tool >= 0) {
        // A serial line has one far end.
        ::close(fd);
        return;
    }
    m_tool = fd;
    const int one = 1;
    ::setsockopt(m_tool, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (m_rfc2217)
        m_telnet.emplace();
}

void TcpStation::readFromTool()
{
    std::array<char, 512> buffer{};
    const ssize_t n = ::recv(m_tool, buffer.data(), buffer.size(), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0)
        return hangUp();
    const std::string_view bytes(buffer.data(), static_cast<std::size_t>(n));
    if (!m_telnet)
        return fromTool(bytes);
    std::string data;
    std::string reply;
    m_telnet->receive(bytes, data, reply);
    if (!reply.empty())
        ::send(m_tool, reply.data(), reply.size(), MSG_NOSIGNAL);
    if (!data.empty())
        fromTool(data);
}

void TcpStation::hangUp()
{
    closeFd(m_tool);
    m_telnet.reset();
    dropInFlight();
}

void TcpStation::toTool(std::string_view bytes)
{
    if (m_tool < 0)
        return;
    const std::string escaped = m_telnet ? ComPortServer::send(bytes) : std::string();
    const std::string_view out = m_telnet ? std::string_view(escaped) : bytes;
    // A tool that does not read, its buffers full: the bytes are lost, as on a real line.
    ::send(m_tool, out.data(), out.size(), MSG_NOSIGNAL);
}

QString TcpStation::url() const
{
    const QString host = QString::fromStdString(m_address.host);
    return QStringLiteral("%1://%2:%3")
        .arg(QLatin1String(m_rfc2217 ? "rfc2217" : "tcp"),
             host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host)
        .arg(m_address.port);
}

}  // namespace tq::sim
