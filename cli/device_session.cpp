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

DeviceSession::DeviceSession(Module1& m, std::unique_ptr<PortOpener> opener, std::uint8_t number)
    : m_m(m), m_opener(std::move(opener)), m_host(m, m_timer), m_engine(m, m_host)
{
    m_m.NoAnswerText = BuildNoAnswerText();
    // The opener reports a lost line from the event loop, after it closed it: the engine lets
    // go of it, and the wait that is running (or the next one) ends with LineLost.
    m_opener->setLostHandler([this, number](const QString& reason) {
        m_lostText = connectionLostText(number, reason);
        m_engine.setPort(nullptr);
        if (m_waiting)
            m_waiting->quit();
    });
    m_engine.setPort(m_opener->port());
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
    if (m_opener->port()) {
        QEventLoop loop;
        QTimer::singleShot(lineTimeMs(6) + 1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    m_opener->close();
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
    if (!m_opener->port())
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
    m_waiting = &loop;
    loop.exec();
    m_waiting = nullptr;
    disconnect(tick);
    return m_opener->port() ? outcome : Outcome::LineLost;
}

}  // namespace tq::cli
