#include "trace/tracing_port.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <utility>

namespace tq {

TracingPort::TracingPort(std::unique_ptr<SerialPort> line, LineTrace& trace, const PortEntry* listed, QObject* parent)
    : SerialPort(parent), m_line(std::move(line)), m_trace(trace)
{
    if (listed)
        m_lineName = listed->location.isEmpty() ? listed->name : listed->location.toLatin1().toStdString();
    connect(m_line.get(), &SerialPort::deviceLost, this, &SerialPort::deviceLost);
    connect(m_line.get(), &SerialPort::bytesArrived, this, [this] {
        pull();
        emit bytesArrived();
    });
    if (m_line->isOpen())
        restartTrace();
}

void TracingPort::setPortNumber(std::uint8_t number)
{
    m_number = number;
    m_line->setPortNumber(number);
}

bool TracingPort::open(QString* error)
{
    m_received.clear();
    if (!m_line->open(error))
        return false;
    restartTrace();
    return true;
}

void TracingPort::restartTrace()
{
    std::string port = "Com." + std::to_string(m_number);
    if (!m_lineName.empty())
        port += " " + m_lineName;
    const QString recorder = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion();
    m_trace.restart({QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")).toStdString(), port,
                     recorder.trimmed().toLatin1().toStdString()});
}

void TracingPort::close()
{
    m_line->close();
    m_received.clear();
}

void TracingPort::write(std::string_view bytes)
{
    if (m_line->isOpen())
        m_trace.record(LineDirection::Sent, bytes);
    m_line->write(bytes);
}

void TracingPort::pull()
{
    const int waiting = m_line->bytesWaiting();
    if (waiting <= 0)
        return;
    const std::size_t from = m_received.size();
    m_received.resize(from + static_cast<std::size_t>(waiting));
    m_line->take(m_received.data() + from, static_cast<std::size_t>(waiting));
    m_trace.record(LineDirection::Received, std::string_view(m_received).substr(from));
}

int TracingPort::bytesWaiting()
{
    pull();
    return static_cast<int>(m_received.size());
}

std::string TracingPort::takeAll()
{
    pull();
    return std::exchange(m_received, {});
}

void TracingPort::take(char* into, std::size_t size)
{
    pull();
    size = std::min(size, m_received.size());
    m_received.copy(into, size);
    m_received.erase(0, size);
}

void TracingPort::discardAll()
{
    pull();
    m_received.clear();
    m_line->discardAll();
}

}  // namespace tq
