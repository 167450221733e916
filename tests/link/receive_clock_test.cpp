// The receive timer that sleeps at rest, over simulated time: a script of what the controller
// sends and what the user clicks runs twice against the engine on a scripted port, once with
// Timer1 ticking at every point of its grid as it always did, once with the sleeping clock. At
// every point of the grid both runs must show the same terminal text, have asked the same of the
// port and the window in the same order, and be in the same mode; the sleeping clock may skip
// only the ticks that do nothing. A clock that re-armed late, early or not at all, or slept in a
// mode that sends or shows something on a tick, shows up as a difference at some tick.
#include <QtTest>

#include <functional>
#include <numeric>
#include <optional>

#include "link/commands.h"
#include "link/receive_clock.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"

namespace {

using namespace tq;

// The window as the engine sees it, with Timer1's interval going where the run says.
class TimedHost : public test::FakeHost {
public:
    void intervalChanged(int ms) override
    {
        FakeHost::intervalChanged(ms);
        onInterval(ms);
    }
    std::function<void(int)> onInterval;
};

// At `at` ms the controller's bytes come in, or the user works a control (its sender runs; then
// the window tells the clock, as Form1 does after every sender).
struct Step {
    std::int64_t at;
    std::string bytes;
    std::function<void(const LinkContext&)> sender;
};

// What one run looks like at one point of the grid, after the tick there.
struct Seen {
    std::int64_t at;
    std::string text;
    std::vector<std::string> log;
    int mode;
    bool operator==(const Seen&) const = default;
};

struct Run {
    std::vector<Seen> seen;
    std::vector<std::int64_t> ticks;
    std::vector<std::int64_t> busyTicks;  // ticks that found a mode other than terminal, or bytes
};

constexpr std::int64_t kEnd = 3000;

std::string record()
{
    std::string s(54, '\0');
    std::iota(s.begin(), s.end(), '\1');
    return s + "\xAB\xCD";
}

// The engine, its port and its window, and the script's steps not yet run.
struct Rig {
    Module1 m;
    TimedHost host;
    test::ScriptedPort port;
    ReceiveEngine engine{m, host};
    std::vector<Step> steps;
    std::size_t next = 0;
    std::int64_t now = 0;

    Rig(const std::vector<Step>& script, bool announces) : steps(script)
    {
        m.NoAnswerText = BuildNoAnswerText();
        host.log = &port.events;
        port.opened = true;
        port.announces = announces;
        engine.setPort(&port);
    }
    std::optional<std::int64_t> nextStep() const
    {
        return next < steps.size() ? std::optional(steps[next].at) : std::nullopt;
    }
    // Runs the next step; true when it was a sender.
    bool runStep()
    {
        const Step& s = steps[next++];
        if (s.sender) {
            s.sender(LinkContext{m, port, host});
            return true;
        }
        port.feed(s.bytes);
        return false;
    }
    void tick(Run& run)
    {
        if (m.Engine.mode() != ReceiveMode::Terminal || port.bytesWaiting() > 0)
            run.busyTicks.push_back(now);
        engine.tick();
        run.ticks.push_back(now);
    }
    Seen look() const { return Seen{now, host.text.text(), port.events, int(m.Engine.mode())}; }
};

// Timer1 as it always ran: started at 0 with 100 ms, started again by every new interval, a tick
// at every point of its grid. At equal times the tick comes before the step.
Run tickingRun(const std::vector<Step>& script)
{
    Rig rig(script, true);
    std::int64_t origin = 0, period = 100;
    rig.host.onInterval = [&](int ms) {
        origin = rig.now;
        period = ms;
    };
    Run run;
    for (;;) {
        const std::int64_t tick = origin + ((rig.now - origin) / period + 1) * period;
        const std::optional<std::int64_t> step = rig.nextStep();
        if (step && *step < tick) {
            rig.now = *step;
            rig.runStep();
            continue;
        }
        if (tick > kEnd)
            return run;
        rig.now = tick;
        rig.tick(run);
        run.seen.push_back(rig.look());
    }
}

// The same script with the sleeping clock, looked at on the ticking run's grid. Timer1 is a real
// QTimer that never fires here (no event loop runs): the clock says when its next tick comes.
Run sleepingRun(const std::vector<Step>& script, bool announces, const std::vector<std::int64_t>& lookAt)
{
    Rig rig(script, announces);
    QTimer timer1;
    timer1.setInterval(100);
    Run run;
    ReceiveClock clock(timer1, rig.engine, [&] { rig.tick(run); }, [&] { return rig.now; });
    rig.host.onInterval = [&](int ms) { clock.setInterval(ms); };
    QObject::connect(&rig.port, &SerialPort::bytesArrived, &clock, &ReceiveClock::wake);
    clock.start();
    std::size_t looked = 0;
    while (looked < lookAt.size()) {
        // At equal times: the tick, then the look, then the step.
        const std::optional<std::int64_t> tick = clock.nextTick();
        const std::int64_t look = lookAt[looked];
        const std::optional<std::int64_t> step = rig.nextStep();
        if (tick && *tick <= look && (!step || *tick <= *step)) {
            rig.now = *tick;
            clock.timeout();
        } else if (!step || look <= *step) {
            rig.now = look;
            run.seen.push_back(rig.look());
            ++looked;
        } else {
            rig.now = *step;
            if (rig.runStep())
                clock.wake();
        }
    }
    return run;
}

const std::string kTexts(120, 'T');

struct Scenario {
    const char* name;
    std::vector<Step> script;
    bool announces;
    std::vector<std::int64_t> sleepingTicks;  // when the sleeping clock ticks; empty: at every tick
};

std::vector<Scenario> scenarios()
{
    const auto send = [](std::int64_t at, std::function<void(const LinkContext&)> sender) {
        return Step{at, {}, std::move(sender)};
    };
    const auto bytes = [](std::int64_t at, std::string b) { return Step{at, std::move(b), {}}; };
    return {
        {"text now and then at rest",
         {bytes(250, "Pronto\r\n"), bytes(1234, "A"), bytes(1299, "B"), bytes(2510, "fine")},
         true, {100, 300, 1300, 2600}},
        {"a line that does not announce its bytes keeps every tick",
         {bytes(250, "Pronto\r\n"), bytes(1234, "A")},
         false, {}},
        {"a read-back: 200 ms from the click, the texts one tick late",
         {send(530, [](const LinkContext& c) { sendReadBack(c, false); }), bytes(600, record()),
          bytes(1000, kTexts), bytes(1500, "ciao")},
         true, {100, 730, 930, 1130, 1530}},
        {"the input monitor polls until a key returns to the terminal",
         {send(150, startInputPolling), bytes(350, "\x05"), bytes(420, "\x7F"),
          send(505, [](const LinkContext& c) { sendPanelKey(c, PanelKey::Enter); }), bytes(1111, "x")},
         true, {100, 210, 270, 330, 390, 450, 510, 1170}},
        {"memory stepping, then OFF completes the byte in progress",
         {send(420, [](const LinkContext& c) { startMemoryStep(c, true); }), bytes(520, "A 2000"),
          bytes(700, "B 2001"), send(750, stopMemoryStep), bytes(850, "C 2002"), bytes(1200, "dopo")},
         true, {100, 500, 580, 660, 740, 820, 900, 1220}},
        {"the output test, from a window that has no port to give",
         {send(333, [](const LinkContext& c) { startOutputTest(c.m, {0x81, 0x01, 0x80}); }),
          bytes(550, "\x01\x02\x03\x04"), send(760, [](const LinkContext& c) { stopOutputTest(c.m); }),
          bytes(1010, "eco")},
         true, {100, 400, 500, 600, 700, 800, 1100}},
        {"a new interval in terminal mode moves the grid of a sleeping clock",
         {send(333, startVdipTest), bytes(700, "VDIP ok\r\n")},
         true, {100, 733}},
        {"a new interval moves a re-armed tick",
         {bytes(250, "a"), send(270, startVdipTest)},
         true, {100, 470}},
        {"the production simulation keeps its 50 ms ticks",
         {send(0, startSimulation), bytes(30, "\x01\x02\x03\x04"), bytes(90, "\x05\x06\x07\x08\x09")},
         true, {}},
    };
}

}  // namespace

class ReceiveClockTest : public QObject {
    Q_OBJECT
private slots:
    void sameTextAtTheSameTicks_data()
    {
        QTest::addColumn<int>("index");
        const std::vector<Scenario> all = scenarios();
        for (std::size_t i = 0; i < all.size(); ++i)
            QTest::newRow(all[i].name) << static_cast<int>(i);
    }

    void sameTextAtTheSameTicks()
    {
        QFETCH(int, index);
        const Scenario s = scenarios()[static_cast<std::size_t>(index)];
        const Run ticking = tickingRun(s.script);
        std::vector<std::int64_t> grid;
        for (const Seen& seen : ticking.seen)
            grid.push_back(seen.at);
        const Run sleeping = sleepingRun(s.script, s.announces, grid);

        QCOMPARE(sleeping.seen.size(), ticking.seen.size());
        for (std::size_t k = 0; k < grid.size(); ++k) {
            const Seen& a = ticking.seen[k];
            const Seen& b = sleeping.seen[k];
            QVERIFY2(a == b, qPrintable(QStringLiteral("at %1 ms: \"%2\" / \"%3\", %4 / %5 calls, mode %6 / %7")
                                            .arg(a.at).arg(QString::fromLatin1(a.text), QString::fromLatin1(b.text))
                                            .arg(a.log.size()).arg(b.log.size()).arg(a.mode).arg(b.mode)));
        }
        // Every tick that had something to do came at its time; no tick came off the grid.
        for (std::int64_t t : ticking.busyTicks)
            QVERIFY2(std::count(sleeping.ticks.begin(), sleeping.ticks.end(), t) == 1, qPrintable(QString::number(t)));
        for (std::int64_t t : sleeping.ticks)
            QVERIFY2(std::count(grid.begin(), grid.end(), t) == 1, qPrintable(QString::number(t)));
        // And it slept where it could (a line that does not announce: never).
        QCOMPARE(sleeping.ticks, s.sleepingTicks.empty() ? ticking.ticks : s.sleepingTicks);
    }
};

QTEST_GUILESS_MAIN(ReceiveClockTest)
#include "receive_clock_test.moc"
