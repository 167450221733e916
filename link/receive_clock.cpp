#include "link/receive_clock.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace tq {

ReceiveClock::ReceiveClock(QTimer& timer, ReceiveEngine& engine, std::function<void()> tick, Now now)
    : m_timer(timer), m_engine(engine), m_tick(std::move(tick)), m_now(std::move(now))
{
    if (!m_now)
        m_now = [] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        };
    m_rearm.setSingleShot(true);
    m_rearm.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReceiveClock::timeout);
    connect(&m_rearm, &QTimer::timeout, this, &ReceiveClock::timeout);
}

void ReceiveClock::start()
{
    m_rearm.stop();
    m_timer.start();
    m_origin = m_now();
    m_state = State::Running;
}

void ReceiveClock::stop()
{
    m_rearm.stop();
    m_timer.stop();
    m_state = State::Stopped;
}

void ReceiveClock::setInterval(int ms)
{
    // A running QTimer given an interval starts again from now, even the same interval.
    m_timer.setInterval(ms);
    if (m_state == State::Stopped)
        return;
    m_origin = m_now();
    if (m_state == State::Waking) {
        m_wakeAt = gridPointAfter(m_origin);
        m_rearm.start(static_cast<int>(m_wakeAt - m_origin));
    }
}

void ReceiveClock::timeout()
{
    if (m_state == State::Waking) {
        // Timer1 goes on from the point of the grid that this tick stands for.
        m_timer.start();
        m_origin = m_wakeAt;
        m_state = State::Running;
    }
    m_tick();
    // A Timer1 that a test stopped to tick by hand is left alone: nothing would start it again.
    if (m_state == State::Running && m_timer.isActive() && m_engine.atRest()) {
        m_timer.stop();
        m_state = State::Asleep;
    }
}

void ReceiveClock::wake()
{
    if (m_state != State::Asleep || m_engine.atRest())
        return;
    const std::int64_t now = m_now();
    m_wakeAt = gridPointAfter(now);
    m_state = State::Waking;
    m_rearm.start(static_cast<int>(m_wakeAt - now));
}

std::optional<std::int64_t> ReceiveClock::nextTick() const
{
    switch (m_state) {
    case State::Running:
        if (m_timer.isActive())
            return gridPointAfter(m_now());
        return std::nullopt;
    case State::Waking: return m_wakeAt;
    case State::Stopped:
    case State::Asleep: break;
    }
    return std::nullopt;
}

std::int64_t ReceiveClock::gridPointAfter(std::int64_t t) const
{
    const std::int64_t period = std::max(1, m_timer.interval());
    return m_origin + ((t - m_origin) / period + 1) * period;
}

}  // namespace tq
