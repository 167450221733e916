// The panel keys, the device and memory debugging buttons and "Controllo ingressi TQ310" of the
// real main window, with a scripted port in place of the line.
#include <QAction>
#include <QGroupBox>
#include <QPushButton>
#include <QtTest>

#include "operations/diagnostics_fixture.h"

using tq::Form1;
using tq::test::ConnectedForm1;

namespace {

using Button = QPushButton* Form1::*;

// What the tool looked like when a byte went out.
struct AtWrite {
    std::uint8_t mode;
    std::string terminal;
};

}  // namespace

class DiagnosticsKeysTest : public QObject {
    Q_OBJECT

private slots:
    void eachButtonRunsItsStepsInOrder()
    {
        struct Row {
            const char* name;
            Button button;
            const char* sent;          // "" when the button sends nothing
            bool clearedBeforeSend;    // the terminal was empty when the byte went out
            std::uint8_t modeAtSend;
            std::uint8_t mode;
            int interval;
            bool terminalCleared;
            std::int16_t seqBefore;
            std::int16_t seqAfter;
        };
        // Before each click another operation was running: the output test at 100 ms, with
        // text in the terminal.
        const std::uint8_t was = tq::OutputTest;
        const Row rows[] = {
            {"Menu +", &Form1::Command17, "M", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            {"Menu -", &Form1::Command1, "N", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            {"up", &Form1::Command3, "2", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            {"down", &Form1::Command4, "1", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            // ENT goes out before the mode is set.
            {"ENT", &Form1::Command5, "E", false, was, tq::Terminal, 100, false, 0, 0},
            {"light", &Form1::Command6, "$", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            {"Cancella testo", &Form1::Command18, "", false, 0, was, 100, true, 0, 0},
            {"test VDIP1", &Form1::Command11, "", false, 0, tq::Terminal, 200, true, 0, 0},
            {"Rileggi driver", &Form1::Command19, "C", true, tq::Terminal, tq::Terminal, 100, true, 0, 0},
            {"lettura ingressi", &Form1::Command13, "", false, 0, tq::InputPoll, 60, false, 0, 0},
            {"Adres = file", &Form1::Command26, "y", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            {"Adres = cartelle", &Form1::Command22, "/", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            // The same byte as the simulation's reset, but in mode 0: the answer goes to the terminal.
            {"Adres = dati", &Form1::Command15, "R", false, tq::Terminal, tq::Terminal, 100, false, 0, 0},
            {"Passo", &Form1::Command16, "", false, 0, tq::MemoryStep, 100, false, -1, 0},
            {"ON", &Form1::Command23, "", false, 0, tq::MemoryStep, 100, false, 0, -1},
            // OFF leaves the mode and the timer alone.
            {"OFF", &Form1::Command24, "", false, 0, was, 100, false, -1, 0},
        };
        for (const Row& row : rows) {
            ConnectedForm1 c;
            c.m().ReceiveMode = was;
            c.m().SeqReadActive = row.seqBefore;
            c.form.Timer1->setInterval(100);
            c.form.terminal().set("Menu 3");
            std::vector<AtWrite> seen;
            c.port->onWrite = [&] { seen.push_back({c.m().ReceiveMode, c.terminal()}); };

            (c.form.*row.button)->click();

            if (*row.sent) {
                QCOMPARE(c.port->writes, std::vector<std::string>{row.sent});
                QVERIFY2(seen[0].mode == row.modeAtSend, row.name);
                QVERIFY2(seen[0].terminal.empty() == row.clearedBeforeSend, row.name);
            } else {
                QVERIFY2(c.port->events.empty(), row.name);
            }
            QVERIFY2(c.m().ReceiveMode == row.mode, row.name);
            QVERIFY2(c.interval() == row.interval, row.name);
            QVERIFY2(c.terminal().empty() == row.terminalCleared, row.name);
            QVERIFY2(c.m().SeqReadActive == row.seqAfter, row.name);
            // Text1 follows the terminal once the handler is done.
            QCOMPARE(c.form.Text1->toPlainText().isEmpty(), row.terminalCleared);
        }
    }

    void theInputMonitorMenuItemStartsPollingWithoutSending()
    {
        ConnectedForm1 c;
        c.m().ReceiveMode = tq::MemoryStep;
        c.form.CIngressi->trigger();
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::InputPoll));
        QCOMPARE(c.interval(), 60);
        QVERIFY(c.port->events.empty());
    }

    void onPressedTwiceKeepsOneSequence()
    {
        ConnectedForm1 c;
        c.form.Command23->click();
        c.tick();  // asks for the first byte
        c.form.Command23->click();
        c.port->feed("A8192");
        c.tick();  // shows it
        c.tick();  // asks for the next
        c.port->feed("B8193");
        c.tick();
        c.tick();

        QCOMPARE(c.port->writes, (std::vector<std::string>{"&", "&", "&"}));
        QCOMPARE(c.terminal(), std::string("AH= 2000 DH = 41 : A\r\nAH= 2001 DH = 42 : B\r\n"));
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::MemoryStep));
        QCOMPARE(c.interval(), 80);
    }

    void passoOrOffDuringASequenceEndsItAfterTheByteInProgress()
    {
        for (Button stop : {&Form1::Command16, &Form1::Command24}) {
            ConnectedForm1 c;
            c.form.Command23->click();
            c.tick();  // "&" is out
            (c.form.*stop)->click();
            c.port->feed("C8194");
            c.tick();  // the byte in progress is shown ...
            QCOMPARE(c.terminal(), std::string("AH= 2002 DH = 43 : C\r\n"));
            QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));  // ... and the reading ends
            c.port->feed("tail");
            c.tick();
            QCOMPARE(c.port->writes, std::vector<std::string>{"&"});
            QCOMPARE(c.terminal(), std::string("AH= 2002 DH = 43 : C\r\ntail"));
            QCOMPARE(c.m().SeqReadActive, std::int16_t(0));
        }
    }

    void adresDatiDuringASequenceAppendsThePendingReplyAsText()
    {
        ConnectedForm1 c;
        c.form.Command23->click();
        c.tick();
        c.form.Command15->click();
        QCOMPARE(c.m().ReceiveMode, std::uint8_t(tq::Terminal));
        c.port->feed("D8195");
        c.tick();
        QCOMPARE(c.terminal(), std::string("D8195"));
        QCOMPARE(c.port->writes, (std::vector<std::string>{"&", "R"}));
    }

    void theDebugButtonsAndGroupsExplainThemselves()
    {
        ConnectedForm1 c;
        const struct {
            QWidget* widget;
            const char* tip;
        } tips[] = {
            {c.form.Label2, "I comandi nel riquadro agiscono come la tatiera  del pannello TQ310"},
            {c.form.Command18, "Svuota dal testo corrente la finestra"},
            {c.form.Command11,
             "Visualizza nella finestra tutte le risposte date dal modulo VDIP1 sollecitate dalla tastiera remota"},
            {c.form.Command19, "Forza una nuova lettura della chiave usb  come da tastiera remota"},
            {c.form.Command13, "Prmette il debug degli ingreaasi di comando"},
            {c.form.Command14, "Simula su schermo la maglia corrente caricata in memoria"},
            {c.form.Label10,
             "I comandi nel riquadro permettono di navigare nella memoria  per trovare eventuali anomalie o guasti"},
            {c.form.Command26, "Impostazione indirizzo inizio lista file (&H1000)"},
            {c.form.Command22, "Impostazione indirizzo dove inizia la sezione cartelle (&H0001)"},
            {c.form.Command15, "Inizio indirizzo dati maglia (&H2000)"},
            {c.form.Command16, "Lettura passo singolo incrementale"},
            {c.form.Command23, "Inizio lettura sequenziale"},
            {c.form.Command24, "Stop lettura sequenziale"},
        };
        for (const auto& t : tips)
            QCOMPARE(t.widget->toolTip(), QString::fromLatin1(t.tip));
        QCOMPARE(c.form.CIngressi->text(), QStringLiteral("Controllo ingressi TQ310"));
    }
};

QTEST_MAIN(DiagnosticsKeysTest)
#include "diagnostics_keys_test.moc"
