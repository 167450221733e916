// What the parameter record's bytes mean: the outputs the boards byte gives, an output byte's
// number and timing, and the labels every list line starts with.
#include <gtest/gtest.h>

#include "params/param_record.h"
#include "params/param_table.h"

namespace tq {
namespace {

TEST(ChannelCount, FollowsBoardsLessProtection)
{
    const struct { std::uint8_t boards; std::uint16_t channels; } cases[] = {
        {0, 0}, {1, 8}, {3, 24}, {16, 0}, {18, 16}, {19, 24}, {4, 32}, {47, 248}, {48, 256}, {255, 1912},
    };
    for (const auto& c : cases)
        EXPECT_EQ(channelCountFor(c.boards), c.channels) << "boards byte " << int(c.boards);
}

TEST(OutputAssignment, DecodesNumberAndTimingWithBit7Winning)
{
    const struct { std::uint8_t value; int output; OutputTiming timing; } cases[] = {
        {0, 0, OutputTiming::Count},
        {7, 7, OutputTiming::Count},
        {71, 7, OutputTiming::PhaseZero},
        {135, 7, OutputTiming::Pulse},
        {200, 8, OutputTiming::Pulse},       // 128 + 64 + 8
        {0xC5, 5, OutputTiming::Pulse},
        {0x3F, 31, OutputTiming::Count},     // bit 5 carries no meaning of its own
    };
    for (const auto& c : cases) {
        const OutputAssignment a = decodeOutput(c.value);
        EXPECT_EQ(a.output, c.output) << int(c.value);
        EXPECT_EQ(a.timing, c.timing) << int(c.value);
    }
}

TEST(ParamLabels, AreAll28CharactersWithNumberAndBracket)
{
    for (int i = 0; i < kParamCount; ++i) {
        const std::string& label = ParamLabels[i];
        ASSERT_EQ(label.size(), 28u) << label;
        EXPECT_EQ(label.back(), '[');
        EXPECT_EQ(std::stoi(label.substr(25, 2)), i + 1) << label;
        EXPECT_EQ(label.compare(0, ParamNames[i].size(), ParamNames[i]), 0);
    }
}

}  // namespace
}  // namespace tq
