// The controller of a saved trace: a replay that answers a command with another command's answer,
// loses the order of recording or stops answering what the trace never saw would show the
// engineer on the bench something other than what happened at the machine.
#include <gtest/gtest.h>

#include "sim/trace_replay.h"

namespace tq::sim {
namespace {

using Dir = LineDirection;

// What the replay answers to each write, one write every `gapMs`.
std::vector<std::string> answers(TraceReplay& replay, const std::vector<std::string>& writes, int gapMs = 1000)
{
    std::vector<std::string> got;
    std::int64_t ms = 0;
    for (const std::string& w : writes)
        got.push_back(replay.receive(w, ms += gapMs));
    return got;
}

TEST(TraceReplay, EachCommandGetsItsRecordedAnswersInOrderThenStartsOver)
{
    const std::vector<TraceFrame> trace = {
        {0, Dir::Received, "spoken before any command"},
        {10, Dir::Sent, "K"},
        {20, Dir::Received, "\x1C"},
        {30, Dir::Sent, "H"},
        {40, Dir::Received, "first half "},
        {50, Dir::Received, "second half"},
        {60, Dir::Sent, "K"},
        {70, Dir::Received, "\x1B"},
        {80, Dir::Sent, "K"},  // the controller did not answer this one
        {90, Dir::Sent, "&"},
        {95, Dir::Received, "D8192"},
    };
    ControllerModel model;
    TraceReplay replay(trace, model);
    EXPECT_EQ(replay.commandCount(), 3u);
    EXPECT_EQ(replay.answerCount(), 5u);
    EXPECT_EQ(answers(replay, {"K", "K", "K", "K", "H", "&", "&", "H"}),
              (std::vector<std::string>{"\x1C", "\x1B", "", "\x1C", "first half second half", "D8192", "D8192",
                                        "first half second half"}));
}

TEST(TraceReplay, CommandsWithDataAreMatchedWhole)
{
    const std::string outputsOn("!\x01\x00\x00\x00\x00", 6);
    const std::string outputsOff("!\x00\x00\x00\x00\x00", 6);
    const std::vector<TraceFrame> trace = {
        {0, Dir::Sent, outputsOn}, {1, Dir::Received, "echo on"},
        {2, Dir::Sent, outputsOff}, {3, Dir::Received, "echo off"},
    };
    ControllerModel model;
    TraceReplay replay(trace, model);
    // The five output bytes may come one write at a time, as the engine sends them.
    std::vector<std::string> writes;
    for (char c : outputsOff)
        writes.emplace_back(1, c);
    writes.push_back(outputsOn);
    const std::vector<std::string> got = answers(replay, writes, 1);
    EXPECT_EQ(got.back(), "echo on");
    EXPECT_EQ(got[5], "echo off");
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(got[i], "") << i;
}

// What the trace never saw, the simulated controller answers; and it keeps up with every byte,
// so that a write the trace did not hold still reaches its memory.
TEST(TraceReplay, TheSimulatedControllerAnswersTheRestAndSeesEveryByte)
{
    ControllerModel plain;
    const std::string factoryRecord = plain.receive("H", 0);
    ParamImage written = factorySetup();
    written.record[0] = 1;
    written.sealCrc();

    const std::vector<TraceFrame> trace = {{0, Dir::Sent, "J"}, {1, Dir::Received, "recorded texts"}};
    ControllerModel model;
    TraceReplay replay(trace, model);
    EXPECT_EQ(answers(replay, {"H", "J", "L" + written.bytes(), "H"}),
              (std::vector<std::string>{factoryRecord, "recorded texts", "",
                                        std::string(written.record.begin(), written.record.end())}));

    model.setFault(Fault::Silent);  // a fault mode is the simulated controller's: no recording then
    EXPECT_EQ(replay.receive("J", 100'000), "");
}

TEST(TraceReplay, ACommandWhoseDataStopsComingIsDropped)
{
    const std::vector<TraceFrame> trace = {{0, Dir::Sent, "H"}, {1, Dir::Received, "recorded"}};
    ControllerModel model;
    TraceReplay replay(trace, model);
    EXPECT_EQ(replay.receive("!\x01", 0), "");
    // Past the controller's 500 ms the "H" is a command again, not an output byte.
    EXPECT_EQ(replay.receive("H", 501), "recorded");
    EXPECT_EQ(replay.receive("!\x01", 1000), "");
    EXPECT_EQ(replay.receive("H", 1400), "");  // still the output frame's data
}

}  // namespace
}  // namespace tq::sim
