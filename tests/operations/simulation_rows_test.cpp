// The production simulation's course rows: marks, direction, counter and scroll.
#include <gtest/gtest.h>

#include <tuple>

#include "operations/simulation_rows.h"

namespace tq {
namespace {

TEST(SimulationRows, TheQuotedCourseWithTheToggledDirectionAndTheCounter)
{
    Module1 m;
    m.RowBuffer = {0x01, 0x00, 0x00, 0x80};
    m.RowDirection = "<";
    m.RowCounter = 3;
    SimulationRows rows;
    drawCourse(m, rows);
    EXPECT_EQ(rows[9], "* . . . . . . .  . . . . . . . .  . . . . . . . .  . . . . . . . *  >3");
    EXPECT_EQ(m.RowCounter, 4);
    EXPECT_EQ(m.RowDirection, ">");
    // Byte 3 holds positions 31-24, byte 0 positions 7-0, high bit first.
    EXPECT_EQ(courseMarks({0x12, 0x34, 0x56, 0x78}),
              ". * * * * . . .  . * . * . * * .  . . * * . * . .  . . . * . . * .  ");
}

TEST(SimulationRows, TheDirectionStartsFromParameterOneAlternatesAndTheNewestIsAtTheBottom)
{
    // Before any reset the direction is empty: the first course reads ">".
    EXPECT_EQ(toggledDirection(""), ">");
    // Twelve courses: 2 to 11 remain, 2 at the top, with the direction of course 0.
    for (const auto [startSide, top, bottom] : {std::tuple{0, ">2", "<11"}, {1, "<2", ">11"}, {2, "<2", ">11"}}) {
        Module1 m;
        m.FileParams[0] = std::uint8_t(startSide);
        m.RowDirection = resetDirection(m.FileParams);
        SimulationRows rows;
        for (int course = 0; course < 12; ++course)
            drawCourse(m, rows);
        EXPECT_EQ(rows[0].substr(68), top) << startSide;
        EXPECT_EQ(rows[9].substr(68), bottom) << startSide;
    }
}

}  // namespace
}  // namespace tq
