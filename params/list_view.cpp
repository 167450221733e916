#include "params/list_view.h"

#include "params/crc.h"
#include "params/param_table.h"

namespace tq {

static void appendField(std::string& line, std::uint8_t value)
{
    std::string digits = std::to_string(value);
    digits.resize(kValueFieldWidth, ' ');
    line += digits;
}

std::string parameterLine(int index, std::uint8_t fileValue, std::uint8_t chipValue)
{
    std::string line;
    line.reserve(38);
    line += ParamLabels[index];
    appendField(line, fileValue);
    line += "] [";
    appendField(line, chipValue);
    line += "]";
    return line;
}

ListContent ListInit(Module1& m)
{
    ListContent content;
    content.label1 = kFileCaptionPrefix + m.CurrentFileName;
    m.ChannelCount = channelCountFor(m.FileParams[kBoardsIndex]);
    content.lines.reserve(kListLines);
    for (int i = 0; i < kParamCount; ++i)
        content.lines.push_back(parameterLine(i, m.FileParams[i], m.ChipParams[i]));
    content.lines.emplace_back(kMenuHeader);
    for (int k = 0; k < kListedMenuTexts; ++k)
        content.lines.push_back(std::string(MenuItemCaptions[k]) + m.FileMenuTexts[k]);
    content.label5 = Crcgen(m.FileParams);
    return content;
}

}  // namespace tq
