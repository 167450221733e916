#pragma once
// Shows a TerminalText in a QPlainTextEdit (the main window's Text1) and keeps it in step:
// appended bytes are inserted at the end and dropped lines removed at the front, so that the
// cost of a sync follows what changed, not the length of the text. CR is not shown (CR LF ends
// a line as LF does); every other byte is the Latin-1 character of its code.

#include <cstdint>

#include "link/terminal.h"

class QPlainTextEdit;

namespace tq::ui {

class TerminalView {
public:
    TerminalView(QPlainTextEdit* edit, const TerminalText& text);

    // Brings the widget up to date with the text; cheap when nothing changed.
    void sync();

private:
    void redraw();

    QPlainTextEdit* m_edit;
    const TerminalText& m_text;
    std::uint64_t m_generation;
    std::uint64_t m_droppedLines = 0;
    std::uint64_t m_end = 0;  // position just after the last byte shown
};

}  // namespace tq::ui
