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

// CR LF ends a line of the terminal text, as it ends the lines the controller sends.
inline constexpr const char* kCrLf = "\r\n";

class TerminalText {
public:
    static constexpr std::size_t kDefaultBound = 256 * 1024;

    explicit TerminalText(std::size_t bound = kDefaultBound);

    void clear();
    void set(std::string_view text);
    void append(std::string_view text);
    // The same as append() of `size` bytes, which take(into, count) writes in order, in one call
    // or several, straight into the text: a port's bytes reach the text with no copy on the way.
    // Bytes the trim drops at once (an arrival larger than three quarters of the bound) are
    // taken into the text's own storage and overwritten.
    template <class Take>
    void appendFrom(std::size_t size, Take take)
    {
        const Room room = makeRoom(size);
        char* into = m_text.data() + room.at;
        for (std::size_t left = room.dropped; left > 0;) {
            const std::size_t n = left < room.size ? left : room.size;
            take(into, n);
            left -= n;
        }
        if (room.size > 0)
            take(into, room.size);
    }
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
    // Counts set() and clear(), the replacements a reader sees as a new text; a trim, which
    // changes generation() too, only makes room for what is appended.
    std::uint64_t replacements() const { return m_replacements; }

private:
    // Where the last `size` bytes of an arrival go, after the trim it calls for; the `dropped`
    // bytes before them are not kept.
    struct Room {
        std::size_t at = 0;
        std::size_t size = 0;
        std::size_t dropped = 0;
    };
    Room makeRoom(std::size_t arriving);
    void replace(std::string_view text);

    std::string m_text;
    std::size_t m_bound;
    std::uint64_t m_generation = 0;
    std::uint64_t m_droppedBytes = 0;
    std::uint64_t m_droppedLines = 0;
    std::uint64_t m_replacements = 0;
};

}  // namespace tq
