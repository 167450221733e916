// The ring of the line trace: a trace that loses bytes in the middle, reorders them, lets time run
// backwards or grows past its bound would mislead the engineer who reads it.
#include <gtest/gtest.h>

#include <random>

#include "trace/line_trace.h"

namespace tq {
namespace {

using Dir = LineDirection;

struct Recorded {
    Dir direction;
    std::int64_t us;
    std::string bytes;
};

std::vector<Recorded> held(const LineTrace& trace)
{
    std::vector<Recorded> all;
    for (std::uint64_t e = trace.firstEntry(); e < trace.endEntry(); ++e) {
        Recorded r{trace.direction(e), trace.timeUs(e), {}};
        trace.appendBytes(e, r.bytes);
        EXPECT_EQ(r.bytes.size(), trace.size(e));
        all.push_back(std::move(r));
    }
    return all;
}

TEST(LineTrace, EntriesComeBackInOrderWithTheirDirectionAndTimeSinceTheRestart)
{
    std::int64_t now = 5'000'000'000;  // ns
    LineTrace trace(LineTrace::kCapacityBytes, [&] { return now; });
    trace.record(Dir::Sent, "stale");
    now += 1'000'000;
    trace.restart();
    EXPECT_TRUE(trace.empty());

    const struct { std::int64_t advanceNs; Dir direction; std::string bytes; std::int64_t us; } steps[] = {
        {0, Dir::Sent, "H", 0},
        {1'999, Dir::Received, std::string("\x00\x01", 2), 1},  // microseconds, rounded down
        {59'000'001, Dir::Received, std::string(54, '\xFF'), 59'002},
        {1'000, Dir::Sent, "J", 59'003},
    };
    for (const auto& s : steps) {
        now += s.advanceNs;
        trace.record(s.direction, s.bytes);
    }
    trace.record(Dir::Sent, "");  // nothing went over the line: no entry

    const auto all = held(trace);
    ASSERT_EQ(all.size(), std::size(steps));
    EXPECT_EQ(trace.firstEntry(), 0u);
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].direction, steps[i].direction) << i;
        EXPECT_EQ(all[i].us, steps[i].us) << i;
        EXPECT_EQ(all[i].bytes, steps[i].bytes) << i;
    }
    EXPECT_EQ(trace.byteCount(), 1u + 2 + 54 + 1);
}

TEST(LineTrace, TimesNeverGoBackAndSaturateAfterTwelveDays)
{
    LineTrace trace;
    const struct { std::int64_t us; std::int64_t held; } cases[] = {
        {100, 100},
        {50, 100},  // a clock that stepped back
        {LineTrace::kMaxTimeUs + 5, LineTrace::kMaxTimeUs},
        {1, LineTrace::kMaxTimeUs},
    };
    for (const auto& c : cases) {
        trace.recordAt(Dir::Received, c.us, "x");
        EXPECT_EQ(trace.timeUs(trace.endEntry() - 1), c.held) << c.us;
    }
}

// A flood of entries of every size through a small ring: it never holds more than its bound, it
// always holds exactly the newest entries that fit, whole, and their bytes across the wrap.
TEST(LineTrace, AFloodDropsTheOldestWholeEntriesAndStaysWithinTheBound)
{
    constexpr std::size_t capacity = 1000;
    LineTrace trace(capacity);
    std::mt19937 random(17);
    std::vector<Recorded> all;
    for (int i = 0; i < 20'000; ++i) {
        const std::size_t size = 1 + random() % (i % 100 == 0 ? 400 : 12);
        Recorded r{random() % 2 ? Dir::Sent : Dir::Received, i, std::string(size, '\0')};
        for (char& c : r.bytes)
            c = static_cast<char>(random());
        trace.recordAt(r.direction, r.us, r.bytes);
        all.push_back(r);
        ASSERT_LE(trace.byteCount(), capacity);
    }
    // The newest entries that fit, counted from the end.
    std::size_t keep = 0, bytes = 0;
    while (keep < all.size() && bytes + all[all.size() - 1 - keep].bytes.size() <= capacity)
        bytes += all[all.size() - 1 - keep++].bytes.size();
    const auto now = held(trace);
    ASSERT_EQ(now.size(), keep);
    EXPECT_EQ(trace.firstEntry(), all.size() - keep);
    EXPECT_EQ(trace.byteCount(), bytes);
    for (std::size_t i = 0; i < keep; ++i) {
        const Recorded& want = all[all.size() - keep + i];
        ASSERT_EQ(now[i].bytes, want.bytes) << i;
        ASSERT_EQ(now[i].us, want.us) << i;
        ASSERT_EQ(now[i].direction, want.direction) << i;
    }
}

TEST(LineTrace, TheFullSizeRingHoldsFourMebibytesOfSingleBytes)
{
    LineTrace trace;
    const std::size_t flood = LineTrace::kCapacityBytes + 12345;
    for (std::size_t i = 0; i < flood; ++i) {
        const char byte = static_cast<char>(i);
        trace.recordAt(i % 2 ? Dir::Received : Dir::Sent, static_cast<std::int64_t>(i), std::string_view(&byte, 1));
    }
    EXPECT_EQ(trace.byteCount(), LineTrace::kCapacityBytes);
    EXPECT_EQ(trace.endEntry() - trace.firstEntry(), LineTrace::kCapacityBytes);
    EXPECT_EQ(trace.firstEntry(), 12345u);
    for (std::uint64_t e : {trace.firstEntry(), trace.firstEntry() + 777, trace.endEntry() - 1}) {
        std::string b;
        trace.appendBytes(e, b);
        EXPECT_EQ(b, std::string(1, static_cast<char>(e)));
        EXPECT_EQ(trace.timeUs(e), static_cast<std::int64_t>(e));
        EXPECT_EQ(trace.direction(e), e % 2 ? Dir::Received : Dir::Sent);
    }
}

TEST(LineTrace, AnEntryLongerThanTheRingKeepsItsNewestBytes)
{
    LineTrace trace(8);
    trace.recordAt(Dir::Sent, 0, "old");
    trace.recordAt(Dir::Received, 1, "0123456789AB");
    const auto now = held(trace);
    ASSERT_EQ(now.size(), 1u);
    EXPECT_EQ(now[0].bytes, "456789AB");
    EXPECT_EQ(trace.firstEntry(), 1u);
}

TEST(LineTrace, ARestartStartsANewSessionNumberedFromZero)
{
    LineTrace trace(16);
    trace.recordAt(Dir::Sent, 0, "abc");
    const std::uint64_t session = trace.session();
    trace.restart();
    EXPECT_NE(trace.session(), session);
    EXPECT_EQ(trace.byteCount(), 0u);
    trace.recordAt(Dir::Received, 3, "d");
    EXPECT_EQ(trace.firstEntry(), 0u);
    EXPECT_EQ(held(trace).size(), 1u);
}

}  // namespace
}  // namespace tq
