#pragma once
// The text of the main window's terminal area, as a byte string (Latin-1 at the widget).
// It keeps the most recent part when it grows past its bound, so that a session that runs for
// hours in terminal mode neither slows down nor eats memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

class TerminalText {
public:
    static constexpr std::size_t kDefaultBound = 256 * 1024;

    explicit TerminalText(std::size_t bound = kDefaultBound);

    void clear();
    void set(std::string_view text);
    void append(std::string_view text);
    const std::string& text() const { return m_text; }
    std::size_t bound() const { return m_bound; }

    // For the view: counts every change; a view that saw `revision() - 1` and only appends
    // happened since can append `text().substr(appendedFrom())` instead of redrawing all.
    std::uint64_t revision() const { return m_revision; }
    bool lastChangeWasAppend() const { return m_lastWasAppend; }
    std::size_t appendedFrom() const { return m_appendedFrom; }

private:
    std::string m_text;
    std::size_t m_bound;
    std::uint64_t m_revision = 0;
    bool m_lastWasAppend = false;
    std::size_t m_appendedFrom = 0;
};

}  // namespace tq
