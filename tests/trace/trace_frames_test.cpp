// Frames out of the ring: a frame that swallows its answer, an answer split at a gap the line
// never had, or a frame list that keeps rows whose bytes the ring has dropped would all show the
// engineer a conversation that did not happen.
#include <gtest/gtest.h>

#include "trace/trace_frames.h"

namespace tq {
namespace {

using Dir = LineDirection;
constexpr Dir TX = Dir::Sent;
constexpr Dir RX = Dir::Received;

struct Entry {
    Dir direction;
    std::int64_t us;
    std::string bytes;
};

std::vector<TraceFrame> framesOf(const TraceFrames& frames)
{
    std::vector<TraceFrame> all;
    for (std::size_t i = 0; i < frames.size(); ++i)
        all.push_back(frames.frame(i));
    return all;
}

TEST(TraceFrames, DirectionChangesAndPausesLongerThanFortyMillisecondsEndAFrame)
{
    const struct { const char* name; std::vector<Entry> entries; std::vector<TraceFrame> frames; } cases[] = {
        {"one write, its answer in pieces",
         {{TX, 0, "H"}, {RX, 2'000, "ab"}, {RX, 20'000, "cd"}, {RX, 60'000, "ef"}},
         {{0, TX, "H"}, {2'000, RX, "abcdef"}}},
        {"a pause of exactly 40 ms continues, a longer one does not",
         {{RX, 0, "a"}, {RX, 40'000, "b"}, {RX, 80'001, "c"}},
         {{0, RX, "ab"}, {80'001, RX, "c"}}},
        {"the writes of one handler are one frame",
         {{TX, 10, "W"}, {TX, 11, "Vorela\r"}, {TX, 200'000, "!"}, {TX, 200'001, "\x01"}},
         {{10, TX, "WVorela\r"}, {200'000, TX, "!\x01"}}},
        {"ping-pong",
         {{TX, 0, "K"}, {RX, 1, "\x1C"}, {TX, 2, "K"}, {RX, 3, "\x1B"}},
         {{0, TX, "K"}, {1, RX, "\x1C"}, {2, TX, "K"}, {3, RX, "\x1B"}}},
    };
    for (const auto& c : cases) {
        LineTrace trace;
        for (const Entry& e : c.entries)
            trace.recordAt(e.direction, e.us, e.bytes);
        TraceFrames frames(trace);
        frames.update();
        EXPECT_EQ(framesOf(frames), c.frames) << c.name;
    }
}

// Entry by entry, as a live session records them: the window learns which rows to add, which to
// redraw and which to drop.
TEST(TraceFrames, UpdatesReportWhatChanged)
{
    LineTrace trace(10);
    TraceFrames frames(trace);
    const struct { std::vector<Entry> entries; bool reset; std::size_t dropped; bool lastGrew; std::size_t added;
                   std::vector<TraceFrame> frames; } steps[] = {
        {{{TX, 0, "H"}}, false, 0, false, 1, {{0, TX, "H"}}},
        {{{RX, 1'000, "12"}}, false, 0, false, 1, {{0, TX, "H"}, {1'000, RX, "12"}}},
        {{{RX, 2'000, "34"}, {TX, 100'000, "J"}}, false, 0, true, 1,
         {{0, TX, "H"}, {1'000, RX, "1234"}, {100'000, TX, "J"}}},
        {{}, false, 0, false, 0, {{0, TX, "H"}, {1'000, RX, "1234"}, {100'000, TX, "J"}}},
        // Six more bytes: the ring of ten drops "H" and the first piece of the answer.
        {{{RX, 101'000, "abcdef"}}, false, 1, false, 1, {{2'000, RX, "34"}, {100'000, TX, "J"}, {101'000, RX, "abcdef"}}},
        // Ten at once: all that was held goes, also the frame still growing.
        {{{RX, 102'000, "0123456789"}}, false, 3, false, 1, {{102'000, RX, "0123456789"}}},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const auto& s = steps[i];
        for (const Entry& e : s.entries)
            trace.recordAt(e.direction, e.us, e.bytes);
        const TraceFrames::Change change = frames.update();
        EXPECT_EQ(change.reset, s.reset) << i;
        EXPECT_EQ(change.dropped, s.dropped) << i;
        EXPECT_EQ(change.lastGrew, s.lastGrew) << i;
        EXPECT_EQ(change.added, s.added) << i;
        EXPECT_EQ(framesOf(frames), s.frames) << i;
        for (std::size_t f = 0; f < frames.size(); ++f)
            EXPECT_EQ(frames.byteCount(f), s.frames[f].bytes.size()) << i << " " << f;
    }
    trace.restart();
    trace.recordAt(TX, 5, "K");
    const TraceFrames::Change change = frames.update();
    EXPECT_TRUE(change.reset);
    EXPECT_EQ(change.added, 1u);
    EXPECT_EQ(framesOf(frames), (std::vector<TraceFrame>{{5, TX, "K"}}));
}

// Each answer is read against the last command sent before it, across frames, and a frame is
// filed under the command it belongs to.
TEST(TraceFrames, AnswersAreDecodedAgainstTheirRequest)
{
    std::string record;
    for (int i = 1; i <= 54; ++i)
        record += static_cast<char>(i);
    record += "\x41\x4F";
    LineTrace trace;
    const std::vector<Entry> session = {
        {TX, 0, "H"},
        {RX, 10'000, record.substr(0, 30)},
        {RX, 100'000, record.substr(30)},  // after a pause: a frame of its own
        {TX, 200'000, "J"},
        {RX, 210'000, std::string(120, 'V')},
        {TX, 400'000, "K"},
        {RX, 401'000, "\x1C"},
        {RX, 500'000, "MENU"},
    };
    for (const Entry& e : session)
        trace.recordAt(e.direction, e.us, e.bytes);
    TraceFrames frames(trace);
    frames.update();
    const struct { std::string text; char command; } want[] = {
        {"H lettura parametri", 'H'},
        {"risposta a H: 30 di 56 byte", 'H'},
        {"record di 56 byte, CRC 65-79 corretto", 'H'},
        {"J lettura voci del menu", 'J'},
        {"12 voci del menu: \"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\" "
         "\"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\" \"VVVVVVVVVV\"", 'J'},
        {"K lettura ingressi", 'K'},
        {"stato ingressi 1C: Mor.14(reset macchina), scheda(selettore lavoro), Mor.11(segnale power +24) ON", 'K'},
        {"oltre la risposta a K: 4 byte", 'K'},
    };
    ASSERT_EQ(frames.size(), std::size(want));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames.describe(i), want[i].text) << i;
        EXPECT_EQ(frames.command(i), want[i].command) << i;
    }
}

}  // namespace
}  // namespace tq
