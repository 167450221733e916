// The transfer, EEPROM and query items of the main window's menus, wired to a scripted port in
// place of the line, on the offscreen platform.
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

#include <memory>

#include "app/Form1.h"
#include "support/scripted_port.h"
#include "ui/message_box.h"

using tq::Form1;
using tq::test::ScriptedPort;

namespace {

// The main window after the user picked port 1, with a scripted port as the line. The timer is
// stopped: the tests tick the engine by hand.
struct Connected {
    Form1 form;
    ScriptedPort* port = nullptr;

    explicit Connected(bool withPort = true)
    {
        form.setPortBackends([] { return tq::PortDiscovery{}; }, [this](const tq::PortEntry*) {
            auto scripted = std::make_unique<ScriptedPort>();
            port = scripted.get();
            return std::unique_ptr<tq::SerialPort>(std::move(scripted));
        });
        form.Form_Load();
        form.module().PortNumber = withPort ? 1 : 0;
        form.IniPorta();
        form.Timer1->stop();
    }
    tq::Module1& m() { return form.module(); }
};

using Item = QAction* Form1::*;

}  // namespace

class TransfersForm1Test : public QObject {
    Q_OBJECT

private slots:
    void eachItemSendsItsCommandWithItsModeAndTimer()
    {
        struct Row {
            const char* name;
            Item item;
            std::vector<std::size_t> writeSizes;
            std::string firstWrite;
            std::uint8_t mode;
            int interval;
            std::uint8_t chipToBuffer;
        };
        const Row rows[] = {
            {"daltq310", &Form1::daltq310, {1}, "H", tq::ParamRead, 200, 0},
            {"ChipBuffer", &Form1::ChipBuffer, {1}, "H", tq::ParamRead, 200, 1},
            {"AlTq310", &Form1::AlTq310, {1, 56, 120}, "L", tq::InputPoll, 60, 0},
            {"Weeprom", &Form1::Weeprom, {1, 7}, "W", tq::InputPoll, 60, 0},
            {"RipIni", &Form1::RipIni, {1}, "z", tq::InputPoll, 60, 0},
            {"ErrEEprom", &Form1::ErrEEprom, {1}, "@", tq::InputPoll, 60, 0},
            {"VMenu", &Form1::VMenu, {1}, "J", tq::MenuRead, 300, 0},
            {"LPFU", &Form1::LPFU, {1}, "Y", tq::PhaseRead, 60, 0},
        };
        for (const Row& row : rows) {
            Connected c;
            QVERIFY2(c.port, row.name);
            // Another operation was running; the copies agree, so a commit goes through.
            c.m().ReceiveMode = tq::InputPoll;
            c.form.Timer1->setInterval(60);
            c.m().ChipParams = c.m().FileParams;

            (c.form.*row.item)->trigger();

            QCOMPARE(c.port->writes.size(), row.writeSizes.size());
            for (std::size_t i = 0; i < row.writeSizes.size(); ++i)
                QCOMPARE(c.port->writes[i].size(), row.writeSizes[i]);
            QCOMPARE(c.port->writes[0], row.firstWrite);
            QVERIFY2(c.m().ReceiveMode == row.mode, row.name);
            QVERIFY2(c.form.Timer1->interval() == row.interval, row.name);
            QVERIFY2(c.m().ChipToBuffer == row.chipToBuffer, row.name);
        }
    }

    void theWriteShowsTheCrcAndTheFiftySixLines()
    {
        Connected c;
        c.m().FileParams[0] = 1;
        c.form.AlTq310->trigger();
        c.form.syncTerminal();

        QCOMPARE(c.form.Label5->text(), QStringLiteral("250-32 File"));
        const QStringList lines = c.form.Text1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 56);
        QCOMPARE(lines.first(), QStringLiteral("1 [1]"));
        QCOMPARE(lines.last(), QStringLiteral("56 [32]"));
    }

    void aRefusedCommitShowsTheStopBoxAndSendsNothing()
    {
        struct Row {
            const char* name;
            void (*change)(tq::Module1&);
            const char* message;
            const char* terminal;
        };
        const Row rows[] = {
            {"parameters", [](tq::Module1& m) { m.ChipParams[10] = 1; },
             " Operazione annullata :I parametri del buffer non sono uguali a quelli del TQ310 ", ""},
            {"texts", [](tq::Module1& m) { m.FileMenuTexts[20] = "VENTI"; },
             " Operazione annullata : i parametri della lingua sono diversi  dal TQ310 ", "VENTI\n"},
        };
        for (const Row& row : rows) {
            Connected c;
            c.m().ChipParams = c.m().FileParams;
            row.change(c.m());
            tq::ui::MessageCapture capture;
            c.form.Weeprom->trigger();
            c.form.syncTerminal();

            QCOMPARE(capture.messages.size(), std::size_t(1));
            QCOMPARE(capture.messages[0].text, std::string(row.message));
            QCOMPARE(capture.messages[0].title, std::string("ERRORE"));
            QVERIFY2(capture.messages[0].icon == tq::ui::MessageIcon::Critical, row.name);
            QVERIFY2(c.port->writes.empty(), row.name);
            QCOMPARE(c.form.Text1->toPlainText(), QString::fromLatin1(row.terminal));
        }
    }

    void aPassingCommitReportsInTheTerminalWithoutABox()
    {
        Connected c;
        c.m().ChipParams = c.m().FileParams;
        tq::ui::MessageCapture capture;
        c.form.Weeprom->trigger();
        c.form.syncTerminal();
        QVERIFY(capture.messages.empty());
        QCOMPARE(c.port->sent(), std::string("WVorela\r"));
        QCOMPARE(c.form.Text1->toPlainText(), QStringLiteral("Parametri salvati in EEPROM"));
    }

    void onlyTheLoadItemEnablesTheUsbParameters()
    {
        for (const bool toBuffer : {true, false}) {
            Connected c;
            QVERIFY(!c.form.ParUsb->isEnabled());
            (toBuffer ? c.form.ChipBuffer : c.form.daltq310)->trigger();
            c.port->feed(std::string(56, '\x05'));
            c.form.Timer1_Timer();
            QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::MenuRead));
            QCOMPARE(c.form.ParUsb->isEnabled(), !toBuffer);
            QCOMPARE(c.form.Label4->text(), QStringLiteral("5-5 Chip "));
        }
    }

    void withoutAConnectionTheItemsDoNothing()
    {
        Connected c(false);
        QVERIFY(!c.form.isConnected());
        QVERIFY(!c.port);
        c.form.terminal().set("prima");
        for (QAction* item : {c.form.daltq310, c.form.ChipBuffer, c.form.AlTq310, c.form.Weeprom, c.form.RipIni,
                              c.form.ErrEEprom, c.form.VMenu, c.form.LPFU})
            item->trigger();
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));
        QCOMPARE(c.m().ChipToBuffer, std::uint8_t(0));
        QCOMPARE(c.form.terminal().text(), std::string("prima"));
        QCOMPARE(c.form.Timer1->interval(), 100);
    }
};

QTEST_MAIN(TransfersForm1Test)
#include "transfers_form1_test.moc"
