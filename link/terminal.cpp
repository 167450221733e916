#include "link/terminal.h"

namespace tq {

TerminalText::TerminalText(std::size_t bound) : m_bound(bound)
{
    m_text.reserve(bound + bound / 4);
}

void TerminalText::clear()
{
    set({});
}

void TerminalText::set(std::string_view text)
{
    if (text.size() > m_bound)
        text = text.substr(text.size() - m_bound);
    m_text.assign(text);
    ++m_revision;
    m_lastWasAppend = false;
}

void TerminalText::append(std::string_view text)
{
    if (text.empty())
        return;
    if (m_text.size() + text.size() > m_bound + m_bound / 4) {
        // Trim in large steps (down to three quarters of the bound) so that the cost of the
        // copy is spread over many appends.
        std::string kept;
        const std::size_t keep = m_bound * 3 / 4;
        std::string joined = m_text + std::string(text);
        kept.reserve(m_bound + m_bound / 4);
        kept.assign(joined, joined.size() > keep ? joined.size() - keep : 0);
        m_text.swap(kept);
        ++m_revision;
        m_lastWasAppend = false;
        return;
    }
    m_appendedFrom = m_text.size();
    m_text.append(text);
    ++m_revision;
    m_lastWasAppend = true;
}

}  // namespace tq
