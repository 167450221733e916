#include "cli/device_session.h"

#include <QElapsedTimer>
#include <QEventLoop>

namespace tq::cli {

int lineTimeMs(int bytes)
{
    constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
    constexpr int kBaud = 9600;
    return (bytes * kBitsPerByte * 1000 + kBaud - 1) / kBaud;
}

DeviceSession::DeviceSession(Module1& m, std::unique_ptr<SerialPort> port)
    : m_m(m), m_port(std::move(port)), m_host(m, m_timer), m_engine(m, m_host)
{
    m_m.NoAnswerText = BuildNoAnswerText();
    // A lost line is only noted here: the port is not touched inside its own report, and the
    // wait that is running (or the next one) ends with LineLost.
    connect(m_port.get(), &SerialPort::deviceLost, this, [this](const QString& reason) {
        if (!m_lost)
            m_lostReason = reason;
        m_lost = true;
    });
    m_engine.setPort(m_port.get());
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(interval::Start);
    m_timer.start();
}

DeviceSession::~DeviceSession()
{
    m_timer.stop();
    m_engine.setPort(nullptr);
    // A request the engine wrote in the last tick (at most "!" and five bytes) is still in the
    // port's buffer: it leaves while the loop runs, before the close would drop it.
    if (!m_lost) {
        QEventLoop loop;
        QTimer::singleShot(lineTimeMs(6) + 1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    m_port->close();
}

DeviceSession::Outcome DeviceSession::carry(int bytes)
{
    QElapsedTimer clock;
    clock.start();
    const int ms = lineTimeMs(bytes);
    return waitFor([&clock, ms] { return clock.elapsed() >= ms; }, {});
}

DeviceSession::Outcome DeviceSession::waitFor(const std::function<bool()>& done, const std::function<long()>& progress)
{
    if (m_lost)
        return Outcome::LineLost;
    QEventLoop loop;
    Outcome outcome = Outcome::Done;
    long seen = progress ? progress() : 0;
    int idle = 0;
    const auto finish = [&loop, &outcome](Outcome o) {
        outcome = o;
        loop.quit();
    };
    const QMetaObject::Connection tick = connect(&m_timer, &QTimer::timeout, &loop, [&] {
        m_engine.tick();
        if (m_lost)
            return finish(Outcome::LineLost);
        if (done())
            return finish(Outcome::Done);
        if (progress) {
            const long now = progress();
            idle = now == seen ? idle + 1 : 0;
            seen = now;
            if (idle >= kPatienceTicks)
                finish(Outcome::NoAnswer);
        }
    });
    const QMetaObject::Connection lost =
        connect(m_port.get(), &SerialPort::deviceLost, &loop, [&finish] { finish(Outcome::LineLost); });
    loop.exec();
    disconnect(tick);
    disconnect(lost);
    return outcome;
}

}  // namespace tq::cli
