#include "sim/simulated_port.h"

#include <QMetaObject>

#include <algorithm>
#include <chrono>

namespace tq::sim {

namespace {

std::int64_t steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

QString lineDroppedText()
{
    return QString::fromUtf8("il cavo del TQ310 simulato è stato scollegato");
}

SimulatedPort::SimulatedPort(QObject* parent, Clock clock, std::shared_ptr<ControllerModel> controller)
    : SerialPort(parent),
      m_clock(clock ? std::move(clock) : Clock(steadyNow)),
      m_model(controller ? std::move(controller) : std::make_shared<ControllerModel>()),
      m_line(*m_model)
{
}

bool SimulatedPort::open(QString* error)
{
    if (m_model->fault() == Fault::LineDropped) {
        if (error)
            *error = lineDroppedText();
        return false;
    }
    m_line.clear();
    m_received.clear();
    m_open = true;
    return true;
}

void SimulatedPort::close()
{
    m_open = false;
    m_line.clear();
    m_received.clear();
}

bool SimulatedPort::lineAlive()
{
    if (!m_open)
        return false;
    if (m_model->fault() != Fault::LineDropped)
        return true;
    close();
    // Like a real port, the loss is reported from the event loop, not inside the caller's call.
    QMetaObject::invokeMethod(
        this, [this] { emit deviceLost(lineDroppedText()); }, Qt::QueuedConnection);
    return false;
}

void SimulatedPort::write(std::string_view bytes)
{
    if (lineAlive())
        m_line.fromTool(bytes, m_clock());
}

int SimulatedPort::bytesWaiting()
{
    if (!lineAlive())
        return 0;
    m_received += m_line.takeArrived(m_clock());
    return static_cast<int>(m_received.size());
}

std::string SimulatedPort::takeAll()
{
    if (!lineAlive())
        return {};
    m_received += m_line.takeArrived(m_clock());
    return std::exchange(m_received, {});
}

void SimulatedPort::take(char* into, std::size_t size)
{
    if (!lineAlive())
        return;
    size = std::min(size, m_received.size());
    m_received.copy(into, size);
    m_received.erase(0, size);
}

void SimulatedPort::discardAll()
{
    if (lineAlive())
        m_line.takeArrived(m_clock());
    m_received.clear();
}

std::unique_ptr<SerialPort> makeSimulatedPort(QObject* parent, std::shared_ptr<ControllerModel> controller)
{
    return std::make_unique<SimulatedPort>(parent, SimulatedPort::Clock{}, std::move(controller));
}

std::function<std::unique_ptr<SerialPort>()> simulatedControllerLine()
{
    auto controller = std::make_shared<std::shared_ptr<ControllerModel>>();
    return [controller] {
        if (!*controller)
            *controller = std::make_shared<ControllerModel>();
        return makeSimulatedPort(nullptr, *controller);
    };
}

}  // namespace tq::sim
