// The port that records the line, on the scripted port: the tool must see exactly what it saw
// without it, and the trace must hold every byte both ways, in order, with times that never go
// back, including bytes the tool threw away unread.
#include <gtest/gtest.h>

#include "support/scripted_port.h"
#include "trace/tracing_port.h"

namespace tq {
namespace {

using Dir = LineDirection;

struct Fixture {
    Fixture()
    {
        auto owned = std::make_unique<test::ScriptedPort>();
        line = owned.get();
        port = std::make_unique<TracingPort>(std::move(owned), trace);
    }
    std::int64_t now = 0;
    LineTrace trace{LineTrace::kCapacityBytes, [this] { return now += 250'000; }};  // 250 µs a call
    test::ScriptedPort* line = nullptr;
    std::unique_ptr<TracingPort> port;
};

// What the tool does to the port, and what the controller has sent by then.
struct Step {
    std::string feed;   // arrives at the line before the step
    char action;        // w write, c count, t take, p take the first 4, d discard
    std::string write;
};

TEST(TracingPort, EveryByteBothWaysIsRecordedInOrderAndTheToolSeesThePortUnchanged)
{
    const std::string record(56, '\x21');
    const std::vector<Step> session = {
        {"", 'w', "H"},
        {record.substr(0, 30), 'c', ""},   // the engine counts 30 of 56
        {record.substr(30), 't', ""},      // and takes the whole record
        {"", 'w', "J"},
        {std::string(120, 'T'), 't', ""},
        {"", 'w', "K"},
        {"stale", 'd', ""},                // the input poll empties the buffer unread
        {"\x19", 't', ""},
        {"", 'w', "M"},
        {" 1 SELEZIONA\r\n", 'p', ""},   // the terminal takes what waits, part by part
        {"", 't', ""},
        {"", 'w', "L"},
        {"", 'w', std::string(56, '\0')},
        {"", 'w', std::string(120, ' ')},
    };

    Fixture f;
    ASSERT_TRUE(f.port->open(nullptr));
    std::string sent, received;
    std::vector<std::string> takes;
    for (const Step& s : session) {
        f.line->feed(s.feed);
        received += s.feed;
        switch (s.action) {
        case 'w': f.port->write(s.write); sent += s.write; break;
        case 'c': EXPECT_EQ(f.port->bytesWaiting(), static_cast<int>(s.feed.size())); break;
        case 't': takes.push_back(f.port->takeAll()); break;
        case 'p': {
            std::string part(4, '\0');
            f.port->take(part.data(), part.size());
            takes.push_back(part);
            break;
        }
        case 'd': f.port->discardAll(); EXPECT_EQ(f.port->bytesWaiting(), 0); break;
        }
    }
    EXPECT_EQ(takes, (std::vector<std::string>{record, std::string(120, 'T'), "\x19", " 1 S", "ELEZIONA\r\n"}));
    EXPECT_EQ(f.line->sent(), sent);
    EXPECT_EQ(f.line->writes.size(), 7u);  // one write of the line per write of the tool

    std::string tracedSent, tracedReceived;
    std::int64_t last = -1;
    std::vector<Dir> order;
    for (std::uint64_t e = f.trace.firstEntry(); e < f.trace.endEntry(); ++e) {
        EXPECT_GT(f.trace.timeUs(e), last);
        last = f.trace.timeUs(e);
        f.trace.appendBytes(e, f.trace.direction(e) == Dir::Sent ? tracedSent : tracedReceived);
        if (order.empty() || order.back() != f.trace.direction(e))
            order.push_back(f.trace.direction(e));
    }
    EXPECT_EQ(tracedSent, sent);
    EXPECT_EQ(tracedReceived, received);
    EXPECT_EQ(order, (std::vector<Dir>{Dir::Sent, Dir::Received, Dir::Sent, Dir::Received, Dir::Sent,
                                       Dir::Received, Dir::Sent, Dir::Received, Dir::Sent}));
}

TEST(TracingPort, OpeningRestartsTheTraceAndAClosedPortRecordsNothing)
{
    Fixture f;
    f.port->write("lost");  // not open: nothing goes over the line
    EXPECT_TRUE(f.trace.empty());
    ASSERT_TRUE(f.port->open(nullptr));
    f.port->write("H");
    const std::uint64_t session = f.trace.session();
    f.port->close();
    f.line->failOpen = true;
    EXPECT_FALSE(f.port->open(nullptr));
    EXPECT_EQ(f.trace.session(), session);  // a failed open keeps the last session's trace
    EXPECT_EQ(f.trace.byteCount(), 1u);
    f.line->failOpen = false;
    ASSERT_TRUE(f.port->open(nullptr));
    EXPECT_TRUE(f.trace.empty());
}

TEST(TracingPort, ALineOpenedBeforehandStartsTheTraceAndItsLossIsPassedOn)
{
    LineTrace trace;
    trace.recordAt(Dir::Sent, 0, "earlier session");
    auto line = std::make_unique<test::ScriptedPort>();
    ASSERT_TRUE(line->open(nullptr));
    test::ScriptedPort* raw = line.get();
    TracingPort port(std::move(line), trace);
    EXPECT_TRUE(trace.empty());

    QString reason;
    int lost = 0;
    QObject::connect(&port, &SerialPort::deviceLost, [&](const QString& r) { reason = r; ++lost; });
    emit raw->deviceLost(QStringLiteral("scollegato"));
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(reason, QStringLiteral("scollegato"));
}

}  // namespace
}  // namespace tq
