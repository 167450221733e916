// The diagnostics of the main window with a scripted port in place of the line: the panel keys
// and debugging buttons, the memory debugger, "Produci" with the window InpOut, and the output
// test Form2.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "connected_form1.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "ui/fonts.h"

using tq::Form1;
using tq::test::ConnectedForm1;

namespace {

using Bytes = std::array<std::uint8_t, 3>;

Bytes patternOf(const tq::Module1& m)
{
    return {m.OutputBytes[0], m.OutputBytes[1], m.OutputBytes[2]};
}

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
    c.form.TetUscite->trigger();
    return *c.form.form2();
}

}  // namespace

class DiagnosticsForm1Test : public QObject {
    Q_OBJECT

private slots:
    void eachButtonRunsItsSender()
    {
        const std::uint8_t was = tq::OutputTest;  // the operation running before each click
        const struct {
            std::function<void(Form1&)> use;
            const char* sent;
            std::uint8_t mode;
            int interval;
            bool cleared;
            std::int16_t seq;  // SeqReadActive was 5, a value no button sets
        } rows[] = {
            {[](Form1& f) { f.Command17->click(); }, "M", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command1->click(); }, "N", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command3->click(); }, "2", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command4->click(); }, "1", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command5->click(); }, "E", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command6->click(); }, "$", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command18->click(); }, "", was, 100, true, 5},
            {[](Form1& f) { f.Command11->click(); }, "", tq::Terminal, 200, true, 5},
            {[](Form1& f) { f.Command19->click(); }, "C", tq::Terminal, 100, true, 5},
            {[](Form1& f) { f.Command13->click(); }, "", tq::InputPoll, 60, false, 5},
            {[](Form1& f) { f.CIngressi->trigger(); }, "", tq::InputPoll, 60, false, 5},
            {[](Form1& f) { f.Command26->click(); }, "y", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command22->click(); }, "/", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command15->click(); }, "R", tq::Terminal, 100, false, 5},
            {[](Form1& f) { f.Command16->click(); }, "", tq::MemoryStep, 100, false, 0},
            {[](Form1& f) { f.Command23->click(); }, "", tq::MemoryStep, 100, false, -1},
            {[](Form1& f) { f.Command24->click(); }, "", was, 100, false, 0},
        };
        int row = 0;
        for (const auto& r : rows) {
            ConnectedForm1 c;
            c.m().ReceiveMode = was;
            c.m().SeqReadActive = 5;
            c.form.terminal().set("Menu 3");
            c.form.syncTerminal();
            r.use(c.form);
            const QByteArray at = QByteArray::number(row++);
            QVERIFY2(c.port->sent() == r.sent && c.m().ReceiveMode == r.mode, at);
            QVERIFY2(c.interval() == r.interval && c.m().SeqReadActive == r.seq, at);
            // Text1 follows the terminal at once.
            QVERIFY2(c.terminal().empty() == r.cleared && c.form.Text1->toPlainText().isEmpty() == r.cleared, at);
        }
    }

    void onTwiceKeepsOneSequenceAndPassoEndsItAfterTheByteInProgress()
    {
        ConnectedForm1 c;
        c.form.Command23->click();  // "ON"
        c.tick();                   // asks for the first byte
        c.form.Command23->click();
        c.port->feed("A8192");
        c.tick();  // shows it
        c.tick();  // asks for the next
        c.form.Command16->click();  // "Passo"
        c.port->feed("B8193");
        c.tick();
        c.tick();
        QCOMPARE(c.port->sent(), std::string("&&"));
        QCOMPARE(c.terminal(), std::string("AH= 2000 DH = 41 : A\r\nAH= 2001 DH = 42 : B\r\n"));
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));
    }

    void produciShowsSevenCoursesThenOneACountInReadableRows()
    {
        ConnectedForm1 c;
        c.m().FileParams[0] = 1;  // counting starts on the right
        c.m().RowCounter = 8;
        c.form.Command14->click();
        QCOMPARE(c.interval(), 50);
        tq::InpOut& window = *c.form.inpOut();
        QVERIFY(window.isVisible() && !c.form.isEnabled());

        for (int course = 0; course < 7; ++course) {
            c.port->feed(courseWith(course));
            c.tick();
        }
        c.tick();
        QCOMPARE(c.port->sent(), std::string("RSSSSSS"));  // no eighth course is asked for
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.Label1[i]->text(), QString());
        QCOMPARE(window.Label1[3]->text(), QStringLiteral(". . . . . . . .  . . . . . . . .  . . . . . . . .  "
                                                          ". . . . . . . *  <0"));
        QVERIFY(window.Label1[9]->text().endsWith(QLatin1String("<6")));

        // "CONTEGGIO" adds one course and asks for no more; a 13-byte answer is dropped.
        window.Command1->click();
        c.port->feed(courseWith(31));
        c.tick();
        QVERIFY(window.Label1[9]->text().endsWith(QLatin1String(">7")));
        window.Command1->click();
        c.port->feed(std::string(13, '\x7F'));
        c.tick();
        c.tick();
        QCOMPARE(c.port->sent(), std::string("RSSSSSSSS"));
        QCOMPARE(c.m().RowCounter, std::int16_t(8));

        // "RESET" starts again.
        window.Command2->click();
        QVERIFY(c.port->sent().ends_with("R"));
        QCOMPARE(c.m().RowCounter, std::int16_t(0));
        QCOMPARE(window.Label1[9]->text(), QString());

        // The rows stay whole up to a five-digit counter, and each line falls in the two blanks
        // after the marks of positions 24, 16, 8 and 0.
        c.m().RowCounter = 32000;
        c.form.conta();
        QLabel* newest = window.Label1[9];
        const QString row = newest->text();
        QVERIFY(newest->width() >= newest->fontMetrics().horizontalAdvance(row) + newest->indent());
        QVERIFY(tq::ui::isFixedPitch(newest->font()));
        const QFontMetricsF metrics(newest->font());
        const auto xOf = [&](int column) { return newest->indent() + metrics.horizontalAdvance(row.left(column)); };
        for (int k = 0; k < 4; ++k) {
            const int lastMark = 14 + 17 * k;
            const double centre = window.Line[k]->geometry().center().x();
            QVERIFY2(centre > xOf(lastMark + 1) && centre < xOf(lastMark + 3), qPrintable(QString::number(k)));
        }

        window.close();
        QVERIFY(c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
    }

    void theOutputTestWindowOffersTheBoardsOutputs()
    {
        // Four boards or more: the 24 boxes are all usable.
        for (const auto [boards, usable] : {std::pair{0, 0}, {1, 8}, {5, 24}}) {
            ConnectedForm1 c;
            tq::Form2& window = openOutputTest(c, std::uint8_t(boards));
            for (int i = 0; i < 24; ++i) {
                QCheckBox* box = window.Check1[i];
                QVERIFY(box->isVisible() && window.rect().contains(box->geometry()));
                QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
                QCOMPARE(box->isEnabled(), i < usable);
            }
            QCOMPARE(window.Check1[8]->text(), QStringLiteral("Out 9 [Pin 1]"));
            QCOMPARE(window.Command1->isEnabled() && window.Command2->isEnabled(), usable > 0);
        }
    }

    void theOutputTestSendsTheTickedOutputsUntilItCloses()
    {
        ConnectedForm1 c;
        c.m().ReceiveMode = tq::InputPoll;
        tq::Form2& window = openOutputTest(c, 3);
        QVERIFY(window.isVisible() && !c.form.isEnabled());
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));
        QCOMPARE(c.form.Text1->toPlainText(), QStringLiteral("Seleziona uscite"));

        for (int output : {1, 8, 9, 24})
            window.Check1[output - 1]->click();
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::OutputTest));
        QCOMPARE(patternOf(c.m()), (Bytes{0x81, 0x01, 0x80}));
        c.tick();  // the engine replies on one tick and sends on the next
        c.tick();
        QCOMPARE(c.port->sent(), std::string("!\x81\x01\x80\0\0", 6));
        c.port->feed(std::string("\x10\x00\x00\x00\x07\x09", 6));
        c.tick();
        QCOMPARE(c.terminal(), std::string("16\r\n0\r\n0\r\n0\r\n"));

        window.Command3->click();  // "Uscita"
        QVERIFY(!window.isVisible() && c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));

        // Reopened: the boxes start cleared, the last pattern stays until a box changes.
        QCOMPARE(&openOutputTest(c, 1), &window);
        for (QCheckBox* box : window.Check1)
            QVERIFY(!box->isChecked());
        QCOMPARE(patternOf(c.m()), (Bytes{0x81, 0x01, 0x80}));
        std::vector<std::uint8_t> modes;
        for (QCheckBox* box : window.Check1)
            connect(box, &QCheckBox::toggled, this, [&] { modes.push_back(c.m().ReceiveMode); });
        window.Command1->click();  // "Tutti ON" with one board
        QCOMPARE(modes, std::vector<std::uint8_t>(8, tq::OutputTest));
        QCOMPARE(patternOf(c.m()), (Bytes{0xFF, 0x00, 0x00}));
    }
};

QTEST_MAIN(DiagnosticsForm1Test)
#include "diagnostics_form1_test.moc"
