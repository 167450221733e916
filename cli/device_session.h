#pragma once
// One connection of tq310-cli to a controller: the line the port opener opened, the receive
// engine with the console's host, and the QTimer that ticks the engine as Timer1 does in the
// main window (running from the moment the port is open, 100 ms until a sender sets its
// interval). The jobs call the window's senders on link() and then wait (co_await, see
// coroutine.h): the event loop runs, the timer ticks the engine, and the wait ends when the
// job's condition holds. Between waits the engine is not ticked, as in a job that runs alone.
//
// The window waits for ever; the console gives up after kPatienceTicks ticks in a row without
// progress: 2 s for each answer of a read-back (200 ms ticks), 0.6 s for the input status
// (60 ms ticks, five polls). A controller answers "H" within about 60 ms, so ten ticks leave a
// busy controller room and still end a script in seconds.

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

#include "cli/console_host.h"
#include "cli/coroutine.h"
#include "link/commands.h"
#include "link/port_opener.h"
#include "link/receive_engine.h"

namespace tq::cli {

inline constexpr int kPatienceTicks = 10;

class DeviceSession : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Done, NoAnswer, LineLost };

    // The opener's line is open as port number `number`; the session closes it when it goes.
    DeviceSession(Module1& m, std::unique_ptr<PortOpener> opener, std::uint8_t number);
    ~DeviceSession() override;

    LinkContext link() { return LinkContext{m_m, *m_opener->port(), m_host}; }
    Module1& module() { return m_m; }
    ConsoleHost& host() { return m_host; }
    // The open line; nullptr once it was lost.
    SerialPort* port() const { return m_opener->port(); }
    int timerInterval() const { return m_timer.interval(); }

    // Runs the engine until done() holds (checked after every tick). progress() is any count
    // that grows when the controller has answered something; kPatienceTicks ticks without it
    // growing give NoAnswer.
    Later<Outcome> waitFor(std::function<bool()> done, std::function<long()> progress);

    // Runs the engine for as many ticks as the line needs to carry `bytes` just written
    // (10 bits a byte at 9600 baud), at least one, so that they are on the wire before the
    // next step: the window's user cannot click faster than that either.
    Later<Outcome> carry(int bytes);

    // The job is over: the engine stops. A request it wrote in its last tick (at most "!" and
    // five bytes) may still be in the port's buffer: it leaves if the session lives
    // lingerMs() longer with the event loop running.
    void stop();
    int lingerMs() const;

    // The window's report of the lost line (" Connessione persa con la porta Com.1 : ... "),
    // once a wait said LineLost.
    const std::string& lostText() const { return m_lostText; }

private:
    struct Wait {
        std::function<bool()> done;
        std::function<long()> progress;
        long seen = 0;
        int idle = 0;
        Later<Outcome>::Deliver deliver;
    };
    void onTick();
    void finishWait(Outcome outcome);

    Module1& m_m;
    std::unique_ptr<PortOpener> m_opener;
    QTimer m_timer;
    ConsoleHost m_host;
    ReceiveEngine m_engine;
    std::optional<Wait> m_wait;  // the wait that is running
    std::string m_lostText;
};

// The line time of `bytes` at 9600 baud with 10 bits a byte, in ms, rounded up.
int lineTimeMs(int bytes);

}  // namespace tq::cli
