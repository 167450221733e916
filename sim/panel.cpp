#include "sim/panel.h"

#include "params/param_record.h"

namespace tq::sim {

namespace {

constexpr int kItems = kDeviceMenuTexts;
// The controller ends every line of its display answers with CR LF.
constexpr const char* kCrLf = "\r\n";
constexpr int kMaxValue = 99;

std::string twoDigits(int n)
{
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}

}  // namespace

std::string Panel::press(char key, const ParamImage& working)
{
    switch (key) {
    case 'M':
        m_item = (m_item + 1) % kItems;
        return display(working, "");
    case 'N':
        m_item = (m_item + kItems - 1) % kItems;
        return display(working, "");
    case '2':
        if (m_values[m_item] < kMaxValue)
            ++m_values[m_item];
        return display(working, "");
    case '1':
        if (m_values[m_item] > 0)
            --m_values[m_item];
        return display(working, "");
    case 'E':
        return display(working, " OK");
    case '$':
        m_light = !m_light;
        return std::string(m_light ? "LUCE DISPLAY ON" : "LUCE DISPLAY OFF") + kCrLf;
    default:
        return {};
    }
}

std::string Panel::display(const ParamImage& working, const std::string& status) const
{
    // First line: item number and its menu text; second line: its value. A configuration whose
    // CRC does not match is announced on a third line.
    std::string text = twoDigits(m_item + 1) + " " +
                       working.texts.substr(static_cast<std::size_t>(m_item) * kMenuTextLength,
                                            kMenuTextLength) +
                       kCrLf;
    text += "   = " + std::to_string(m_values[m_item]) + status + kCrLf;
    if (!working.crcMatches())
        text += std::string("ERRORE CRC PARAMETRI") + kCrLf;
    return text;
}

std::string Panel::rereadUsb()
{
    return std::string("Lettura chiave usb...") + kCrLf + "Nessuna chiave inserita" + kCrLf + "D:\\>" + kCrLf;
}

void Panel::restart()
{
    m_item = 0;
    m_light = true;
}

}  // namespace tq::sim
