#include "ui/terminal_view.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <string_view>

#include "ui/quiet_scroll_bar.h"

namespace tq::ui {

namespace {

// A heading longer than this is compared by its start: the texts the tool shows in place have
// short headings, and free text without a line break need not be searched to its end.
constexpr std::size_t kHeadingBytes = 256;

QString shown(std::string_view bytes)
{
    QString s;
    s.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes)
        if (c != '\r')
            s.append(QChar(static_cast<unsigned char>(c)));
    return s;
}

std::string heading(const std::string& text)
{
    const std::string_view start = std::string_view(text).substr(0, kHeadingBytes);
    return std::string(start.substr(0, start.find_first_of("\r\n")));
}

// Home and End, with or without Ctrl, go to the first and the last line: a read-only text area
// scrolls only by lines and pages of itself, and End is how a keyboard user gets back to
// following the text.
class EndKeys : public QObject {
public:
    explicit EndKeys(QPlainTextEdit* edit) : QObject(edit), m_edit(edit) { edit->installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Home && key != Qt::Key_End)
            return false;
        QScrollBar* bar = m_edit->verticalScrollBar();
        bar->setValue(key == Qt::Key_Home ? bar->minimum() : bar->maximum());
        return true;
    }

private:
    QPlainTextEdit* m_edit;
};

}  // namespace

TerminalView::TerminalView(QPlainTextEdit* edit, const TerminalText& text)
    : m_edit(edit), m_text(text), m_generation(text.generation() - 1), m_replacements(text.replacements() - 1)
{
    // An undo history would keep every byte ever shown.
    m_edit->document()->setUndoRedoEnabled(false);
    // Text arriving line by line changes the scroll bar at every line; once the text is long it
    // no longer looks different, and is not drawn again.
    m_edit->setVerticalScrollBar(new QuietScrollBar(Qt::Vertical, m_edit));
    new EndKeys(m_edit);
    // Fixed-pitch text has no ligatures or kerning to shape: a line laid out without shaping
    // looks the same and costs a fraction.
    QFont font = m_edit->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    m_edit->setFont(font);
    sync();
}

void TerminalView::sync()
{
    const bool replaced = m_text.replacements() != m_replacements;
    // A trim that went past what the view had shown cannot be followed line by line.
    const bool redrawn = replaced || m_text.generation() != m_generation || m_end < m_text.droppedBytes();
    if (!redrawn && m_text.endPosition() == m_end && m_text.droppedLines() == m_droppedLines)
        return;

    const Place before = place();
    QScrollBar* bar = m_edit->verticalScrollBar();
    if (!redrawn) {
        const int removed = follow();
        bar->setValue(before.atEnd ? bar->maximum() : before.value - removed);
        // Scrolling moved what was shown and painted the lines it brought in; the line the
        // text grew from (and anything below it) is painted now, wherever it stands.
        if (m_appendedFrom >= 0) {
            const QRect line = m_edit->cursorRect(QTextCursor(m_edit->document()->findBlock(m_appendedFrom)));
            QWidget* viewport = m_edit->viewport();
            viewport->update(0, line.top(), viewport->width(), viewport->height() - line.top());
        }
        return;
    }
    const std::string previousHeading = m_heading;
    redraw();
    if (!replaced)
        bar->setValue(before.atEnd ? bar->maximum() : before.value);
    else
        bar->setValue(m_heading == previousHeading ? before.value : bar->minimum());
}

TerminalView::Place TerminalView::place() const
{
    const QScrollBar* bar = m_edit->verticalScrollBar();
    return {bar->value(), bar->value() == bar->maximum()};
}

int TerminalView::follow()
{
    QTextCursor cursor(m_edit->document());
    int removed = 0;
    if (const auto lines = m_text.droppedLines() - m_droppedLines; lines > 0) {
        removed = static_cast<int>(lines);
        // Selected by position: stepping the cursor over the lines costs forty times as much.
        cursor.setPosition(0);
        cursor.setPosition(m_edit->document()->findBlockByNumber(removed).position(), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_droppedLines = m_text.droppedLines();
        m_heading = heading(m_text.text());
    }
    m_appendedFrom = -1;
    const std::size_t from = static_cast<std::size_t>(m_end - m_text.droppedBytes());
    if (from < m_text.text().size()) {
        // Text that had no line break yet may have grown its first line.
        if (from < kHeadingBytes)
            m_heading = heading(m_text.text());
        // Placed in an edit block, the cursor does not lay out the line it stands on.
        cursor.beginEditBlock();
        const int at = m_edit->document()->characterCount() - 1;
        cursor.setPosition(at);
        // Lines dropped at the front move everything shown, and the whole view is repainted;
        // otherwise what is shown stays, and the document's request to repaint all of it is
        // not passed on (see sync).
        QWidget* viewport = m_edit->viewport();
        viewport->setAttribute(Qt::WA_UpdatesDisabled, removed == 0);
        cursor.insertText(shown(std::string_view(m_text.text()).substr(from)));
        cursor.endEditBlock();
        viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
        if (removed == 0)
            m_appendedFrom = at;
    }
    m_end = m_text.endPosition();
    return removed;
}

void TerminalView::redraw()
{
    m_edit->setPlainText(shown(m_text.text()));
    m_edit->document()->setUndoRedoEnabled(false);
    m_generation = m_text.generation();
    m_replacements = m_text.replacements();
    m_droppedLines = m_text.droppedLines();
    m_end = m_text.endPosition();
    m_heading = heading(m_text.text());
}

}  // namespace tq::ui
