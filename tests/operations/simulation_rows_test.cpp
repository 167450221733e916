// The course rows of the production simulation: marks, direction, counter and scroll.
#include <gtest/gtest.h>

#include "operations/simulation_rows.h"

namespace tq {
namespace {

std::array<std::uint8_t, 23> rowBytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    std::array<std::uint8_t, 23> buffer{};
    buffer[0] = b0;
    buffer[1] = b1;
    buffer[2] = b2;
    buffer[3] = b3;
    return buffer;
}

TEST(SimulationRows, TheQuotedCourseEndsWithTheToggledDirectionAndTheCounter)
{
    Module1 m;
    m.RowBuffer = rowBytes(0x01, 0x00, 0x00, 0x80);
    m.RowDirection = "<";
    m.RowCounter = 3;
    SimulationRows rows;

    drawCourse(m, rows);

    // Position 31 set, positions 30-1 clear, position 0 set; one space, ">" and 3.
    EXPECT_EQ(rows[9], "* . . . . . . .  . . . . . . . .  . . . . . . . .  . . . . . . . *  >3");
    EXPECT_EQ(m.RowCounter, 4);
    EXPECT_EQ(m.RowDirection, ">");
}

TEST(SimulationRows, EachByteFillsItsGroupHighBitFirst)
{
    struct Case {
        std::array<std::uint8_t, 4> bytes;  // RowBuffer[0..3]
        const char* marks;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x00, 0x00}, ". . . . . . . .  . . . . . . . .  . . . . . . . .  . . . . . . . .  "},
        {{0xFF, 0xFF, 0xFF, 0xFF}, "* * * * * * * *  * * * * * * * *  * * * * * * * *  * * * * * * * *  "},
        // byte 3 = positions 31-24, byte 0 = positions 7-0
        {{0x12, 0x34, 0x56, 0x78}, ". * * * * . . .  . * . * . * * .  . . * * . * . .  . . . * . . * .  "},
        {{0x80, 0x01, 0x00, 0x00}, ". . . . . . . .  . . . . . . . .  . . . . . . . *  * . . . . . . .  "},
    };
    for (const Case& c : cases) {
        const auto buffer = rowBytes(c.bytes[0], c.bytes[1], c.bytes[2], c.bytes[3]);
        EXPECT_EQ(courseMarks(buffer), c.marks);
    }
}

TEST(SimulationRows, ARowIsSixtyNineCharactersPlusTheCounterDigits)
{
    for (const std::int16_t counter : {0, 9, 10, 123, 32766}) {
        Module1 m;
        m.RowBuffer = rowBytes(0xA5, 0x5A, 0x0F, 0xF0);
        m.RowCounter = counter;
        SimulationRows rows;
        drawCourse(m, rows);
        EXPECT_EQ(rows[9].size(), 69 + std::to_string(counter).size()) << counter;
    }
}

TEST(SimulationRows, TheDirectionAlternatesFromTheStartingSide)
{
    EXPECT_EQ(toggledDirection(">"), "<");
    EXPECT_EQ(toggledDirection("<"), ">");
    // Before any reset the direction is empty: the first course reads ">".
    EXPECT_EQ(toggledDirection(""), ">");

    struct Case {
        std::uint8_t startSide;  // parameter 1, "Lato di inizio conteggio"
        const char* first;
        const char* second;
    };
    for (const Case& c : {Case{0, ">", "<"}, Case{1, "<", ">"}, Case{2, "<", ">"}}) {
        Module1 m;
        m.FileParams[0] = c.startSide;
        m.RowDirection = resetDirection(m.FileParams);
        SimulationRows rows;
        drawCourse(m, rows);
        drawCourse(m, rows);
        EXPECT_EQ(rows[8].substr(68), std::string(c.first) + "0") << int(c.startSide);
        EXPECT_EQ(rows[9].substr(68), std::string(c.second) + "1") << int(c.startSide);
    }
}

TEST(SimulationRows, TheNewestCourseComesInAtTheBottomAndTheOldestLeavesAtTheTop)
{
    Module1 m;
    m.RowDirection = "<";
    SimulationRows rows;
    for (int course = 0; course < 7; ++course)
        drawCourse(m, rows);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rows[i], "") << i;
    for (int i = 3; i < 10; ++i)
        EXPECT_TRUE(rows[i].ends_with(std::to_string(i - 3))) << rows[i];

    for (int course = 7; course < 12; ++course)
        drawCourse(m, rows);
    // Courses 2 to 11 remain, 2 at the top.
    EXPECT_TRUE(rows[0].ends_with(">2")) << rows[0];
    EXPECT_TRUE(rows[9].ends_with("<11")) << rows[9];
    EXPECT_EQ(m.RowCounter, 12);
}

}  // namespace
}  // namespace tq
