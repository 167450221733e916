// Where the terminal Text1 stands, at the main window's own size. The fault it guards: every
// replacement of the text scrolled it to the end, so the input status (a heading and seven inputs,
// replaced every 120 ms) always hid its heading and first inputs, a reader's scrolling was undone
// at the next refresh, and the menu list and the output phases opened past their headings.
#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

#include "form1_rig.h"

using tq::Form1;
using tq::test::Form1Rig;

namespace {

QScrollBar* bar(Form1& f)
{
    return control<QPlainTextEdit>(f, "Text1")->verticalScrollBar();
}

// The first line the reader sees.
QString topLine(Form1& f)
{
    return control<QPlainTextEdit>(f, "Text1")->cursorForPosition(QPoint(1, 1)).block().text();
}

// A second of input polling at 60 ms: a "K" cycle of two ticks every 120 ms, the controller
// answering each "K".
void pollForASecond(Form1Rig& rig, char inputs)
{
    for (int tick = 0; tick < 1000 / 60; ++tick) {
        const bool asks = rig.form.module().Engine.PhaseToggle() == -1;
        rig.form.Timer1_Timer();
        if (asks)
            rig.port->feed(std::string(1, inputs));
    }
}

}  // namespace

class Form1TerminalTest : public QObject {
    Q_OBJECT
private slots:
    void theInputStatusKeepsItsHeadingAndTheReadersPlace()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.terminal().set(std::string(40, '-'));  // a text of another kind before
        use(f, "CIngressi");
        pollForASecond(rig, 0x05);
        QVERIFY2(bar(f)->maximum() > 0, "the input status fits: the window is larger than the tool's own size");
        QCOMPARE(bar(f)->value(), bar(f)->minimum());
        QCOMPARE(topLine(f), QStringLiteral(" Stato ingressi :"));

        // The reader scrolls down three steps; the refreshes leave them there.
        for (int i = 0; i < 3; ++i)
            bar(f)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        const int place = bar(f)->value();
        const QString line = topLine(f);
        QVERIFY(place > 0 && line != QStringLiteral(" Stato ingressi :"));
        pollForASecond(rig, 0x01);
        QCOMPARE(bar(f)->value(), place);
        QCOMPARE(topLine(f), line);
        const QString text = control<QPlainTextEdit>(f, "Text1")->toPlainText();
        QVERIFY(text.contains(QStringLiteral("Mor.14(reset macchina)     = [OFF]")));
    }

    void aTextOfAnotherKindStartsAtItsFirstLine()
    {
        std::string answer;  // twelve menu texts
        for (int k = 10; k < 22; ++k)
            answer += "TESTO " + std::to_string(k) + "  ";
        const struct { const char* item; std::string answer; QString heading; } cases[] = {
            {"VMenu", answer, QStringLiteral("VOCI NEL MENU = 12")},
            {"LPFU", std::string(32, '\x01'), QStringLiteral(" Parametri momento uscita funzione ")},
        };
        for (const auto& c : cases) {
            Form1Rig rig;
            rig.connect(0);
            Form1& f = rig.form;
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            use(f, "CIngressi");
            pollForASecond(rig, 0x7F);
            bar(f)->setValue(bar(f)->maximum());  // the reader had scrolled to the last input
            control<QAction>(f, c.item)->trigger();
            rig.port->feed(c.answer);
            f.Timer1_Timer();
            QVERIFY2(bar(f)->maximum() > 0, c.item);
            QCOMPARE(bar(f)->value(), bar(f)->minimum());
            QCOMPARE(topLine(f), c.heading);
        }
    }

    void appendedTextIsFollowedOnlyFromTheEnd()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        int line = 0;
        const auto arrive = [&](int lines) {  // free text from the controller, one tick's worth
            std::string text;
            for (int i = 0; i < lines; ++i)
                text += "riga " + std::to_string(line++) + "\r\n";
            rig.port->feed(text);
            f.Timer1_Timer();
        };
        use(f, "Command18");  // "Cancella testo": the terminal takes free text
        while (bar(f)->maximum() < 20)
            arrive(5);
        QCOMPARE(bar(f)->value(), bar(f)->maximum());

        bar(f)->setValue(bar(f)->maximum() - 10);  // the reader scrolls up
        const int place = bar(f)->value();
        const QString shown = topLine(f);
        arrive(5);
        QVERIFY(bar(f)->maximum() > place + 10);
        QCOMPARE(bar(f)->value(), place);
        QCOMPARE(topLine(f), shown);

        QPlainTextEdit* Text1 = control<QPlainTextEdit>(f, "Text1");
        QTest::keyClick(Text1, Qt::Key_End, Qt::ControlModifier);  // back at the end: followed again
        QCOMPARE(bar(f)->value(), bar(f)->maximum());
        arrive(5);
        QCOMPARE(bar(f)->value(), bar(f)->maximum());
        QCOMPARE(Text1->document()->lastBlock().previous().text(), QStringLiteral("riga %1").arg(line - 1));
    }
};

QTEST_MAIN(Form1TerminalTest)
#include "form1_terminal_test.moc"
