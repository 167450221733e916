#pragma once
// The production simulation's courses as InpOut shows them: ten rows, the newest at the bottom.
// The controller answers "R" (restart at the first course) and "S" (next course) with one row of
// 4 to 12 bytes; bytes 3, 2, 1, 0 hold positions 31-24, 23-16, 15-8, 7-0, bit 7 the highest
// position of each group.

#include <array>
#include <cstdint>
#include <string>

#include "params/module1.h"

namespace tq {

inline constexpr int kSimulationRows = 10;
// InpOut's Label1(0) at the top to Label1(9) at the bottom.
using SimulationRows = std::array<std::string, kSimulationRows>;

// Where the four separators of the groups of eight positions fall in a row: the character
// columns between the marks of positions 24|23, 16|15, 8|7 and after position 0. Each is the
// column of the extra space that follows the group; the separator runs along its left edge.
inline constexpr std::array<int, 4> kGroupSeparatorColumns = {16, 33, 50, 67};

// "* " or ". " for positions 31 down to 0, with one extra space after positions 24, 16, 8 and 0.
std::string courseMarks(const std::array<std::uint8_t, 23>& rowBuffer);

// ">" becomes "<", anything else becomes ">".
std::string toggledDirection(const std::string& direction);

// The direction a reset starts from: parameter 1 ("Lato di inizio conteggio") 0 = left gives
// "<", so that the first course drawn shows ">".
std::string resetDirection(const ParamRecord& fileParams);

// conta: draws RowBuffer as the next course (marks, the toggled direction, the course number),
// counts it and scrolls it in at the bottom.
void drawCourse(Module1& m, SimulationRows& rows);

}  // namespace tq
