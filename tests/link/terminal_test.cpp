// The bounded terminal text and its view: the text keeps the most recent part and trims at line
// starts; the view shows the same text through appends, trims and replacements.
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QtTest>

#include "link/terminal.h"
#include "ui/terminal_view.h"

using tq::TerminalText;

namespace {

std::string line(int i) { return "riga " + std::to_string(i) + "\r\n"; }

QString withoutCr(const std::string& s) { return QString::fromLatin1(s).remove(QLatin1Char('\r')); }

}  // namespace

class TerminalTest : public QObject {
    Q_OBJECT
private slots:
    void keepsTheMostRecentPartWithinTheBound()
    {
        TerminalText t(100);
        std::string all;
        for (int i = 0; i < 200; ++i) {
            t.append(line(i));
            all += line(i);
            QVERIFY(t.text().size() <= 100 && all.ends_with(t.text()));
            QCOMPARE(t.droppedBytes() + t.text().size(), all.size());
        }
        QCOMPARE(t.generation(), std::uint64_t(0));  // trims at line starts are no replacement
        QVERIFY(t.text().starts_with("riga "));
        const std::string dropped = all.substr(0, t.droppedBytes());
        QCOMPARE(t.droppedLines(), std::uint64_t(std::count(dropped.begin(), dropped.end(), '\n')));

        // A replacement, and a trim with no line feed to cut at, start a new generation.
        t.set(std::string(150, 'a'));
        QCOMPARE(t.text(), std::string(100, 'a'));
        t.append(std::string(10, 'b'));
        QCOMPARE(t.generation(), std::uint64_t(2));
        QVERIFY(t.text().size() <= 100 && t.text().ends_with("abbbbbbbbbb"));
        t.append(std::string(300, 'c'));  // larger than the bound alone
        QCOMPARE(t.text(), std::string(75, 'c'));
    }

    void viewFollowsAppendsTrimsAndReplacements()
    {
        TerminalText t(200);
        QPlainTextEdit edit;
        tq::ui::TerminalView view(&edit, t);
        for (int i = 0; i < 100; ++i) {
            t.append(line(i));
            if (i % 3 == 0)
                t.append("\xE8");  // a Latin-1 letter, and several appends between two syncs
            view.sync();
            QCOMPARE(edit.toPlainText(), withoutCr(t.text()));
        }
        QVERIFY(!edit.document()->isUndoAvailable());  // an undo history would keep every byte

        t.set("nuovo\r\n");
        view.sync();
        QCOMPARE(edit.toPlainText(), QStringLiteral("nuovo\n"));
        t.append(std::string(500, 'x'));  // past the bound in one go: redrawn whole
        view.sync();
        QCOMPARE(edit.toPlainText(), withoutCr(t.text()));
    }
};

QTEST_MAIN(TerminalTest)
#include "terminal_test.moc"
