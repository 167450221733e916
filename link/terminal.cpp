#include "link/terminal.h"

#include <algorithm>

namespace tq {

TerminalText::TerminalText(std::size_t bound) : m_bound(std::max<std::size_t>(bound, 4))
{
    m_text.reserve(m_bound);
}

void TerminalText::clear()
{
    replace({});
}

void TerminalText::set(std::string_view text)
{
    if (text.size() > m_bound)
        text = text.substr(text.size() - m_bound);
    replace(text);
}

void TerminalText::replace(std::string_view text)
{
    m_text.assign(text);
    ++m_generation;
    m_droppedBytes = 0;
    m_droppedLines = 0;
}

void TerminalText::append(std::string_view text)
{
    if (text.empty())
        return;
    if (m_text.size() + text.size() <= m_bound) {
        m_text.append(text);
        return;
    }
    // Dropping down to three quarters of the bound spreads the cost of the move over at least a
    // quarter of the bound of later appends.
    const std::size_t keep = m_bound * 3 / 4;
    const std::size_t need = m_text.size() + text.size() - keep;
    if (need > m_text.size()) {
        const std::string joined = m_text + std::string(text);
        set(std::string_view(joined).substr(joined.size() - keep));
        return;
    }
    const std::size_t lineFeed = m_text.find('\n', need - 1);
    if (lineFeed == std::string::npos) {
        const std::string joined = m_text.substr(need) + std::string(text);
        set(joined);
        return;
    }
    const std::size_t drop = lineFeed + 1;
    m_droppedLines += static_cast<std::uint64_t>(std::count(m_text.begin(), m_text.begin() + drop, '\n'));
    m_droppedBytes += drop;
    m_text.erase(0, drop);
    m_text.append(text);
}

}  // namespace tq
