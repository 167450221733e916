#include "sim/station.h"

#include <chrono>
#include <cstdio>

namespace tq::sim {

Station::Station(ControllerModel& model, PacedLine::Answer answer, const QString& aliasName)
    : m_model(model), m_line(answer ? PacedLine(std::move(answer)) : PacedLine(model)), m_alias(aliasName)
{
}

void Station::announce(const QString& line)
{
    QString aliasError;
    const bool aliased = m_alias.point(line, &aliasError);
    say(QStringLiteral("Simulated TQ310 on %1").arg(line));
    if (aliased)
        say(QStringLiteral("Port alias: %1").arg(m_alias.path()));
    else
        complain(aliasError);
}

void Station::withdraw()
{
    m_alias.remove();
    dropInFlight();
}

void Station::dropInFlight()
{
    m_line.clear();
}

void Station::fromTool(std::string_view bytes)
{
    if (m_record)
        m_record->append(bytes);
    m_line.fromTool(bytes, nowNs());
}

void Station::deliver(std::int64_t nowNs)
{
    const std::string due = m_line.takeArrived(nowNs);
    if (!due.empty() && plugged())
        toTool(due);
}

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void say(const QString& text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void complain(const QString& text)
{
    std::fprintf(stderr, "tq310-sim: %s\n", text.toLocal8Bit().constData());
}

}  // namespace tq::sim
