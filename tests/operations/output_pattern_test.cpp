// The output test's boxes: which are usable, where they go, what they read, the pattern.
#include <gtest/gtest.h>

#include "operations/output_pattern.h"

namespace tq {
namespace {

OutputBoxFlags boxes(std::initializer_list<int> outputs)
{
    OutputBoxFlags flags{};
    for (int output : outputs)
        flags[output - 1] = true;
    return flags;
}

OutputBoxFlags firstBoxes(int count)
{
    OutputBoxFlags flags{};
    for (int i = 0; i < count; ++i)
        flags[i] = true;
    return flags;
}

TEST(OutputPattern, TickedUsableBoxesMakeTheThreeBytes)
{
    using Bytes = std::array<std::uint8_t, 3>;
    struct Case {
        OutputBoxFlags ticked;
        int usable;
        Bytes pattern;
    };
    const Case cases[] = {
        {boxes({1, 8, 9, 24}), 24, {0x81, 0x01, 0x80}},
        {firstBoxes(24), 8, {0xFF, 0x00, 0x00}},
        {firstBoxes(24), 16, {0xFF, 0xFF, 0x00}},
        {boxes({3, 17}), 0, {0x00, 0x00, 0x00}},
        {boxes({2, 10, 18}), 24, {0x02, 0x02, 0x02}},
        {OutputBoxFlags{}, 24, {0x00, 0x00, 0x00}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(outputPattern(c.ticked, firstBoxes(c.usable)), c.pattern) << c.usable;
}

TEST(OutputPattern, TheBoardsDecideHowManyBoxesAreUsable)
{
    struct Case {
        std::uint16_t channelCount;
        int usable;
        bool allButtons;
    };
    // Four or more boards: the window still has only 24 boxes, all of them usable.
    const Case cases[] = {{0, 0, false}, {8, 8, true}, {16, 16, true}, {24, 24, true},
                          {32, 24, true}, {56, 24, true}, {1912, 24, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(usableOutputBoxes(c.channelCount), c.usable) << c.channelCount;
        EXPECT_EQ(allOutputsButtonsEnabled(c.channelCount), c.allButtons) << c.channelCount;
    }
}

TEST(OutputPattern, BoxesSitInThreeColumnsOfEightWithOutputAndPin)
{
    struct Case {
        int box;
        const char* caption;
        TwipsRect place;
    };
    const Case cases[] = {
        {0, "Out 1 [Pin 1]", {200, 240, 1300, 320}},
        {7, "Out 8 [Pin 8]", {200, 2340, 1300, 320}},
        {8, "Out 9 [Pin 1]", {1800, 240, 1300, 320}},
        {13, "Out 14 [Pin 6]", {1800, 1740, 1300, 320}},
        {16, "Out 17 [Pin 1]", {3400, 240, 1300, 320}},
        {23, "Out 24 [Pin 8]", {3400, 2340, 1300, 320}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(outputBoxCaption(c.box), c.caption);
        const TwipsRect p = outputBoxPlace(c.box);
        EXPECT_EQ(p.left, c.place.left) << c.box;
        EXPECT_EQ(p.top, c.place.top) << c.box;
        EXPECT_EQ(p.width, c.place.width) << c.box;
        EXPECT_EQ(p.height, c.place.height) << c.box;
    }
}

TEST(OutputPattern, FifteenTwipsAPixelAtNinetySixDpi)
{
    struct Case {
        int twips;
        double dpi;
        int pixels;
    };
    const Case cases[] = {{1500, 96, 100}, {1300, 96, 87}, {240, 96, 16}, {1500, 120, 125}, {1500, 144, 150},
                          {320, 192, 43}};
    for (const Case& c : cases)
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " @ " << c.dpi;
}

}  // namespace
}  // namespace tq
