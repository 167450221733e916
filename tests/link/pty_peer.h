#pragma once
// The far end of a pseudo-terminal, standing where the controller would: the test opens the
// master side, the tool's serial backend opens slavePath().

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace tq::test {

class PtyPeer {
public:
    PtyPeer()
    {
        m_fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_fd >= 0 && grantpt(m_fd) == 0 && unlockpt(m_fd) == 0)
            m_slave = QString::fromLocal8Bit(ptsname(m_fd));
    }
    ~PtyPeer() { close(); }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool isValid() const { return m_fd >= 0 && !m_slave.isEmpty(); }
    const QString& slavePath() const { return m_slave; }

    bool write(std::string_view bytes)
    {
        return ::write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Whatever arrives until `count` bytes are in or the deadline passes; Qt events are processed
    // meanwhile, so the tool's side keeps running.
    std::string read(std::size_t count, int timeoutMs = 5000)
    {
        std::string got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                char buffer[512];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n > 0)
                    got.append(buffer, static_cast<std::size_t>(n));
            }
        }
        return got;
    }

    // The controller's end goes away, as when the adapter is pulled.
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
    QString m_slave;
};

}  // namespace tq::test
