// The production simulation's course rows: marks, direction, counter and scroll.
#include <gtest/gtest.h>

#include "operations/simulation_rows.h"

namespace tq {
namespace {

std::array<std::uint8_t, 23> rowBytes(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    return {b0, b1, b2, b3};
}

TEST(SimulationRows, TheQuotedCourseWithTheToggledDirectionAndTheCounter)
{
    Module1 m;
    m.RowBuffer = rowBytes(0x01, 0x00, 0x00, 0x80);
    m.RowDirection = "<";
    m.RowCounter = 3;
    SimulationRows rows;
    drawCourse(m, rows);
    EXPECT_EQ(rows[9], "* . . . . . . .  . . . . . . . .  . . . . . . . .  . . . . . . . *  >3");
    EXPECT_EQ(m.RowCounter, 4);
    EXPECT_EQ(m.RowDirection, ">");
    // Byte 3 holds positions 31-24, byte 0 positions 7-0, high bit first.
    EXPECT_EQ(courseMarks(rowBytes(0x12, 0x34, 0x56, 0x78)),
              ". * * * * . . .  . * . * . * * .  . . * * . * . .  . . . * . . * .  ");
}

TEST(SimulationRows, TheDirectionStartsFromParameterOneAndAlternates)
{
    // Before any reset the direction is empty: the first course reads ">".
    EXPECT_EQ(toggledDirection(""), ">");
    struct Case {
        std::uint8_t startSide;
        const char* first;
        const char* second;
    };
    for (const Case& c : {Case{0, ">0", "<1"}, Case{1, "<0", ">1"}, Case{2, "<0", ">1"}}) {
        Module1 m;
        m.FileParams[0] = c.startSide;
        m.RowDirection = resetDirection(m.FileParams);
        SimulationRows rows;
        drawCourse(m, rows);
        drawCourse(m, rows);
        EXPECT_EQ(rows[8].substr(68), c.first) << int(c.startSide);
        EXPECT_EQ(rows[9].substr(68), c.second) << int(c.startSide);
    }
}

TEST(SimulationRows, TheNewestCourseComesInAtTheBottom)
{
    Module1 m;
    m.RowDirection = "<";
    SimulationRows rows;
    for (int course = 0; course < 12; ++course)
        drawCourse(m, rows);
    // Courses 2 to 11 remain, 2 at the top.
    EXPECT_TRUE(rows[0].ends_with(">2")) << rows[0];
    EXPECT_TRUE(rows[9].ends_with("<11")) << rows[9];
}

}  // namespace
}  // namespace tq
