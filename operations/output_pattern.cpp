#include "operations/output_pattern.h"

namespace tq {

std::string outputBoxCaption(int box)
{
    return "Out " + std::to_string(box + 1) + " [Pin " + std::to_string(box % kOutputsPerBoard + 1) + "]";
}

int usableOutputBoxes(std::uint16_t channelCount)
{
    switch (channelCount) {
    case 0:
    case 8:
    case 16:
    case 24:
        return channelCount;
    default:
        return kOutputBoxes;
    }
}

bool allOutputsButtonsEnabled(std::uint16_t channelCount)
{
    return usableOutputBoxes(channelCount) > 0;
}

std::array<std::uint8_t, 3> outputPattern(const OutputBoxFlags& ticked, const OutputBoxFlags& usable)
{
    std::array<std::uint8_t, 3> pattern{};
    for (int box = 0; box < kOutputBoxes; ++box)
        if (ticked[box] && usable[box])
            pattern[box / kOutputsPerBoard] |= static_cast<std::uint8_t>(1u << (box % kOutputsPerBoard));
    return pattern;
}

}  // namespace tq
