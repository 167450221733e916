// The transfer and diagnostic items of the main window on the offscreen platform, after the
// user picked port 1, with a scripted port in place of the line. Timer1 is stopped: the tests
// tick the engine by hand. The senders' steps are the link tests' business; here each item must
// reach its own sender, and the secondary windows must work.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/Form1.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "support/scripted_port.h"
#include "ui/message_box.h"

using tq::Form1;

namespace {

struct ConnectedForm1 {
    Form1 form;
    tq::test::ScriptedPort* port = nullptr;

    explicit ConnectedForm1(bool connect = true)
    {
        form.setPortBackends([] { return tq::PortDiscovery{}; }, [this](const tq::PortEntry*) {
            auto scripted = std::make_unique<tq::test::ScriptedPort>();
            port = scripted.get();
            return std::unique_ptr<tq::SerialPort>(std::move(scripted));
        });
        form.Form_Load();
        form.module().PortNumber = connect ? 1 : 0;
        form.IniPorta();
        form.Timer1->stop();
    }

    tq::Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    int interval() const { return form.Timer1->interval(); }
    void tick() { form.Timer1_Timer(); }

    // A menu item or a button, by its object name.
    void use(const char* name)
    {
        if (auto* button = form.findChild<QPushButton*>(QLatin1String(name)))
            button->click();
        else
            form.findChild<QAction*>(QLatin1String(name))->trigger();
    }
};

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

std::string pattern(const tq::Module1& m)
{
    return std::string(m.OutputBytes.begin(), m.OutputBytes.begin() + 3);
}

}  // namespace

class OperationsForm1Test : public QObject {
    Q_OBJECT

private slots:
    void eachItemReachesItsSender()
    {
        // Used while an output test runs, with SeqReadActive at 5 (no item sets it) and the copies
        // agreeing (a commit goes through): the first byte sent and how many, the receive mode,
        // SeqReadActive, whether the terminal was emptied, whether the read-back will copy.
        const std::pair<const char*, std::string> rows[] = {
            {"daltq310", "H1 mode 1 seq 5 cleared"}, {"ChipBuffer", "H1 mode 1 seq 5 cleared copy"},
            {"AlTq310", "L177 mode 6 seq 5"},         {"Weeprom", "W8 mode 6 seq 5"},
            {"RipIni", "z1 mode 6 seq 5"},            {"ErrEEprom", "@1 mode 6 seq 5"},
            {"VMenu", "J1 mode 2 seq 5"},             {"LPFU", "Y1 mode 4 seq 5"},
            {"Command17", "M1 mode 0 seq 5"},         {"Command1", "N1 mode 0 seq 5"},
            {"Command3", "21 mode 0 seq 5"},          {"Command4", "11 mode 0 seq 5"},
            {"Command5", "E1 mode 0 seq 5"},          {"Command6", "$1 mode 0 seq 5"},
            {"Command18", "0 mode 6 seq 5 cleared"},  {"Command11", "0 mode 0 seq 5 cleared"},
            {"Command19", "C1 mode 0 seq 5 cleared"}, {"Command13", "0 mode 5 seq 5"},
            {"CIngressi", "0 mode 5 seq 5"},          {"Command26", "y1 mode 0 seq 5"},
            {"Command22", "/1 mode 0 seq 5"},         {"Command15", "R1 mode 0 seq 5"},
            {"Command16", "0 mode 7 seq 0"},          {"Command23", "0 mode 7 seq -1"},
            {"Command24", "0 mode 6 seq 0"},
        };
        ConnectedForm1 off(false);
        for (const auto& [name, expected] : rows) {
            ConnectedForm1 c;
            c.m().ReceiveMode = tq::OutputTest;
            c.m().SeqReadActive = 5;
            c.m().FileParams[0] = 1;
            c.m().ChipParams = c.m().FileParams;
            c.form.terminal().set("Menu 3");
            c.use(name);
            const std::string sent = c.port->sent();
            const std::string state = sent.substr(0, 1) + std::to_string(sent.size()) + " mode " +
                                      std::to_string(c.m().ReceiveMode) + " seq " + std::to_string(c.m().SeqReadActive) +
                                      (c.terminal().empty() ? " cleared" : "") + (c.m().ChipToBuffer ? " copy" : "");
            QVERIFY2(state == expected, (std::string(name) + ": " + state).c_str());
            off.use(name);  // unconnected, nothing happens
        }
        QVERIFY(off.m().ReceiveMode == tq::Terminal && off.m().ChipToBuffer == 0 && off.interval() == 100);
    }

    void aWriteShowsTheFreshCrcAndACommitBeforeAnyReadBackTheStopBox()
    {
        ConnectedForm1 c;
        c.m().FileParams[0] = 1;
        c.form.AlTq310->trigger();
        QCOMPARE(c.form.Label5->text(), QStringLiteral("250-32 File"));
        c.port->clearSent();
        tq::ui::MessageCapture capture;  // the device copy is still zero
        c.form.Weeprom->trigger();
        QVERIFY(c.port->writes.empty() && capture.messages.size() == 1);
        const tq::ui::ShownMessage& shown = capture.messages[0];
        QVERIFY(shown.title == "ERRORE" && shown.icon == tq::ui::MessageIcon::Critical);
        QCOMPARE(QString::fromLatin1(shown.text),
                 QStringLiteral(" Operazione annullata :I parametri del buffer non sono uguali a quelli del TQ310 "));
    }

    void theMenuListCutAtOneHundredBytesThenThePhases()
    {
        ConnectedForm1 c;
        std::string answer;  // twelve 10-character texts, as the controller answers "J"
        for (int k = 10; k < 22; ++k)
            answer += "TESTO " + std::to_string(k) + "  ";
        c.form.VMenu->trigger();
        c.port->feed(answer.substr(0, 100));
        c.tick();
        QCOMPARE(c.m().ChipMenuTexts[9] + "|" + c.m().ChipMenuTexts[10] + c.m().ChipMenuTexts[11], "TESTO 19  |");
        c.port->feed(answer.substr(100));
        c.tick();  // the rest arrives once the list is done: plain text
        std::string list = "VOCI NEL MENU = 12\r\n";
        for (int k = 0; k < 10; ++k)
            list += answer.substr(10 * k, 10) + "\r\n";
        QCOMPARE(c.terminal(), list + "\r\n\r\nTESTO 20  TESTO 21  ");

        // The phases: 32 of 40 bytes are shown, and the list's 300 ms stay in force.
        c.form.LPFU->trigger();
        c.port->feed(std::string(40, '\x07'));
        c.tick();
        QVERIFY(c.terminal().ends_with("\r\nN.32 = 7\r\n"));
        QCOMPARE(c.interval(), 300);
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

    void produciShowsSevenCoursesThenOneACount()
    {
        ConnectedForm1 c;
        c.m().FileParams[0] = 1;  // counting starts on the right
        c.form.Command14->click();
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
        c.m().ReceiveMode = tq::InputPoll;
        tq::Form2& window = openOutputTest(c, 3);
        QVERIFY(window.isVisible() && !c.form.isEnabled());
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));
        QCOMPARE(c.form.Text1->toPlainText(), QStringLiteral("Seleziona uscite"));

        for (int output : {1, 8, 9, 24})
            window.Check1[output - 1]->click();
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::OutputTest));
        QCOMPARE(pattern(c.m()), std::string("\x81\x01\x80"));  // the engine sends them after "!"

        window.Command3->click();  // "Uscita"
        QVERIFY(!window.isVisible() && c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));

        // Reopened: the boxes start cleared, the last pattern stays until a box changes.
        QCOMPARE(&openOutputTest(c, 1), &window);
        for (QCheckBox* box : window.Check1)
            QVERIFY(!box->isChecked());
        QCOMPARE(pattern(c.m()), std::string("\x81\x01\x80"));
        std::vector<std::uint8_t> modes;
        for (QCheckBox* box : window.Check1)
            connect(box, &QCheckBox::toggled, this, [&] { modes.push_back(c.m().ReceiveMode); });
        window.Command1->click();  // "Tutti ON" with one board
        QCOMPARE(modes, std::vector<std::uint8_t>(8, tq::OutputTest));
        QCOMPARE(pattern(c.m()), std::string("\xFF\0\0", 3));
    }
};

QTEST_MAIN(OperationsForm1Test)
#include "operations_form1_test.moc"
