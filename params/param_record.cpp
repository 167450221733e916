#include "params/param_record.h"

namespace tq {

OutputAssignment decodeOutput(std::uint8_t value)
{
    OutputTiming timing = OutputTiming::Count;
    if (value & 0x80)
        timing = OutputTiming::Pulse;
    else if (value & 0x40)
        timing = OutputTiming::PhaseZero;
    return {value & 31, timing};
}

std::uint16_t channelCountFor(std::uint8_t boardsByte)
{
    unsigned v = boardsByte;
    if (v >= 16)
        v -= 16;
    return static_cast<std::uint16_t>(v * 8);
}

std::string fitMenuText(const std::string& text)
{
    std::string fitted = text.substr(0, kMenuTextLength);
    fitted.resize(kMenuTextLength, ' ');
    return fitted;
}

std::string menuTextBlock(const MenuTexts& texts)
{
    std::string block;
    block.reserve(kDeviceMenuTexts * kMenuTextLength);
    for (int i = 0; i < kDeviceMenuTexts; ++i)
        block += fitMenuText(texts[i]);
    return block;
}

}  // namespace tq
