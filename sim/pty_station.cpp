#include "sim/pty_station.h"

#include <array>
#include <unistd.h>

namespace tq::sim {

PtyStation::PtyStation(ControllerModel& model, PacedLine::Answer answer, const QString& aliasName)
    : Station(model, std::move(answer), aliasName)
{
}

bool PtyStation::plug()
{
    std::string error;
    if (!m_pty.open(&error)) {
        complain(QStringLiteral("cannot open a pseudo-terminal: %1").arg(QString::fromStdString(error)));
        return false;
    }
    announce(QString::fromStdString(m_pty.slavePath()));
    return true;
}

void PtyStation::unplug()
{
    withdraw();
    m_pty.close();
}

void PtyStation::watch(std::vector<pollfd>& fds) const
{
    fds.push_back({m_pty.isOpen() ? m_pty.masterFd() : -1, POLLIN, 0});
}

void PtyStation::ready(const pollfd* fds)
{
    if (!(fds[0].revents & POLLIN))
        return;
    std::array<char, 512> buffer{};
    const ssize_t n = ::read(m_pty.masterFd(), buffer.data(), buffer.size());
    if (n > 0)
        fromTool(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
}

void PtyStation::toTool(std::string_view bytes)
{
    // Nobody reading and the line's buffer full: the bytes are lost, as on a real line.
    [[maybe_unused]] const auto written = ::write(m_pty.masterFd(), bytes.data(), bytes.size());
}

}  // namespace tq::sim
