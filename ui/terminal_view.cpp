#include "ui/terminal_view.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <string_view>

namespace tq::ui {

namespace {

QString shown(std::string_view bytes)
{
    QString s;
    s.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes)
        if (c != '\r')
            s.append(QChar(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

TerminalView::TerminalView(QPlainTextEdit* edit, const TerminalText& text)
    : m_edit(edit), m_text(text), m_generation(text.generation() - 1)
{
    // An undo history would keep every byte ever shown.
    m_edit->document()->setUndoRedoEnabled(false);
    sync();
}

void TerminalView::sync()
{
    // A trim that went past what the view had shown cannot be followed line by line.
    if (m_text.generation() != m_generation || m_end < m_text.droppedBytes()) {
        redraw();
        return;
    }
    if (m_text.endPosition() == m_end && m_text.droppedLines() == m_droppedLines)
        return;

    QScrollBar* bar = m_edit->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    QTextCursor cursor(m_edit->document());
    if (const auto lines = m_text.droppedLines() - m_droppedLines; lines > 0) {
        // Selected by position: stepping the cursor over the lines costs forty times as much.
        cursor.setPosition(0);
        cursor.setPosition(m_edit->document()->findBlockByNumber(static_cast<int>(lines)).position(),
                           QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_droppedLines = m_text.droppedLines();
    }
    const std::size_t from = static_cast<std::size_t>(m_end - m_text.droppedBytes());
    if (from < m_text.text().size()) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(shown(std::string_view(m_text.text()).substr(from)));
    }
    m_end = m_text.endPosition();
    if (following)
        bar->setValue(bar->maximum());
}

void TerminalView::redraw()
{
    m_edit->setPlainText(shown(m_text.text()));
    m_edit->document()->setUndoRedoEnabled(false);
    m_generation = m_text.generation();
    m_droppedLines = m_text.droppedLines();
    m_end = m_text.endPosition();
    m_edit->verticalScrollBar()->setValue(m_edit->verticalScrollBar()->maximum());
}

}  // namespace tq::ui
