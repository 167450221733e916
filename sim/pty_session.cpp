#include "sim/pty_session.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
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

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void say(const QString& text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void sayFault(Fault fault)
{
    const std::string_view name = faultName(fault);
    say(QStringLiteral("Fault mode: %1")
            .arg(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()))));
}

void complain(const QString& text)
{
    std::fprintf(stderr, "tq310-sim: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

PtySession::PtySession(ControllerModel& model, const QString& aliasName, PacedLine::Answer answer)
    : m_model(model), m_line(answer ? PacedLine(std::move(answer)) : PacedLine(model)), m_alias(aliasName)
{
}

int PtySession::run()
{
    watchSignals();
    if (m_model.fault() != Fault::LineDropped && !plug())
        return 1;
    if (m_model.fault() == Fault::LineDropped)
        say(QStringLiteral("The line is dropped; type a fault mode (\"none\") to plug it in."));
    else if (m_model.fault() != Fault::None)
        sayFault(m_model.fault());

    while (!m_quit) {
        std::array<pollfd, 3> fds{};
        fds[0] = {g_signalPipe[0], POLLIN, 0};
        fds[1] = {m_consoleOpen ? STDIN_FILENO : -1, POLLIN, 0};
        fds[2] = {m_pty.isOpen() ? m_pty.masterFd() : -1, POLLIN, 0};

        timespec wait{};
        timespec* timeout = nullptr;
        if (const auto due = m_line.nextArrival()) {
            const std::int64_t ns = std::max<std::int64_t>(0, *due - nowNs());
            wait.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            wait.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeout = &wait;
        }
        if (::ppoll(fds.data(), fds.size(), timeout, nullptr) < 0 && errno != EINTR) {
            complain(QStringLiteral("poll failed: %1").arg(errno));
            return 1;
        }
        if (fds[0].revents & POLLIN)
            break;
        if (fds[2].revents & POLLIN)
            readFromTool();
        if (fds[1].revents & (POLLIN | POLLHUP))
            readConsole();
        deliver();
    }
    unplug();
    return m_exitCode;
}

bool PtySession::plug()
{
    std::string error;
    if (!m_pty.open(&error)) {
        complain(QStringLiteral("cannot open a pseudo-terminal: %1").arg(QString::fromStdString(error)));
        return false;
    }
    // The alias points at the line before the line is announced: whoever connects on reading
    // the announcement finds the alias in place.
    const QString slave = QString::fromStdString(m_pty.slavePath());
    QString aliasError;
    const bool aliased = m_alias.point(slave, &aliasError);
    say(QStringLiteral("Simulated TQ310 on %1").arg(slave));
    if (aliased)
        say(QStringLiteral("Port alias: %1").arg(m_alias.path()));
    else
        complain(aliasError);
    return true;
}

void PtySession::unplug()
{
    m_alias.remove();
    m_pty.close();
    m_line.clear();
}

void PtySession::readFromTool()
{
    std::array<char, 512> buffer{};
    const ssize_t n = ::read(m_pty.masterFd(), buffer.data(), buffer.size());
    if (n <= 0)
        return;
    const std::string_view bytes(buffer.data(), static_cast<std::size_t>(n));
    if (m_record)
        m_record->append(bytes);
    m_line.fromTool(bytes, nowNs());
}

void PtySession::readConsole()
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

void PtySession::console(const std::string& line)
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
    m_model.setFault(*fault);
    if (*fault == Fault::LineDropped && m_pty.isOpen()) {
        unplug();
        say(QStringLiteral("Line dropped."));
    } else if (*fault != Fault::LineDropped && !m_pty.isOpen()) {
        if (!plug()) {
            m_exitCode = 1;
            m_quit = true;
            return;
        }
    }
    sayFault(*fault);
}

void PtySession::deliver()
{
    const std::string due = m_line.takeArrived(nowNs());
    if (due.empty() || !m_pty.isOpen())
        return;
    // Nobody reading and the line's buffer full: the bytes are lost, as on a real line.
    [[maybe_unused]] const auto written = ::write(m_pty.masterFd(), due.data(), due.size());
}

}  // namespace tq::sim
