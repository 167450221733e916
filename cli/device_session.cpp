#include "cli/device_session.h"

#include <QElapsedTimer>

namespace tq::cli {

int lineTimeMs(int bytes)
{
    constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
    constexpr int kBaud = 9600;
    return (bytes * kBitsPerByte * 1000 + kBaud - 1) / kBaud;
}

DeviceSession::DeviceSession(Module1& m, std::unique_ptr<PortOpener> opener, std::uint8_t number)
    : m_m(m), m_opener(std::move(opener)), m_host(m, m_timer), m_engine(m, m_host)
{
    m_m.NoAnswerText = BuildNoAnswerText();
    // The opener reports a lost line from the event loop, after it closed it: the engine lets
    // go of it, and the wait that is running (or the next one) ends with LineLost.
    m_opener->setLostHandler([this, number](const QString& reason) {
        m_lostText = connectionLostText(number, reason);
        m_engine.setPort(nullptr);
        if (m_wait)
            finishWait(Outcome::LineLost);
    });
    m_engine.setPort(m_opener->port());
    connect(&m_timer, &QTimer::timeout, this, &DeviceSession::onTick);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(interval::Start);
    m_timer.start();
}

DeviceSession::~DeviceSession()
{
    stop();
    m_opener->close();
}

void DeviceSession::stop()
{
    m_timer.stop();
    m_engine.setPort(nullptr);
    m_wait.reset();
}

int DeviceSession::lingerMs() const
{
    return m_opener->port() ? lineTimeMs(6) + 1 : 0;
}

Later<DeviceSession::Outcome> DeviceSession::carry(int bytes)
{
    QElapsedTimer clock;
    clock.start();
    const int ms = lineTimeMs(bytes);
    return waitFor([clock, ms] { return clock.elapsed() >= ms; }, {});
}

Later<DeviceSession::Outcome> DeviceSession::waitFor(std::function<bool()> done, std::function<long()> progress)
{
    if (!m_opener->port())
        return Later<Outcome>::now(Outcome::LineLost);
    const long seen = progress ? progress() : 0;
    return Later<Outcome>([this, done = std::move(done), progress = std::move(progress), seen](Later<Outcome>::Deliver deliver) {
        m_wait = Wait{done, progress, seen, 0, std::move(deliver)};
    });
}

void DeviceSession::onTick()
{
    if (!m_wait)
        return;
    m_engine.tick();
    Wait& wait = *m_wait;
    if (wait.done())
        return finishWait(Outcome::Done);
    if (wait.progress) {
        const long now = wait.progress();
        wait.idle = now == wait.seen ? wait.idle + 1 : 0;
        wait.seen = now;
        if (wait.idle >= kPatienceTicks)
            finishWait(Outcome::NoAnswer);
    }
}

void DeviceSession::finishWait(Outcome outcome)
{
    const Later<Outcome>::Deliver deliver = std::move(m_wait->deliver);
    m_wait.reset();
    // The job goes on from here, and may start its next wait.
    deliver(m_opener->port() ? outcome : Outcome::LineLost);
}

}  // namespace tq::cli
