// The transfer, EEPROM and query items of the main window's menus, with a scripted port in place
// of the line, on the offscreen platform.
#include <QAction>
#include <QLabel>
#include <QtTest>

#include "connected_form1.h"
#include "ui/message_box.h"

using tq::Form1;
using tq::test::ConnectedForm1;

class TransfersForm1Test : public QObject {
    Q_OBJECT

private slots:
    void eachItemSendsItsCommand()
    {
        const struct {
            QAction* Form1::*item;
            std::string sent;  // its first byte, and how many in all
            std::uint8_t mode;
            int interval;
        } rows[] = {
            {&Form1::daltq310, "H1", tq::ParamRead, 200}, {&Form1::ChipBuffer, "H1", tq::ParamRead, 200},
            {&Form1::AlTq310, "L177", tq::InputPoll, 60}, {&Form1::Weeprom, "W8", tq::InputPoll, 60},
            {&Form1::RipIni, "z1", tq::InputPoll, 60},    {&Form1::ErrEEprom, "@1", tq::InputPoll, 60},
            {&Form1::VMenu, "J1", tq::MenuRead, 300},     {&Form1::LPFU, "Y1", tq::PhaseRead, 60},
        };
        for (const auto& row : rows) {
            ConnectedForm1 c;
            // Another operation was running; the copies agree, so a commit goes through.
            c.m().ReceiveMode = tq::InputPoll;
            c.form.Timer1->setInterval(60);
            c.m().FileParams[0] = 1;
            c.m().ChipParams = c.m().FileParams;
            (c.form.*row.item)->trigger();
            const std::string sent = c.port->sent();
            QVERIFY2(sent.substr(0, 1) + std::to_string(sent.size()) == row.sent, row.sent.c_str());
            QVERIFY2(c.m().ReceiveMode == row.mode && c.interval() == row.interval, row.sent.c_str());
            QCOMPARE(c.m().ChipToBuffer, std::uint8_t(row.item == &Form1::ChipBuffer));
            if (row.item == &Form1::AlTq310)
                QCOMPARE(c.form.Label5->text(), QStringLiteral("250-32 File"));
        }

        ConnectedForm1 off(false);  // unconnected, nothing happens
        for (const auto& row : rows)
            (off.form.*row.item)->trigger();
        QVERIFY(off.m().ReceiveMode == tq::Terminal && off.m().ChipToBuffer == 0 && off.interval() == 100);
    }

    void aCommitBeforeAnyReadBackShowsTheStopBox()
    {
        ConnectedForm1 c;  // before any read-back: the device copy is zero, the working copy has its CRC
        tq::ui::MessageCapture capture;
        c.form.Weeprom->trigger();
        QVERIFY(c.port->writes.empty());
        QCOMPARE(capture.messages.size(), std::size_t(1));
        QCOMPARE(capture.messages[0].text,
                 std::string(" Operazione annullata :I parametri del buffer non sono uguali a quelli del TQ310 "));
        QCOMPARE(capture.messages[0].title, std::string("ERRORE"));
        QVERIFY(capture.messages[0].icon == tq::ui::MessageIcon::Critical);
    }

    void aCompletedLoadEnablesTheUsbParameters()
    {
        ConnectedForm1 c;
        QVERIFY(!c.form.ParUsb->isEnabled());
        c.form.daltq310->trigger();
        c.port->feed(std::string(56, '\x05'));
        c.tick();
        QVERIFY(c.form.ParUsb->isEnabled());
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
        std::string list = "VOCI NEL MENU = 12\r\n";
        for (int k = 0; k < 10; ++k)
            list += answer.substr(10 * k, 10) + "\r\n";
        QCOMPARE(c.m().ChipMenuTexts[9], answer.substr(90, 10));
        QCOMPARE(c.m().ChipMenuTexts[10] + c.m().ChipMenuTexts[11], std::string());
        QCOMPARE(c.terminal(), list + "\r\n\r\n");
        c.port->feed(answer.substr(100));
        c.tick();
        QCOMPARE(c.terminal(), list + "\r\n\r\nTESTO 20  TESTO 21  ");

        // The phases: 32 of 40 bytes are shown, and the list's 300 ms stay in force.
        c.form.LPFU->trigger();
        c.port->feed(std::string(40, '\x07'));
        c.tick();
        QVERIFY(c.terminal().starts_with(" Parametri momento uscita funzione \r\n"));
        QVERIFY(c.terminal().ends_with("N.31 = 7\r\nN.32 = 7\r\n"));
        QCOMPARE(c.terminal().find("N.33"), std::string::npos);
        QCOMPARE(c.interval(), 300);
    }
};

QTEST_MAIN(TransfersForm1Test)
#include "transfers_form1_test.moc"
