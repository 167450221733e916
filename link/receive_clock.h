#pragma once
// Timer1 that sleeps at rest. A tick in terminal mode with nothing waiting does nothing, so on a
// line that says when bytes come in (SerialPort::bytesArrived) the clock stops Timer1 after such
// a tick, and the main thread sleeps while the controller is silent. Bytes coming in, or a sender
// moving the engine out of terminal mode, re-arm it (wake), and the tick comes when it would have
// come: Timer1 started or given an interval at time O ticks at O + T, O + 2T, ..., and so does
// the sleeping clock, whatever it skipped. A line that never announces its bytes (the simulated
// controller, the scripted port) keeps every tick.
//
//   ReceiveClock clock(*Timer1, engine, [this] { Timer1_Timer(); });
//   clock.start();                                       // in place of Timer1->start()
//   connect(port, &SerialPort::bytesArrived, &clock, &ReceiveClock::wake);
//   sendReadBack(link(), false);  clock.wake();          // after every sender
//
// Timer1's interval stays the one the senders set (setInterval, through the engine's host); a
// tick is always the same handler, called by Timer1 or by the clock's own re-arming timer.

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

#include "link/receive_engine.h"

namespace tq {

class ReceiveClock : public QObject {
    Q_OBJECT
public:
    // Milliseconds of a monotonic clock; the steady clock when not given (tests pass their own).
    using Now = std::function<std::int64_t()>;

    // timer is Timer1, whose timeout the clock takes over; tick is its handler.
    ReceiveClock(QTimer& timer, ReceiveEngine& engine, std::function<void()> tick, Now now = {});

    // As QTimer's: ticks from now at the interval; no more ticks; a new interval restarts a
    // running timer from now, sleeping or not.
    void start();
    void stop();
    void setInterval(int ms);

    // Timer1 (or the re-arming timer) fired: one tick, then sleep if the engine is at rest.
    void timeout();
    // Bytes came in or a sender moved the engine: a sleeping clock whose engine has work again
    // re-arms for the next point of its grid. Otherwise nothing.
    void wake();

    bool asleep() const { return m_state == State::Asleep; }
    // When the next tick comes as things stand (none while asleep or stopped).
    std::optional<std::int64_t> nextTick() const;

private:
    enum class State { Stopped, Running, Asleep, Waking };
    // The first point of the grid after `t`.
    std::int64_t gridPointAfter(std::int64_t t) const;

    QTimer& m_timer;
    ReceiveEngine& m_engine;
    std::function<void()> m_tick;
    Now m_now;
    QTimer m_rearm;
    State m_state = State::Stopped;
    std::int64_t m_origin = 0;  // when Timer1 was last started, or would have been
    std::int64_t m_wakeAt = 0;  // the tick the re-arming timer brings
};

}  // namespace tq
