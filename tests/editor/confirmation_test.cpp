#include <gtest/gtest.h>

#include "editor/confirmation.h"
#include "editor/selection.h"

namespace tq {
namespace {

TEST(EncodeParameter, AddsTimingOrProtectionByLayout)
{
    const struct { DialogValues v; std::uint8_t byte; } cases[] = {
        {{.choice = 7}, 7},
        {{.choice = 7, .phaseZero = true}, 71},
        {{.choice = 7, .pulse = true}, 135},
        {{.choice = -1, .phaseZero = true}, 64},  // no choice counts as 0
        {{.choice = -1}, 0},
        {{.choice = 2, .protectionShown = true, .protection = true}, 18},
        {{.choice = 2, .protectionShown = true}, 2},
        // Boards: the options are not read even if one is on.
        {{.choice = 3, .protectionShown = true, .protection = true, .pulse = true}, 19},
        // Elsewhere Check2 is not read.
        {{.choice = 1, .protection = true}, 1},
        {{.choice = 32, .pulse = true}, 160},
        {{.choice = 255, .pulse = true}, 255},  // bit 7 already set: no overflow
    };
    for (const auto& c : cases)
        EXPECT_EQ(encodeParameter(c.v), c.byte) << c.v.choice;
}

TEST(EncodeParameter, EveryOutputByteTheEditorWritesReadsBackAsWritten)
{
    Module1 m;
    m.ChannelCount = 24;
    const struct { bool phaseZero, pulse; OutputTiming timing; } timings[] = {
        {false, false, OutputTiming::Count},
        {true, false, OutputTiming::PhaseZero},
        {false, true, OutputTiming::Pulse},
    };
    for (int n = 0; n <= 24; ++n) {
        for (const auto& t : timings) {
            ASSERT_TRUE(storeEdit(m, 20, {.choice = n, .phaseZero = t.phaseZero, .pulse = t.pulse}));
            const LineSelection s = selectLine(m, 20);
            EXPECT_EQ(s.choice, n);
            EXPECT_EQ(s.timing, t.timing);
        }
    }
}

TEST(StoreEdit, MenuTextsAreCutOrPaddedToTenBytes)
{
    const struct { std::string typed; std::string stored; } cases[] = {
        {"ABC", "ABC       "},
        {"", "          "},
        {"0123456789", "0123456789"},
        {"ABCDEFGHIJKL", "ABCDEFGHIJ"},
        {"\xE8", "\xE8         "},  // a Latin-1 letter stays one byte
    };
    for (const auto& c : cases) {
        Module1 m;
        ASSERT_TRUE(storeEdit(m, 57, {.text = c.typed}));
        EXPECT_EQ(m.FileMenuTexts[2], c.stored);
    }
    Module1 m;
    ASSERT_TRUE(storeEdit(m, 65, {.text = "ranghi"}));
    EXPECT_EQ(m.FileMenuTexts[10], "ranghi    ");
}

TEST(StoreEdit, LinesWithoutAValueChangeNothing)
{
    for (int line : {-1, 54, 66, 75}) {
        Module1 m;
        const Module1 before = m;
        EXPECT_FALSE(storeEdit(m, line, {.choice = 3, .pulse = true, .text = "ABC"})) << line;
        EXPECT_EQ(m.FileParams, before.FileParams);
        EXPECT_EQ(m.FileMenuTexts, before.FileMenuTexts);
    }
}

}  // namespace
}  // namespace tq
