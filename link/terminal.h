#pragma once
// The text of the main window's terminal area, as a byte string (Latin-1 at the widget).
// It holds at most bound() bytes: an append that would pass the bound first drops the oldest part,
// down to three quarters of the bound and at the start of a line when there is one, so that a
// session that runs for hours in terminal mode neither slows down nor eats memory.

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

    // For a view that follows the text without redrawing it: positions count every byte since
    // the last replacement. generation() changes whenever the text was replaced (set, clear, or a
    // trim that had to cut inside a line); otherwise the text only grew at its end and lost whole
    // lines at its front: droppedBytes() bytes holding droppedLines() line feeds.
    std::uint64_t generation() const { return m_generation; }
    std::uint64_t droppedBytes() const { return m_droppedBytes; }
    std::uint64_t droppedLines() const { return m_droppedLines; }
    std::uint64_t endPosition() const { return m_droppedBytes + m_text.size(); }

private:
    void replace(std::string_view text);

    std::string m_text;
    std::size_t m_bound;
    std::uint64_t m_generation = 0;
    std::uint64_t m_droppedBytes = 0;
    std::uint64_t m_droppedLines = 0;
};

}  // namespace tq
