#include "trace/tracing_port.h"

#include <algorithm>
#include <utility>

namespace tq {

TracingPort::TracingPort(std::unique_ptr<SerialPort> line, LineTrace& trace, QObject* parent)
    : SerialPort(parent), m_line(std::move(line)), m_trace(trace)
{
    connect(m_line.get(), &SerialPort::deviceLost, this, &SerialPort::deviceLost);
    connect(m_line.get(), &SerialPort::bytesArrived, this, [this] {
        pull();
        emit bytesArrived();
    });
    if (m_line->isOpen())
        m_trace.restart();
}

bool TracingPort::open(QString* error)
{
    m_received.clear();
    if (!m_line->open(error))
        return false;
    m_trace.restart();
    return true;
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
