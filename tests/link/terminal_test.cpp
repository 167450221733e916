// The bounded terminal text and its view: the text keeps the most recent part and trims at line
// starts; the view shows the same text through appends, trims and replacements.
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include "link/terminal.h"
#include "support/paint_probe.h"
#include "ui/terminal_view.h"

using tq::TerminalText;
using tq::test::onScreen;
using tq::test::PaintCounter;

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
        t.append(std::string(10, 'b'));  // no line start to cut at
        QVERIFY(t.text().size() <= 100 && t.text().ends_with("abbbbbbbbbb"));
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

    // Lines dropped at the front while the reader is scrolled up must not slide the text they
    // read out from under them.
    void aReaderScrolledUpKeepsTheirLinesThroughATrim()
    {
        TerminalText t(2000);
        QPlainTextEdit edit;
        edit.resize(300, 200);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        tq::ui::TerminalView view(&edit, t);
        QScrollBar* bar = edit.verticalScrollBar();
        const auto topLine = [&] { return edit.cursorForPosition(QPoint(1, 1)).block().text(); };
        int line = 0;
        const auto arrive = [&] {
            t.append("riga " + std::to_string(line++) + "\r\n");
            view.sync();
        };
        while (t.droppedLines() == 0 && bar->maximum() < 150)
            arrive();
        bar->setValue(bar->maximum() - 8);
        const QString read = topLine();
        while (t.droppedLines() == 0)
            arrive();
        QCOMPARE(topLine(), read);
        QVERIFY(bar->value() < bar->maximum());
    }

    // The view paints only the lines that changed when text is appended; after every sync the
    // window must show what a text area given the whole text shows at the same place (a line
    // left unpainted, or painted before it was complete, would differ).
    void appendedTextShowsAsTheWholeTextShows()
    {
        QWidget window;
        QPlainTextEdit followed(&window), whole(&window);
        for (QPlainTextEdit* e : {&followed, &whole}) {
            e->setGeometry(e == &followed ? 20 : 340, 0, 300, 160);  // away from the pointer at 0, 0
            e->setReadOnly(true);
        }
        window.resize(660, 160);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TerminalText t(600);
        tq::ui::TerminalView view(&followed, t);
        whole.setFont(followed.font());
        PaintCounter wholePaints(whole.viewport());

        std::string lines;
        for (int i = 0; i < 12; ++i)
            lines += "riga " + std::to_string(i) + "\r\n";
        const struct { const char* what; std::string arrival; int scrollBack; } steps[] = {
            {"two lines", "prima\r\nseconda\r\n", 0},
            {"a line begun", "terza ini", 0},
            {"and ended", "zia e finisce\r\n", 0},
            {"enough lines to scroll", lines, 0},
            {"a line wider than the view", "lunga " + std::string(60, '-'), 0},
            {"which grows", std::string(50, '=') + "\r\n", 0},
            {"empty lines", "\r\n\r\n", 0},
            {"a reader scrolled up", lines, 6},
            {"back at the end", "ultima riga\r\n", -1},
            {"trimmed at the front", lines + lines + lines + lines, 0},
            {"after the trim", "dopo\r\n", 0},
        };
        for (const auto& step : steps) {
            QScrollBar* bar = followed.verticalScrollBar();
            if (step.scrollBack > 0)
                bar->setValue(bar->maximum() - step.scrollBack);
            else if (step.scrollBack < 0)
                bar->setValue(bar->maximum());
            t.append(step.arrival);
            view.sync();
            const int painted = wholePaints.paints;
            whole.setPlainText(QString::fromLatin1(t.text()).remove(QLatin1Char('\r')));
            whole.verticalScrollBar()->setValue(bar->value());
            // Both are repainted in one pass of the window.
            QTRY_VERIFY2(wholePaints.paints > painted, step.what);
            QVERIFY2(onScreen(*followed.viewport()) == onScreen(*whole.viewport()), step.what);
        }
        QVERIFY(t.droppedLines() > 0);
    }
};

QTEST_MAIN(TerminalTest)
#include "terminal_test.moc"
