#include "params/differences.h"

#include <algorithm>

#include "params/list_view.h"
#include "params/param_table.h"

namespace tq {

namespace {

// The status line's texts, all of them.
constexpr const char* kNothingRead = "nessuna lettura dal TQ310";
constexpr const char* kNoLine = "nessuna riga diversa dal TQ310";
constexpr const char* kOneLine = "1 riga diversa dal TQ310";
constexpr const char* kLines = " righe diverse dal TQ310";
constexpr const char* kOneUnlistedText = " + 1 testo non in lista";
constexpr const char* kUnlistedTexts = " testi non in lista";
constexpr const char* kCrcDiffers = " + CRC diverso";

// The brackets show a text's blanks, as the list shows a value's.
std::string bothValues(const std::string& working, const std::string& device)
{
    return "buffer [" + working + "]  TQ310 [" + device + "]";
}

}  // namespace

Differences compareCopies(const Module1& m)
{
    Differences d;
    if (m.ChipParamsRead) {
        for (int i = 0; i < kParamCount; ++i)
            if (m.FileParams[i] != m.ChipParams[i])
                d.lines.push_back({i, bothValues(std::to_string(m.FileParams[i]), std::to_string(m.ChipParams[i]))});
        // The commit compares the whole record: equal parameters under a CRC the controller
        // holds wrong (an EEPROM fault) are refused too.
        d.crc = d.lines.empty()
            && !std::equal(m.FileParams.begin() + kCrcHigh, m.FileParams.end(), m.ChipParams.begin() + kCrcHigh);
    }
    if (m.ChipMenuTextsRead) {
        for (int k = 0; k < kMenuTextSlots; ++k) {
            if (m.FileMenuTexts[k] == m.ChipMenuTexts[k])
                continue;
            if (k < kListedMenuTexts)
                d.lines.push_back({kFirstMenuTextLine + k, bothValues(m.FileMenuTexts[k], m.ChipMenuTexts[k])});
            else
                ++d.unlistedTexts;
        }
    }
    return d;
}

std::string differencesCaption(const Module1& m, const Differences& d)
{
    if (!m.ChipParamsRead && !m.ChipMenuTextsRead)
        return kNothingRead;
    const std::size_t count = d.lines.size();
    std::string caption = count == 0 ? kNoLine : count == 1 ? kOneLine : std::to_string(count) + kLines;
    if (d.unlistedTexts == 1)
        caption += kOneUnlistedText;
    else if (d.unlistedTexts > 1)
        caption += " + " + std::to_string(d.unlistedTexts) + kUnlistedTexts;
    if (d.crc)
        caption += kCrcDiffers;
    return caption;
}

}  // namespace tq
