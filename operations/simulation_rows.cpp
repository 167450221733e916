#include "operations/simulation_rows.h"

#include <algorithm>

namespace tq {

std::string courseMarks(const std::array<std::uint8_t, 23>& rowBuffer)
{
    std::string marks;
    marks.reserve(68);
    for (int position = 31; position >= 0; --position) {
        const bool set = (rowBuffer[position / 8] >> (position % 8)) & 1;
        marks += set ? "* " : ". ";
        if (position % 8 == 0)
            marks += ' ';
    }
    return marks;
}

std::string toggledDirection(const std::string& direction)
{
    return direction == ">" ? "<" : ">";
}

std::string resetDirection(const ParamRecord& fileParams)
{
    return fileParams[0] != 0 ? ">" : "<";
}

void drawCourse(Module1& m, SimulationRows& rows)
{
    std::string row = courseMarks(m.RowBuffer);
    m.RowDirection = toggledDirection(m.RowDirection);
    row += m.RowDirection + std::to_string(m.RowCounter);
    m.RowCounter = static_cast<std::int16_t>(m.RowCounter + 1);
    std::move(rows.begin() + 1, rows.end(), rows.begin());
    rows.back() = std::move(row);
}

}  // namespace tq
