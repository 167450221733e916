#include <gtest/gtest.h>

#include "editor/selection.h"
#include "params/list_view.h"

namespace tq {
namespace {

TEST(SelectLine, DispatchesEveryLineToItsLayout)
{
    Module1 m;
    for (int i = -1; i <= kListLines; ++i) {
        const LineSelection s = selectLine(m, i);
        if (i < 0 || i == kListLines) {
            EXPECT_EQ(s.action, SelectionAction::None) << i;
        } else if (i == 54) {
            EXPECT_EQ(s.action, SelectionAction::Hide);
        } else {
            ASSERT_EQ(s.action, SelectionAction::Edit) << i;
            const EditLayout expected = i <= 1 ? EditLayout::TwoWay
                                        : i == 2 ? EditLayout::ThreeWay
                                        : i == 3 ? EditLayout::Boards
                                        : i < 54 ? EditLayout::Output
                                                 : EditLayout::MenuText;
            EXPECT_EQ(s.layout, expected) << i;
        }
    }
}

TEST(SelectLine, SelectorsShowTheirLegendAndByteAnd31WithTimingCleared)
{
    const struct { int index; std::uint8_t value; int choice; const char* legend; } cases[] = {
        {0, 1, 1, "0 = sinistra 1 = destra"},
        {0, 0, 0, "0 = sinistra 1 = destra"},
        {0, 33, 1, "0 = sinistra 1 = destra"},  // bit 5 is not part of the choice
        {0, 2, -1, "0 = sinistra 1 = destra"},  // not in the list: nothing selected
        {1, 1, 1, "0 = meccanico 1 = pneumatico"},
        {1, 0xC0, 0, "0 = meccanico 1 = pneumatico"},
        {2, 2, 2, "0 = Normale 1 = Intarsio \r\n2 = normale con calati alternati"},
        {2, 3, -1, "0 = Normale 1 = Intarsio \r\n2 = normale con calati alternati"},
    };
    for (const auto& c : cases) {
        Module1 m;
        m.FileParams[c.index] = c.value;
        m.ChannelCount = 24;
        const LineSelection s = selectLine(m, c.index);
        EXPECT_EQ(s.choice, c.choice) << c.index << " " << int(c.value);
        EXPECT_EQ(s.legend, c.legend);
        EXPECT_FALSE(s.timing.has_value());
        EXPECT_FALSE(s.showOptions);
    }
}

TEST(SelectLine, BoardsShowByteAnd7AndProtectionWhenTheWholeByteExceeds8)
{
    const struct { std::uint8_t value; int choice; bool protection; } cases[] = {
        {18, 2, true}, {2, 2, false}, {16, 0, true}, {19, 3, true},
        {8, 0, false},   // bit 3 alone: not above 8, and 8 AND 7 is 0
        {9, 1, true},    // above 8 without bit 4: a byte comparison, not a bit test
        {4, -1, false},  // four boards: the list offers 0..3 only
    };
    for (const auto& c : cases) {
        Module1 m;
        m.FileParams[3] = c.value;
        const LineSelection s = selectLine(m, 3);
        EXPECT_EQ(s.choice, c.choice) << int(c.value);
        EXPECT_EQ(s.protection, c.protection) << int(c.value);
        EXPECT_FALSE(s.timing.has_value());
    }
}

TEST(SelectLine, OutputsShowNumberWhenListedAndTimingWithBit7Winning)
{
    const struct { std::uint8_t value; std::uint16_t channels; int choice; OutputTiming timing; } cases[] = {
        {7, 24, 7, OutputTiming::Count},
        {71, 24, 7, OutputTiming::PhaseZero},
        {135, 24, 7, OutputTiming::Pulse},
        {0x45, 16, 5, OutputTiming::PhaseZero},
        {0x85, 16, 5, OutputTiming::Pulse},
        {0xC5, 16, 5, OutputTiming::Pulse},
        {16, 16, 16, OutputTiming::Count},
        {20, 16, -1, OutputTiming::Count},
        {20 + 64, 16, -1, OutputTiming::PhaseZero},
        {1, 0, -1, OutputTiming::Count},
        {0, 0, 0, OutputTiming::Count},
        {0x3F, 32, 31, OutputTiming::Count},  // bit 5 is dropped when reading
    };
    for (const auto& c : cases) {
        Module1 m;
        m.FileParams[10] = c.value;
        m.ChannelCount = c.channels;
        const LineSelection s = selectLine(m, 10);
        EXPECT_EQ(s.choice, c.choice) << int(c.value) << " with " << c.channels;
        EXPECT_EQ(s.timing, c.timing) << int(c.value);
        EXPECT_TRUE(s.showOptions);
    }
}

TEST(SelectLine, MenuTextLinesCarryTheStoredBytes)
{
    Module1 m;
    m.FileMenuTexts[0] = "seleziona";
    m.FileMenuTexts[10] = "ranghi \xE8  xx";  // longer than 10 from a file: all of it
    EXPECT_EQ(selectLine(m, 55).text, "seleziona");
    EXPECT_EQ(selectLine(m, 65).text, "ranghi \xE8  xx");
}

TEST(ChoiceCount, OutputListRunsToChannelCountUpToWhatAByteHolds)
{
    const struct { EditLayout layout; std::uint16_t channels; int count; } cases[] = {
        {EditLayout::Output, 0, 1},     {EditLayout::Output, 16, 17},  {EditLayout::Output, 24, 25},
        {EditLayout::Output, 248, 249}, {EditLayout::Output, 255, 256}, {EditLayout::Output, 256, 256},
        {EditLayout::Output, 1912, 256}, {EditLayout::TwoWay, 24, 2},  {EditLayout::ThreeWay, 24, 3},
        {EditLayout::Boards, 0, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(choiceCount(c.layout, c.channels), c.count) << int(c.layout) << " " << c.channels;
}

}  // namespace
}  // namespace tq
