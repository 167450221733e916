#include "sim/machine.h"

namespace tq::sim {

std::uint8_t inputByte(std::int64_t msSinceStart)
{
    std::uint8_t v = WorkSelector | Power24V;
    if (msSinceStart < kResetMs)
        return v | MachineReset;
    const std::int64_t running = msSinceStart - kResetMs;
    const std::int64_t course = running / kCourseMs;
    if (running % kCourseMs < kPulseMs) {
        v |= CountPulse;
        if (course % kCoursesPerPiece == 0)
            v |= CountReset;
    }
    return v;
}

int assignedOutput(std::uint8_t value)
{
    const int output = value & 0x3F;  // bit 5 carries outputs above 31
    return output <= 32 ? output : 0;
}

std::uint32_t coursePattern(const ParamImage& setup, const std::vector<std::uint8_t>& commands)
{
    std::uint32_t pattern = 0;
    for (std::uint8_t command : commands) {
        if (command < 5 || command > kParamCount)
            continue;
        const int output = assignedOutput(setup.record[command - 1]);
        if (output > 0)
            pattern |= 1u << (output - 1);
    }
    return pattern;
}

std::array<std::uint8_t, 32> outputPhases(const ParamImage& setup, const Knit& knit)
{
    std::array<bool, kParamCount + 1> used{};
    for (const auto& course : knit.courses)
        for (std::uint8_t command : course)
            if (command <= kParamCount)
                used[command] = true;

    std::array<std::uint8_t, 32> phases{};
    std::array<bool, 32> fromKnit{};
    std::array<bool, 32> assigned{};
    for (int number = 5; number <= kParamCount; ++number) {
        const std::uint8_t value = setup.record[number - 1];
        const int output = assignedOutput(value);
        if (output == 0)
            continue;
        const int i = output - 1;
        if (fromKnit[i] || (assigned[i] && !used[number]))
            continue;
        phases[i] = static_cast<std::uint8_t>(decodeOutput(value).timing);
        assigned[i] = true;
        fromKnit[i] = used[number];
    }
    return phases;
}

std::string outputReadback(const ParamImage& setup, const std::array<std::uint8_t, 5>& requested,
                           int shortedOutput)
{
    const int installed = setup.boards() * 8;
    const bool protection = setup.outputProtection();
    std::string answer(3, '\0');
    std::uint8_t faulty = 0;
    for (int output = 1; output <= 24; ++output) {
        const int byte = (output - 1) / 8;
        const std::uint8_t mask = static_cast<std::uint8_t>(1u << ((output - 1) % 8));
        if (!(requested[byte] & mask) || output > installed)
            continue;
        if (protection && output == shortedOutput) {
            faulty = static_cast<std::uint8_t>(output);
            continue;
        }
        answer[byte] = static_cast<char>(answer[byte] | mask);
    }
    if (protection)
        answer += static_cast<char>(faulty);
    return answer;
}

}  // namespace tq::sim
