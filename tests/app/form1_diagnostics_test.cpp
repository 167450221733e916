// The diagnostics of the main window (Form1_diagnostics.cpp) on the offscreen platform, with a
// scripted port in place of the line: each panel key and debugging button reaches its own sender,
// memory stepping, the production simulation in its window, and the output test window.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include "operations/form2.h"
#include "operations/inp_out.h"
#include "support/connected_form1.h"

using tq::test::ConnectedForm1;

namespace {

// A course in which only output position k is set.
std::string courseWith(int position)
{
    std::string row(4, '\0');
    row[position / 8] = static_cast<char>(1u << (position % 8));
    return row;
}

// The output test opened with parameter 4 = boards, the list refreshed as after an edit.
tq::Form2& openOutputTest(ConnectedForm1& c, std::uint8_t boards)
{
    c.m().FileParams[3] = boards;
    c.form.ListInit();
    use(c.form, "TetUscite");
    return *c.form.form2();
}

std::string pattern(const tq::Module1& m)
{
    return std::string(m.OutputBytes.begin(), m.OutputBytes.begin() + 3);
}

}  // namespace

class Form1DiagnosticsTest : public QObject {
    Q_OBJECT

private slots:
    void eachButtonReachesItsSender()
    {
        const std::pair<const char*, std::string> rows[] = {
            {"Command17", "M1 mode 0 seq -1"},         {"Command1", "N1 mode 0 seq -1"},
            {"Command3", "21 mode 0 seq -1"},          {"Command4", "11 mode 0 seq -1"},
            {"Command5", "E1 mode 0 seq -1"},          {"Command6", "$1 mode 0 seq -1"},
            {"Command18", "0 mode 6 seq -1 cleared"},  {"Command11", "0 mode 0 seq -1 cleared"},
            {"Command19", "C1 mode 0 seq -1 cleared"}, {"Command13", "0 mode 5 seq -1"},
            {"CIngressi", "0 mode 5 seq -1"},          {"Command26", "y1 mode 0 seq -1"},
            {"Command22", "/1 mode 0 seq -1"},         {"Command15", "R1 mode 0 seq -1"},
            {"Command16", "0 mode 7 seq 0"},          {"Command23", "0 mode 7 seq -1"},
            {"Command24", "0 mode 6 seq 0"},
        };
        for (const auto& [name, expected] : rows) {
            const std::string effect = tq::test::itemEffect(name);
            QVERIFY2(effect == expected, (std::string(name) + ": " + effect).c_str());
        }
        QVERIFY(tq::test::nothingUnconnected({"Command17", "Command1", "Command3", "Command4", "Command5", "Command6",
                                              "Command18", "Command11", "Command19", "Command13", "CIngressi",
                                              "Command26", "Command22", "Command15", "Command16", "Command23",
                                              "Command24"}));
    }

    void onTwiceKeepsOneSequenceAndPassoEndsItAfterTheByteInProgress()
    {
        ConnectedForm1 c;
        use(c.form, "Command23");  // "ON"
        c.tick();                   // asks for the first byte
        use(c.form, "Command23");
        c.port->feed("A8192");
        c.tick();  // shows it
        c.tick();  // asks for the next
        use(c.form, "Command16");  // "Passo"
        c.port->feed("B8193");
        c.tick();
        c.tick();
        QCOMPARE(c.port->sent(), std::string("&&"));
        QCOMPARE(c.terminal(), std::string("AH= 2000 DH = 41 : A\r\nAH= 2001 DH = 42 : B\r\n"));
        QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::Terminal);
    }

    void produciShowsSevenCoursesThenOneACount()
    {
        ConnectedForm1 c;
        c.m().FileParams[0] = 1;  // counting starts on the right
        use(c.form, "Command14");
        tq::InpOut& window = *c.form.inpOut();
        QVERIFY(window.isVisible() && !c.form.isEnabled() && c.interval() == 50);
        for (int course = 0; course < 7; ++course) {
            c.port->feed(courseWith(course));
            c.tick();
        }
        c.tick();
        QCOMPARE(c.port->sent(), std::string("RSSSSSS"));  // no eighth course is asked for
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.Label1[i]->text(), QString());
        QCOMPARE(window.Label1[3]->text(),
                 QStringLiteral(". . . . . . . .  . . . . . . . .  . . . . . . . .  . . . . . . . *  <0"));
        QVERIFY(window.Label1[9]->text().endsWith(QLatin1String("<6")));

        window.Command1->click();  // "CONTEGGIO": one course, and no more asked for
        c.port->feed(courseWith(31));
        c.tick();
        c.tick();
        QCOMPARE(c.port->sent(), std::string("RSSSSSSS"));
        QVERIFY(window.Label1[9]->text().endsWith(QLatin1String(">7")));

        window.Command2->click();  // "RESET" starts again
        QCOMPARE(c.port->sent(), std::string("RSSSSSSSR"));
        QVERIFY(c.m().RowCounter == 0 && window.Label1[9]->text().isEmpty());

        window.close();
        QVERIFY(c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
    }

    void theOutputTestWindowOffersTheBoardsOutputs()
    {
        // Four boards or more: the 24 boxes are all usable, each whole inside the window.
        for (const auto [boards, usable] : {std::pair{0, 0}, {1, 8}, {5, 24}}) {
            ConnectedForm1 c;
            tq::Form2& window = openOutputTest(c, std::uint8_t(boards));
            for (int i = 0; i < 24; ++i) {
                QCheckBox* box = window.Check1[i];
                QVERIFY2(box->isVisible() && window.rect().contains(box->geometry()) &&
                             box->sizeHint().width() <= box->width() && box->isEnabled() == (i < usable),
                         qPrintable(box->text()));
            }
            QCOMPARE(window.Check1[8]->text(), QStringLiteral("Out 9 [Pin 1]"));
            QCOMPARE(window.Command1->isEnabled() && window.Command2->isEnabled(), usable > 0);
        }
    }

    void theOutputTestSendsTheTickedOutputsUntilItCloses()
    {
        ConnectedForm1 c;
        use(c.form, "Command13");  // polling the inputs
        tq::Form2& window = openOutputTest(c, 3);
        QVERIFY(window.isVisible() && !c.form.isEnabled());
        QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::Terminal);
        QCOMPARE(control<QPlainTextEdit>(c.form, "Text1")->toPlainText(), QStringLiteral("Seleziona uscite"));

        for (int output : {1, 8, 9, 24})
            window.Check1[output - 1]->click();
        QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::OutputTest);
        QCOMPARE(pattern(c.m()), std::string("\x81\x01\x80"));  // the engine sends them after "!"

        window.Command3->click();  // "Uscita"
        QVERIFY(!window.isVisible() && c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
        QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::Terminal);

        // Reopened: the boxes start cleared, the last pattern stays until a box changes.
        QCOMPARE(&openOutputTest(c, 1), &window);
        for (QCheckBox* box : window.Check1)
            QVERIFY(!box->isChecked());
        QCOMPARE(pattern(c.m()), std::string("\x81\x01\x80"));
        std::vector<tq::ReceiveMode> modes;
        for (QCheckBox* box : window.Check1)
            connect(box, &QCheckBox::toggled, this, [&] { modes.push_back(c.m().Engine.mode()); });
        window.Command1->click();  // "Tutti ON" with one board
        QCOMPARE(modes, std::vector<tq::ReceiveMode>(8, tq::ReceiveMode::OutputTest));
        QCOMPARE(pattern(c.m()), std::string("\xFF\0\0", 3));
    }
};

QTEST_MAIN(Form1DiagnosticsTest)
#include "form1_diagnostics_test.moc"
