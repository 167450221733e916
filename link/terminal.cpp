#include "link/terminal.h"

#include <algorithm>

namespace tq {

TerminalText::TerminalText(std::size_t bound) : m_bound(std::max<std::size_t>(bound, 4))
{
    m_text.reserve(m_bound);
}

void TerminalText::clear()
{
    ++m_replacements;
    replace({});
}

void TerminalText::set(std::string_view text)
{
    ++m_replacements;
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
    appendFrom(text.size(), [&text](char* into, std::size_t n) {
        text.copy(into, n);
        text.remove_prefix(n);
    });
}

TerminalText::Room TerminalText::makeRoom(std::size_t arriving)
{
    if (arriving == 0)
        return {};
    const std::size_t kept = m_text.size();
    if (kept + arriving > m_bound) {
        // Dropping down to three quarters of the bound spreads the cost of the move over at least
        // a quarter of the bound of later appends. The move is made in place.
        const std::size_t keep = m_bound * 3 / 4;
        const std::size_t need = kept + arriving - keep;
        if (need > kept) {
            // The arrival alone passes three quarters of the bound: its last part replaces all.
            replace({});
            m_text.resize(keep);
            return {0, keep, arriving - keep};
        }
        const std::size_t lineFeed = m_text.find('\n', need - 1);
        if (lineFeed == std::string::npos) {
            // No line start to cut at: the text is replaced by its own end and the arrival.
            m_text.erase(0, need);
            ++m_generation;
            m_droppedBytes = 0;
            m_droppedLines = 0;
        } else {
            const std::size_t drop = lineFeed + 1;
            m_droppedLines += static_cast<std::uint64_t>(std::count(m_text.begin(), m_text.begin() + drop, '\n'));
            m_droppedBytes += drop;
            m_text.erase(0, drop);
        }
    }
    const std::size_t at = m_text.size();
    m_text.resize(at + arriving);
    return {at, arriving, 0};
}

}  // namespace tq
