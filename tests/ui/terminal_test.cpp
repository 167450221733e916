// The terminal area: the bounded text keeps the most recent part and trims at line starts; its
// view shows the same text through appends, trims and replacements; and its scroll bar repaints
// only when it looks different.
#include <QEvent>
#include <QImage>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include <functional>

#include "link/terminal.h"
#include "ui/quiet_scroll_bar.h"
#include "ui/terminal_view.h"

using tq::TerminalText;

namespace {

// The count of a widget's paint events.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    int paints = 0;
};

// What the window shows of a widget: from the window's backing store, so what was painted, not a
// fresh rendering of the widget.
QImage onScreen(QWidget& widget)
{
    const QPoint at = widget.mapTo(widget.window(), QPoint());
    return widget.screen()
        ->grabWindow(widget.window()->winId(), at.x(), at.y(), widget.width(), widget.height())
        .toImage();
}

// Two widgets of one size side by side in a shown window, away from the pointer at 0, 0.
bool showSideBySide(QWidget& window, QWidget& left, QWidget& right, QSize size)
{
    left.setGeometry(20, 0, size.width(), size.height());
    right.setGeometry(40 + size.width(), 0, size.width(), size.height());
    window.resize(60 + 2 * size.width(), size.height());
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

// After `change`, once the window has repainted the widget `probe` watches (it repaints at every
// change, and the window's repaint brings both): whether `a` and `b` show the same pixels.
bool sameAfterRepaint(const PaintCounter& probe, QWidget& a, QWidget& b, const std::function<void()>& change)
{
    const int painted = probe.paints;
    change();
    return QTest::qWaitFor([&] { return probe.paints > painted; }) && onScreen(a) == onScreen(b);
}

}  // namespace

class TerminalTest : public QObject {
    Q_OBJECT
private slots:
    void keepsTheMostRecentPartAndTheViewShowsIt()
    {
        TerminalText t(100);
        QPlainTextEdit edit;
        tq::ui::TerminalView view(&edit, t);
        // What the view shows once synced, and the text without its carriage returns.
        const auto shown = [&] {
            view.sync();
            return edit.toPlainText();
        };
        const auto text = [&] { return QString::fromLatin1(t.text()).remove(QLatin1Char('\r')); };
        std::string all;
        for (int i = 0; i < 200; ++i) {
            // A Latin-1 letter now and then, and several appends between two syncs.
            const std::string line = "riga " + std::to_string(i) + (i % 3 ? "" : " \xE8") + "\r\n";
            t.append(line);
            all += line;
            QVERIFY(t.text().size() <= 100 && all.ends_with(t.text()) && t.text().starts_with("riga "));
            if (i % 2)
                QCOMPARE(shown(), text());
        }
        QVERIFY(!edit.document()->isUndoAvailable());  // an undo history would keep every byte

        t.set(std::string(150, 'a'));
        QCOMPARE(t.text(), std::string(100, 'a'));
        QCOMPARE(shown(), text());
        t.append(std::string(300, 'c'));  // larger than the bound alone
        QCOMPARE(t.text(), std::string(75, 'c'));
        QCOMPARE(shown(), text());
    }

    // Bytes taken straight from a port land as an append of them would, and every byte of the
    // arrival is taken, no more: a byte left behind would stay waiting on the port for ever.
    void anArrivalTakenFromAPortLandsAsAnAppend()
    {
        std::string lines;  // nine lines of ten bytes
        for (int i = 1; i <= 9; ++i)
            lines += "riga 000" + std::to_string(i) + "\n";
        std::string counting(300, ' ');
        for (std::size_t i = 0; i < counting.size(); ++i)
            counting[i] = static_cast<char>('0' + i % 10);
        const struct {
            const char* what;
            std::string before, arrival, after;
            bool replaced;
            std::uint64_t droppedBytes, droppedLines;
        } cases[] = {
            {"fits", "ab", "cd\r\n", "abcd\r\n", false, 0, 0},
            {"fills the bound exactly", lines, "0123456789", lines + "0123456789", false, 0, 0},
            {"trims whole lines", lines, "0123456789ABCDEFGHI\n", lines.substr(40) + "0123456789ABCDEFGHI\n", false, 40, 4},
            {"no line start to cut at", std::string(90, 'a'), std::string(20, 'b'),
             std::string(55, 'a') + std::string(20, 'b'), true, 0, 0},
            {"larger than three quarters of the bound", lines, counting.substr(0, 80), counting.substr(5, 75), true, 0, 0},
            {"larger than the bound", lines, counting, counting.substr(225), true, 0, 0},
        };
        for (const auto& c : cases) {
            TerminalText viaPort(100), viaAppend(100);
            viaPort.set(c.before);
            viaAppend.set(c.before);
            const std::uint64_t generation = viaPort.generation();
            std::size_t taken = 0;
            viaPort.appendFrom(c.arrival.size(), [&](char* into, std::size_t n) {
                QVERIFY2(taken + n <= c.arrival.size(), c.what);
                c.arrival.copy(into, n, taken);
                taken += n;
            });
            viaAppend.append(c.arrival);
            QVERIFY2(taken == c.arrival.size(), c.what);
            QVERIFY2(viaPort.text() == c.after, c.what);
            QVERIFY2(viaAppend.text() == c.after, c.what);
            QVERIFY2((viaPort.generation() != generation) == c.replaced, c.what);
            QVERIFY2(viaPort.droppedBytes() == c.droppedBytes && viaPort.droppedLines() == c.droppedLines, c.what);
            QVERIFY2(viaAppend.generation() == viaPort.generation() && viaAppend.droppedBytes() == c.droppedBytes, c.what);
        }
    }

    // The view paints only the lines that changed when text is appended; after every sync the
    // window must show what a text area given the whole text shows at the same place (a line
    // left unpainted, or painted before it was complete, would differ). A reader scrolled up keeps
    // the lines they read in place, also when lines are dropped at the front.
    void appendedTextShowsAsTheWholeTextShows()
    {
        QWidget window;
        QPlainTextEdit followed(&window), whole(&window);
        followed.setReadOnly(true);
        whole.setReadOnly(true);
        QVERIFY(showSideBySide(window, followed, whole, QSize(300, 160)));
        TerminalText t(600);
        tq::ui::TerminalView view(&followed, t);
        whole.setFont(followed.font());
        PaintCounter wholePaints(whole.viewport());
        QScrollBar* bar = followed.verticalScrollBar();
        const auto topLine = [&] { return followed.cursorForPosition(QPoint(1, 1)).block().text(); };

        std::string lines;
        for (int i = 0; i < 12; ++i)
            lines += "riga " + std::to_string(i) + "\r\n";
        const struct { const char* what; std::string arrival; int scrollBack; } steps[] = {
            {"two lines", "prima\r\nseconda\r\n", 0},
            {"a line begun", "terza ini", 0},
            {"and ended", "zia e finisce\r\n", 0},
            {"enough lines to scroll", lines + lines + lines + lines, 0},
            {"a line wider than the view", "lunga " + std::string(60, '-'), 0},
            {"which grows", std::string(50, '=') + "\r\n", 0},
            {"empty lines", "\r\n\r\n", 0},
            {"a reader scrolled up, through a trim at the front", lines, 6},
            {"back at the end", "ultima riga\r\n", -1},
            {"after the trim", "dopo\r\n", 0},
        };
        for (const auto& step : steps) {
            if (step.scrollBack != 0)
                bar->setValue(step.scrollBack > 0 ? bar->maximum() - step.scrollBack : bar->maximum());
            const bool reading = bar->value() < bar->maximum();
            const QString read = topLine();
            const std::uint64_t dropped = t.droppedLines();
            QVERIFY2(sameAfterRepaint(wholePaints, *followed.viewport(), *whole.viewport(), [&] {
                t.append(step.arrival);
                view.sync();
                whole.setPlainText(QString::fromLatin1(t.text()).remove(QLatin1Char('\r')));
                whole.verticalScrollBar()->setValue(bar->value());
            }), step.what);
            QVERIFY2(!reading || (topLine() == read && bar->value() < bar->maximum() && t.droppedLines() > dropped),
                     step.what);
        }
        QVERIFY(t.droppedLines() > 0);
    }

    // The scroll bar that repaints only when it looks different, beside a plain one taking the
    // same changes: after every change both show the same pixels (a skipped repaint that mattered
    // would leave a stale handle or arrow), and following a text that grows a line at a time it
    // paints a few times (while its handle shrinks) where the plain one paints at every line.
    void theScrollBarShowsWhatAPlainOneShowsWithFewerPaints()
    {
        using Change = std::function<void(QScrollBar&, int step)>;
        const struct { const char* what; int steps; Change change; bool fewer; } cases[] = {
            // A text following its end, two lines a tick: the handle soon has its least length.
            {"following a growing text", 1000,
             [](QScrollBar& b, int step) {
                 b.setRange(0, 2 * step);
                 b.setValue(b.maximum());
             },
             true},
            // The reader scrolled up and stays: the handle shrinks but stays at the top.
            {"a growing text read from the top", 1000, [](QScrollBar& b, int step) { b.setRange(0, 2 * step); }, true},
            // Every change moves the handle: nothing to skip.
            {"paging through a short text", 12, [](QScrollBar& b, int step) { b.setValue(step % 4 * 10); }, false},
            {"reaching either end", 8, [](QScrollBar& b, int step) { b.setValue(step % 2 ? b.maximum() : b.minimum()); },
             false},
        };
        for (const auto& c : cases) {
            QWidget window;
            tq::ui::QuietScrollBar quiet(Qt::Vertical, &window);
            QScrollBar plain(Qt::Vertical, &window);
            for (QScrollBar* b : {static_cast<QScrollBar*>(&quiet), &plain}) {
                b->setRange(0, 40);
                b->setPageStep(15);
            }
            QVERIFY(showSideBySide(window, quiet, plain, QSize(16, 300)));
            PaintCounter quietPaints(&quiet), plainPaints(&plain);
            for (int step = 1; step <= c.steps; ++step) {
                QVERIFY2(sameAfterRepaint(plainPaints, quiet, plain, [&] {
                    c.change(quiet, step);
                    c.change(plain, step);
                }), qPrintable(QStringLiteral("%1, step %2").arg(QLatin1String(c.what)).arg(step)));
            }
            QVERIFY2(c.fewer ? quietPaints.paints * 5 < plainPaints.paints : quietPaints.paints == plainPaints.paints,
                     qPrintable(QStringLiteral("%1: %2 / %3").arg(QLatin1String(c.what)).arg(quietPaints.paints)
                                    .arg(plainPaints.paints)));
        }
    }
};

QTEST_MAIN(TerminalTest)
#include "terminal_test.moc"
