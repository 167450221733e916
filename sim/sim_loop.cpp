#include "sim/sim_loop.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tq::sim {

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

void watchSignals()
{
    if (::pipe(g_signalPipe) != 0)
        return;
    for (int fd : g_signalPipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // A tool that goes away mid-write must not kill the simulator.
    ::signal(SIGPIPE, SIG_IGN);
}

void sayFault(Fault fault)
{
    const std::string_view name = faultName(fault);
    say(QStringLiteral("Fault mode: %1").arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
}

}  // namespace

int SimLoop::run()
{
    watchSignals();
    const Fault fault = m_stations.front()->model().fault();
    if (fault != Fault::LineDropped && !plugAll())
        return 1;
    if (fault == Fault::LineDropped)
        say(QStringLiteral("The line is dropped; type a fault mode (\"none\") to plug it in."));
    else if (fault != Fault::None)
        sayFault(fault);

    std::vector<pollfd> fds;
    std::vector<std::size_t> firsts(m_stations.size());
    while (!m_quit) {
        fds.assign({{g_signalPipe[0], POLLIN, 0}, {m_consoleOpen ? STDIN_FILENO : -1, POLLIN, 0}});
        std::optional<std::int64_t> due;
        for (std::size_t i = 0; i < m_stations.size(); ++i) {
            firsts[i] = fds.size();
            m_stations[i]->watch(fds);
            if (const auto next = m_stations[i]->nextArrival())
                due = due ? std::min(*due, *next) : *next;
        }
        timespec wait{};
        if (due) {
            const std::int64_t ns = std::max<std::int64_t>(0, *due - nowNs());
            wait.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            wait.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        }
        if (::ppoll(fds.data(), fds.size(), due ? &wait : nullptr, nullptr) < 0 && errno != EINTR) {
            complain(QStringLiteral("poll failed: %1").arg(errno));
            return 1;
        }
        if (fds[0].revents & POLLIN)
            break;
        for (std::size_t i = 0; i < m_stations.size(); ++i)
            m_stations[i]->ready(&fds[firsts[i]]);
        if (fds[1].revents & (POLLIN | POLLHUP))
            readConsole();
        const std::int64_t now = nowNs();
        for (Station* s : m_stations)
            s->deliver(now);
    }
    for (Station* s : m_stations)
        s->unplug();
    return m_exitCode;
}

bool SimLoop::plugAll()
{
    for (Station* s : m_stations)
        if (!s->plugged() && !s->plug())
            return false;
    return true;
}

void SimLoop::readConsole()
{
    std::array<char, 256> buffer{};
    const ssize_t n = ::read(STDIN_FILENO, buffer.data(), buffer.size());
    if (n <= 0) {
        m_consoleOpen = false;  // no console: the simulator runs until a signal ends it
        return;
    }
    m_consoleBuffer.append(buffer.data(), static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = m_consoleBuffer.find('\n')) != std::string::npos) {
        std::string line = m_consoleBuffer.substr(0, end);
        m_consoleBuffer.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        console(line);
    }
}

void SimLoop::console(const std::string& line)
{
    if (line.empty())
        return;
    if (line == "quit") {
        m_quit = true;
        return;
    }
    const auto fault = faultFromName(line);
    if (!fault) {
        complain(QStringLiteral("unknown command \"%1\"; type none, silent, short, garbage, "
                                "long-rows, drop or quit")
                     .arg(QString::fromStdString(line)));
        return;
    }
    const bool wasPlugged = m_stations.front()->plugged();
    for (Station* s : m_stations)
        s->model().setFault(*fault);
    if (*fault == Fault::LineDropped && wasPlugged) {
        for (Station* s : m_stations)
            s->unplug();
        say(QStringLiteral("Line dropped."));
    } else if (*fault != Fault::LineDropped && !plugAll()) {
        m_exitCode = 1;
        m_quit = true;
        return;
    }
    sayFault(*fault);
}

}  // namespace tq::sim
