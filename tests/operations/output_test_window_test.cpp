// "Controllo uscite TQ310" and the window Form2 on the real main window, with a scripted port
// in place of the line.
#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "operations/diagnostics_fixture.h"
#include "operations/form2.h"

using tq::Form1;
using tq::test::ConnectedForm1;

namespace {

using Bytes = std::array<std::uint8_t, 3>;

Bytes patternOf(const tq::Module1& m)
{
    return {m.OutputBytes[0], m.OutputBytes[1], m.OutputBytes[2]};
}

// Parameter 4 with this many boards, the list refreshed as after an edit.
void setBoards(ConnectedForm1& c, std::uint8_t boards)
{
    c.m().FileParams[3] = boards;
    c.form.ListInit();
}

tq::Form2& openOutputTest(ConnectedForm1& c)
{
    c.form.TetUscite->trigger();
    return *c.form.form2();
}

// The frame the engine sends on its send tick, once the reply tick before it has passed.
std::vector<std::string> nextFrame(ConnectedForm1& c)
{
    c.port->clearSent();
    if (c.m().PhaseToggle != -1)
        c.tick();
    c.tick();
    return c.port->writes;
}

std::vector<std::string> frame(std::initializer_list<int> bytes)
{
    std::vector<std::string> writes{"!"};
    for (int b : bytes)
        writes.emplace_back(1, static_cast<char>(b));
    return writes;
}

}  // namespace

class OutputTestWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuItemOpensTheWindowAndWaitsForAChoice()
    {
        ConnectedForm1 c;
        setBoards(c, 3);
        c.m().ReceiveMode = tq::InputPoll;
        tq::Form2& window = openOutputTest(c);

        QCOMPARE(window.windowTitle(), QStringLiteral("Test uscite"));
        QVERIFY(window.isVisible());
        QVERIFY(!c.form.isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));
        QCOMPARE(c.form.Text1->toPlainText(), QStringLiteral("Seleziona uscite"));
        QVERIFY(c.port->events.empty());
        // Until a box changes, the controller's text follows in the terminal.
        c.port->feed("OK");
        c.tick();
        QCOMPARE(c.terminal(), std::string("Seleziona usciteOK"));
    }

    void theBoardsDecideWhichBoxesAreUsable()
    {
        struct Case {
            std::uint8_t boards;
            int usable;
            bool allButtons;
        };
        // Four boards is more than the window offers: all 24 boxes are usable.
        for (const Case& k : {Case{0, 0, false}, Case{1, 8, true}, Case{2, 16, true}, Case{3, 24, true},
                              Case{4, 24, true}, Case{16 + 2, 16, true}}) {
            ConnectedForm1 c;
            setBoards(c, k.boards);
            tq::Form2& window = openOutputTest(c);
            for (int i = 0; i < 24; ++i) {
                QCheckBox* box = window.Check1[i];
                QVERIFY(box->isVisible());
                QCOMPARE(box->isEnabled(), i < k.usable);
                QCOMPARE(box->text(), QStringLiteral("Out %1 [Pin %2]").arg(i + 1).arg(i % 8 + 1));
            }
            QCOMPARE(window.Command1->isEnabled(), k.allButtons);
            QCOMPARE(window.Command2->isEnabled(), k.allButtons);
            QVERIFY(window.Command3->isEnabled());
        }
    }

    void theBoxesSitAtTheirPlacesAndShowTheirCaptionsWhole()
    {
        ConnectedForm1 c;
        setBoards(c, 5);
        tq::Form2& window = openOutputTest(c);
        const double dpiX = window.logicalDpiX();
        const double dpiY = window.logicalDpiY();
        const auto px = [](int twips, double dpi) { return int(std::lround(twips * dpi / 1440)); };
        const int left[3] = {200, 1800, 3400};
        for (int i = 0; i < 24; ++i) {
            QCheckBox* box = window.Check1[i];
            const int column = i / 8;
            const int row = i % 8;
            QCOMPARE(box->geometry(), QRect(px(left[column], dpiX), px(240 + 300 * row, dpiY), px(1300, dpiX),
                                            px(320, dpiY)));
            QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
            QVERIFY(box->font().pointSizeF() >= 7);
            QVERIFY(window.rect().contains(box->geometry()));
        }
        // "Tutti ON", "Tutti OFF", "Uscita" along the bottom, left to right.
        const QPushButton* buttons[] = {window.Command1, window.Command2, window.Command3};
        QCOMPARE(window.Command1->text(), QStringLiteral("Tutti ON"));
        QCOMPARE(window.Command2->text(), QStringLiteral("Tutti OFF"));
        QCOMPARE(window.Command3->text(), QStringLiteral("Uscita"));
        for (int b = 0; b < 3; ++b) {
            QVERIFY(buttons[b]->y() > window.Check1[7]->geometry().bottom());
            QVERIFY(window.rect().contains(buttons[b]->geometry()));
            if (b > 0)
                QVERIFY(buttons[b]->x() > buttons[b - 1]->geometry().right());
        }
    }

    void tickedOutputsGoOutAsTheFramePattern()
    {
        ConnectedForm1 c;
        setBoards(c, 3);
        tq::Form2& window = openOutputTest(c);
        for (int output : {1, 8, 9, 24})
            window.Check1[output - 1]->click();
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::OutputTest));
        QCOMPARE(patternOf(c.m()), (Bytes{0x81, 0x01, 0x80}));
        QCOMPARE(nextFrame(c), frame({0x81, 0x01, 0x80, 0x00, 0x00}));
        // The receive buffer is emptied just before the frame.
        const auto bang = std::find(c.port->events.begin(), c.port->events.end(), "write:!");
        QVERIFY(bang != c.port->events.begin() && bang != c.port->events.end());
        QCOMPARE(*(bang - 1), std::string("discard"));

        // Unticking one box changes the next frame.
        window.Check1[7]->click();
        QCOMPARE(nextFrame(c), frame({0x01, 0x01, 0x80, 0x00, 0x00}));
    }

    void allOnTicksOnlyTheUsableBoxesAfterEnteringTheOutputTest()
    {
        ConnectedForm1 c;
        setBoards(c, 1);
        tq::Form2& window = openOutputTest(c);
        std::vector<std::uint8_t> modeWhenBoxesChange;
        for (QCheckBox* box : window.Check1)
            connect(box, &QCheckBox::toggled, this, [&] { modeWhenBoxesChange.push_back(c.m().ReceiveMode); });

        window.Command1->click();
        QCOMPARE(patternOf(c.m()), (Bytes{0xFF, 0x00, 0x00}));
        QCOMPARE(modeWhenBoxesChange, std::vector<std::uint8_t>(8, tq::OutputTest));
        for (int i = 8; i < 24; ++i)
            QVERIFY(!window.Check1[i]->isChecked() && !window.Check1[i]->isEnabled());

        modeWhenBoxesChange.clear();
        c.m().ReceiveMode = tq::Terminal;
        window.Command2->click();
        QCOMPARE(modeWhenBoxesChange, std::vector<std::uint8_t>(8, tq::OutputTest));
        QCOMPARE(patternOf(c.m()), (Bytes{0x00, 0x00, 0x00}));
        QCOMPARE(nextFrame(c), frame({0, 0, 0, 0, 0}));
    }

    void aReplyShowsAtMostFourValues()
    {
        ConnectedForm1 c;
        setBoards(c, 3);
        tq::Form2& window = openOutputTest(c);
        window.Check1[4]->click();
        nextFrame(c);
        c.port->feed(std::string_view("\x10\x00\x00\x00\x07\x09", 6));
        c.tick();
        QCOMPARE(c.terminal(), std::string("16\r\n0\r\n0\r\n0\r\n"));
        QCOMPARE(c.form.Text1->toPlainText(), QStringLiteral("16\n0\n0\n0\n"));

        // No reply: the frame keeps going out, the terminal says the controller is silent.
        QCOMPARE(nextFrame(c), frame({0x10, 0, 0, 0, 0}));
        c.tick();
        QCOMPARE(c.terminal(), c.m().NoAnswerText);
    }

    void closingKeepsThePatternAndReopeningStartsCleared()
    {
        for (const bool closeBox : {false, true}) {
            ConnectedForm1 c;
            setBoards(c, 3);
            tq::Form2& window = openOutputTest(c);
            QVERIFY(QTest::qWaitForWindowActive(&window));
            for (int output : {2, 12, 20})
                window.Check1[output - 1]->click();
            if (closeBox)
                window.close();
            else
                window.Command3->click();

            QVERIFY(!window.isVisible());
            QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));
            QVERIFY(c.form.isEnabled());
            QTRY_VERIFY(c.form.isActiveWindow());
            QCOMPARE(patternOf(c.m()), (Bytes{0x02, 0x08, 0x08}));

            QCOMPARE(&openOutputTest(c), &window);
            for (QCheckBox* box : window.Check1)
                QVERIFY(!box->isChecked());
            QCOMPARE(patternOf(c.m()), (Bytes{0x02, 0x08, 0x08}));
            c.port->clearSent();
            c.tick();
            c.tick();
            QVERIFY(c.port->writes.empty());

            // The first change rebuilds all three bytes from the cleared boxes.
            window.Check1[0]->click();
            QCOMPARE(patternOf(c.m()), (Bytes{0x01, 0x00, 0x00}));
        }
    }
};

QTEST_MAIN(OutputTestWindowTest)
#include "output_test_window_test.moc"
