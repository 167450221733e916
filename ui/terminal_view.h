#pragma once
// Shows a TerminalText in a QPlainTextEdit (the main window's Text1) and keeps it in step:
// appended bytes are inserted at the end and dropped lines removed at the front, so that the
// cost of a sync follows what changed, not the length of the text; after an append only the
// lines that changed are painted again (the scroll moves the others). CR is not shown (CR LF ends
// a line as LF does); every other byte is the Latin-1 character of its code.
//
// Where the view stands after a sync, as in a terminal:
// - a replaced text is shown from its first line, unless it has the first line of the text it
//   replaces (the next input status, the next "no answer"): then the reader keeps their place;
// - appended text is followed while the view stands at the end; a reader who scrolled up stays
//   where they are, and following resumes once they scroll back to the end (End, or Ctrl+End,
//   goes there; Home to the first line).

#include <cstdint>
#include <string>

#include "link/terminal.h"

class QPlainTextEdit;

namespace tq::ui {

class TerminalView {
public:
    TerminalView(QPlainTextEdit* edit, const TerminalText& text);

    // Brings the widget up to date with the text; cheap when nothing changed.
    void sync();

private:
    // Where the reader stood before a sync changed the text.
    struct Place {
        int value = 0;
        bool atEnd = true;
    };
    Place place() const;
    // Shows the whole text anew.
    void redraw();
    // Removes the lines dropped at the front and inserts what was appended; returns how many
    // lines were removed.
    int follow();

    QPlainTextEdit* m_edit;
    const TerminalText& m_text;
    std::uint64_t m_generation;
    std::uint64_t m_replacements;
    std::uint64_t m_droppedLines = 0;
    std::uint64_t m_end = 0;  // position just after the last byte shown
    std::string m_heading;    // the first line shown
    int m_appendedFrom = -1;  // where the last follow() appended without repainting the view
};

}  // namespace tq::ui
