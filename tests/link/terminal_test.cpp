// The bounded terminal text and its view: the text keeps the most recent part and trims at line
// starts; the view shows the same text through appends, trims and replacements.
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QtTest>

#include "link/terminal.h"
#include "ui/terminal_view.h"

using tq::TerminalText;

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
};

QTEST_MAIN(TerminalTest)
#include "terminal_test.moc"
