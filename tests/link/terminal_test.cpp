// The bounded terminal text and its view: the text keeps the most recent part, trims at line
// starts, and the view follows appends and trims without redrawing.
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QtTest>

#include "link/terminal.h"
#include "ui/terminal_view.h"

using tq::TerminalText;

namespace {

std::string line(int i)
{
    return "riga " + std::to_string(i) + "\r\n";
}

QString withoutCr(const std::string& s)
{
    QString q = QString::fromLatin1(s);
    q.remove(QLatin1Char('\r'));
    return q;
}

}  // namespace

class TerminalTest : public QObject {
    Q_OBJECT
private slots:
    void keepsTheMostRecentWholeLinesWithinTheBound()
    {
        TerminalText t(100);
        std::string all;
        for (int i = 0; i < 200; ++i) {
            t.append(line(i));
            all += line(i);
            QVERIFY(t.text().size() <= 100);
            QVERIFY(all.ends_with(t.text()));
            QCOMPARE(t.droppedBytes() + t.text().size(), all.size());
        }
        QCOMPARE(t.generation(), std::uint64_t(0));  // trims at line starts are no replacement
        QVERIFY(t.text().starts_with("riga "));
        const std::string dropped = all.substr(0, t.droppedBytes());
        QCOMPARE(t.droppedLines(), std::uint64_t(std::count(dropped.begin(), dropped.end(), '\n')));
    }

    void replacementsAndCutsInsideALineStartANewGeneration()
    {
        TerminalText t(100);
        t.set(std::string(150, 'a'));
        QCOMPARE(t.text(), std::string(100, 'a'));
        QCOMPARE(t.generation(), std::uint64_t(1));
        t.append(std::string(10, 'b'));  // no line feed to cut at
        QCOMPARE(t.generation(), std::uint64_t(2));
        QVERIFY(t.text().ends_with("abbbbbbbbbb"));
        QVERIFY(t.text().size() <= 100);
        t.append(std::string(300, 'c'));  // larger than the bound alone
        QCOMPARE(t.text(), std::string(75, 'c'));
        t.clear();
        QCOMPARE(t.text(), std::string());
        QCOMPARE(t.droppedBytes(), std::uint64_t(0));
    }

    void viewFollowsAppendsAndTrimsWithoutRedrawing()
    {
        TerminalText t(200);
        QPlainTextEdit edit;
        tq::ui::TerminalView view(&edit, t);
        int redraws = 0;
        int frontRemovals = 0;
        int before = 0;
        connect(edit.document(), &QTextDocument::contentsChange, this, [&](int position, int removed, int) {
            if (position == 0 && removed > 0)
                ++(removed >= before - 1 ? redraws : frontRemovals);
        });
        std::string all;
        for (int i = 0; i < 100; ++i) {
            t.append(line(i));
            if (i % 3 == 0)
                t.append("\xE8");  // a Latin-1 letter, and several appends between two syncs
            before = edit.document()->characterCount();
            view.sync();
            QCOMPARE(edit.toPlainText(), withoutCr(t.text()));
        }
        QVERIFY(frontRemovals > 0);
        QCOMPARE(redraws, 0);
        QVERIFY(!edit.document()->isUndoAvailable());

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
