// The transfer items of the main window (Form1_transfers.cpp) on the offscreen platform, with a
// scripted port in place of the line: each item reaches its own sender (whose steps are the link
// tests' business), a write shows the fresh CRC, a commit before any read-back is refused with the
// stop box, and the menu list and the phases show what the controller sent.
#include <QAction>
#include <QLabel>
#include <QtTest>

#include "support/connected_form1.h"
#include "ui/message_box.h"

using tq::test::ConnectedForm1;

class Form1TransfersTest : public QObject {
    Q_OBJECT

private slots:
    void eachItemReachesItsSender()
    {
        const std::pair<const char*, std::string> rows[] = {
            {"daltq310", "H1 mode 1 seq -1 cleared"}, {"ChipBuffer", "H1 mode 1 seq -1 cleared copy"},
            {"AlTq310", "L177 mode 6 seq -1"},         {"Weeprom", "W8 mode 6 seq -1"},
            {"RipIni", "z1 mode 6 seq -1"},            {"ErrEEprom", "@1 mode 6 seq -1"},
            {"VMenu", "J1 mode 2 seq -1"},             {"LPFU", "Y1 mode 4 seq -1"},
        };
        for (const auto& [name, expected] : rows) {
            const std::string effect = tq::test::itemEffect(name);
            QVERIFY2(effect == expected, (std::string(name) + ": " + effect).c_str());
        }
        QVERIFY(tq::test::nothingUnconnected({"daltq310", "ChipBuffer", "AlTq310", "Weeprom", "RipIni", "ErrEEprom",
                                              "VMenu", "LPFU"}));
    }

    void aWriteShowsTheFreshCrcAndACommitBeforeAnyReadBackTheStopBox()
    {
        ConnectedForm1 c;
        c.m().FileParams[0] = 1;
        use(c.form, "AlTq310");
        QCOMPARE(control<QLabel>(c.form, "Label5")->text(), QStringLiteral("250-32 File"));
        c.port->clearSent();
        tq::ui::MessageCapture capture;  // the device copy is still zero
        use(c.form, "Weeprom");
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
        use(c.form, "VMenu");
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
        use(c.form, "LPFU");
        c.port->feed(std::string(40, '\x07'));
        c.tick();
        QVERIFY(c.terminal().ends_with("\r\nN.32 = 7\r\n"));
        QCOMPARE(c.interval(), 300);
    }
};

QTEST_MAIN(Form1TransfersTest)
#include "form1_transfers_test.moc"
