// The main window's start-up, its states, the port chooser and the connection menu, the
// programmer window and closing, on the offscreen platform with scripted ports; and the
// in-process simulated controller, which keeps its EEPROM across a reconnection.
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/Form1.h"
#include "editor/dialog.h"
#include "form1_rig.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "params/crc.h"
#include "support/connected_form1.h"
#include "support/scripted_port.h"
#include "ui/message_box.h"

using tq::Form1;

namespace {

// A main window started as the program starts it, with the chooser's list put in by the test
// (each entry showing a device path under its name): a port opened from it is a scripted port.
struct Rig {
    explicit Rig(const std::vector<std::string>& names, const QString& discoveryError = {})
    {
        for (const std::string& name : names)
            entries.push_back(tq::PortEntry{name, QStringLiteral("/dev/ttyUSB%1  adattatore").arg(entries.size()),
                                            {}, tq::portNumberFromEntry(name).value_or(0)});
        form.setPortBackends([this, discoveryError] { return tq::PortDiscovery{entries, discoveryError}; },
                             [this](const tq::PortEntry*) {
                                 auto p = std::make_unique<tq::test::ScriptedPort>();
                                 p->failOpen = failOpen;
                                 port = p.get();
                                 return p;
                             });
        form.Form_Load();
    }

    // A click on the chooser's entry, as the user gives it.
    void choose(int row)
    {
        QListWidget* list = form.chooser()->List1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    tq::ui::MessageCapture messages;
    std::vector<tq::PortEntry> entries;
    bool failOpen = false;
    tq::test::ScriptedPort* port = nullptr;  // the last one opened
    Form1 form;
};

// The state table: the 17 buttons and two menus follow the connection, "File", "Connessione"
// and ParUsb do not.
void checkState(Form1& f, bool connected)
{
    QVERIFY(f.isVisible() && f.isEnabled() && !f.chooser()->isVisible());
    QCOMPARE(f.isConnected(), connected);
    QCOMPARE(control<QTimer>(f, "Timer1")->isActive(), connected);
    for (const char* b : {"Command17", "Command3", "Command4", "Command5", "Command6", "Command11", "Command19",
                          "Command13", "Command14", "Command16", "Command18", "Command23", "Command24", "Command1",
                          "Command26", "Command22", "Command15"})
        QVERIFY2(control<QPushButton>(f, b)->isEnabled() == connected, b);
    for (const char* a : {"tq310Action", "accessoriAction", "disconnetti"})
        QVERIFY2(control<QAction>(f, a)->isEnabled() == connected, a);
    QVERIFY(control<QAction>(f, "configAction")->isEnabled() && control<QAction>(f, "connessioneAction")->isEnabled());
    QCOMPARE(control<QAction>(f, "connetti")->isEnabled(), !connected);
    if (!connected)
        QCOMPARE(control<QLabel>(f, "Label8")->text(), QStringLiteral(" Nessuna connessione "));
}

}  // namespace

class Form1LinkTest : public QObject {
    Q_OBJECT
private slots:
    void startUpConnectDisconnectWorkWithoutAPortAndReconnect()
    {
        Rig rig({"Porta seriale (COM12)", "USB Serial Port (COM3)"});
        Form1& f = rig.form;
        QVERIFY(!f.isVisible() && !f.isEnabled() && !control<QTimer>(f, "Timer1")->isActive()
                && !control<QAction>(f, "ParUsb")->isEnabled() && f.chooser()->isVisible());
        for (const char* name : {"Command3", "Command4", "Command6"}) {  // picture buttons
            const QPushButton* b = control<QPushButton>(f, name);
            QVERIFY(b->text().isEmpty() && !b->icon().isNull() && !b->accessibleName().isEmpty());
        }

        rig.choose(0);
        checkState(f, true);
        // Only the first line counts: "/dev/ttyUSB0" below it would make it 120.
        QCOMPARE(control<QLabel>(f, "Label8")->text(), QStringLiteral("Connesso a Com.12 ,9600,N,8,1"));
        QCOMPARE(rig.port->portNumber, 12);
        use(f, "Command13");  // polling the inputs

        control<QAction>(f, "ParUsb")->setEnabled(true);  // as after a read-back
        f.module().CurrentFileName = "macchina.ini";
        use(f, "disconnetti");
        checkState(f, false);
        QVERIFY(control<QAction>(f, "ParUsb")->isEnabled());
        QCOMPARE(f.module().CurrentFileName, std::string("Dati di default"));
        use(f, "connetti");
        QVERIFY(!f.isEnabled() && f.chooser()->isVisible());
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        checkState(f, false);

        // The list is the one built at start-up, and input polling resumes on the new port.
        rig.entries.clear();
        use(f, "connetti");
        QCOMPARE(f.chooser()->List1->count(), 2);
        rig.choose(1);
        QCOMPARE(rig.port->portNumber, 3);
        f.Timer1_Timer();  // a reply tick: nothing came
        f.Timer1_Timer();
        QCOMPARE(rig.port->sent(), std::string("K"));
        QCOMPARE(control<QTimer>(f, "Timer1")->interval(), 60);
        QVERIFY(rig.messages.messages.empty());

        control<QTimer>(f, "Timer1")->stop();
        f.terminal().append("fine");  // any handler's change shows once the loop goes idle
        emit QAbstractEventDispatcher::instance()->aboutToBlock();
        QVERIFY(control<QPlainTextEdit>(f, "Text1")->toPlainText().endsWith("fine"));
    }

    void refusedEntriesAndAPortThatDoesNotOpenLeaveTheToolUnconnected()
    {
        Rig rig({"Porta seriale (COM7)", "Senza numero", "Adattatore 1234"});
        Form1& f = rig.form;
        rig.choose(2);  // no port number fits: the chooser says so and stays
        QVERIFY(f.chooser()->isVisible() && !f.isVisible());
        QCOMPARE(rig.messages.messages.size(), std::size_t(1));
        QCOMPARE(rig.messages.messages[0].text, std::string(" Numero di porta non valido (oltre 255): Adattatore 1234 "));
        rig.choose(1);
        checkState(f, false);
        QCOMPARE(rig.port, nullptr);  // nothing opened without a number

        rig.failOpen = true;
        use(f, "connetti");
        rig.choose(0);
        checkState(f, false);
        QCOMPARE(f.module().PortNumber, 0);
        QCOMPARE(rig.messages.messages.size(), std::size_t(2));
        QCOMPARE(rig.messages.messages[1].text, std::string(" Impossibile aprire la porta Com.7 : scripted failure "));
    }

    void aFailedDiscoveryLeavesTheListEmptyAndSaysSo()
    {
        Rig rig({"Porta seriale (COM1)"}, QStringLiteral("elenco non leggibile"));
        QCOMPARE(rig.form.chooser()->List1->count(), 0);
        QCOMPARE(rig.messages.messages.size(), std::size_t(1));
        QCOMPARE(rig.messages.messages[0].text, std::string("Ricerca delle porte seriali non riuscita: elenco non leggibile"
                                                            "\r\nSi pu\xF2 lavorare senza nessuna connessione."));
    }

    // Written to or committed on the simulated controller, nothing reaches a machine: the window
    // says so while that is the line, beside the connection label and after the caption, whose
    // own texts stay as they are.
    void theSimulatedControllerIsMarkedAsSuch()
    {
        tq::ui::MessageCapture messages;
        tq::test::Form1Rig rig({{"Porta seriale (COM1)"}, {"Controllore simulato (COM2)", tq::PortEntry::Kind::Simulated}});
        Form1& f = rig.form;
        const QString caption = QStringLiteral("Test per TQ310  Vers. 12.13B  By Kelvora");
        const auto state = [&f] {
            const QLabel* LabelSim = control<QLabel>(f, "LabelSim");
            return control<QLabel>(f, "Label8")->text() + QLatin1Char('|') + f.windowTitle() + QLatin1Char('|') +
                   (LabelSim->isVisibleTo(&f) ? LabelSim->text() : QString());
        };
        // The entry chosen, and how the window reads after it.
        const struct { int entry; QString state; } steps[] = {
            {1, "Connesso a Com.2 ,9600,N,8,1|" + caption + "  - CONTROLLORE SIMULATO| SIMULATORE "},
            {-1, " Nessuna connessione |" + caption + "|"},  // Disconnetti
            {0, "Connesso a Com.1 ,9600,N,8,1|" + caption + "|"},
            {-1, " Nessuna connessione |" + caption + "|"},
            {1, "Connesso a Com.2 ,9600,N,8,1|" + caption + "  - CONTROLLORE SIMULATO| SIMULATORE "},
        };
        for (const auto& step : steps) {
            if (step.entry < 0) {
                use(f, "disconnetti");
            } else {
                if (!f.chooser()->isVisible())
                    use(f, "connetti");
                rig.connect(step.entry);
            }
            QCOMPARE(state(), step.state);
        }
        emit rig.port->deviceLost(QStringLiteral("cavo staccato"));  // the line goes away
        QTRY_COMPARE(state(), " Nessuna connessione |" + caption + "|");
    }

    void theProgrammerWindowAndClosingFromEitherWindow()
    {
        for (bool fromChooser : {false, true}) {
            Rig rig({});
            Form1& f = rig.form;
            QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
            use(f, "prog");
            QVERIFY(f.programmerWindow()->isVisible() && !f.isEnabled());
            f.programmerWindow()->close();

            // Closing either window closes the other windows, the chooser last.
            use(f, "TetUscite");
            QWidget& form2 = *f.form2();
            form2.close();
            control<QListWidget>(f, "List1")->setCurrentRow(0);  // opens the edit dialog
            QWidget& dialog = *f.editDialog();
            for (QWidget* other : {&form2, &dialog, static_cast<QWidget*>(f.chooser())})
                other->show();
            fromChooser ? f.chooser()->close() : f.close();
            QVERIFY(!f.isVisible() && !form2.isVisible() && !dialog.isVisible() && !f.chooser()->isVisible());
        }
    }

    // The in-process simulated controller is a machine on the bench: what was committed to its
    // EEPROM is still there after "Disconnetti" and "Connetti".
    void simulatedControllerKeepsItsEepromAcrossAReconnection()
    {
        QTemporaryDir aliases;
        qputenv("TQ310_PORT_ALIASES", aliases.path().toLocal8Bit());
        Form1 form;
        form.Form_Load();
        QListWidget* list = form.chooser()->List1;
        const auto chooseSimulator = [&] {
            QListWidgetItem* item = list->item(list->count() - 1);
            QVERIFY(item->text().startsWith(QStringLiteral("Controllore simulato")));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
            QVERIFY(form.port());
            control<QTimer>(form, "Timer1")->stop();  // the test takes the answers itself, before a tick can
        };
        chooseSimulator();

        tq::ParamRecord record{};
        record[0] = 1;
        record[3] = 18;
        tq::Crcgen(record);
        std::string frame = "L" + std::string(record.begin(), record.begin() + 56) + std::string(120, ' ');
        form.port()->write(frame);
        form.port()->write("W");
        form.port()->write("Vorela\r");

        use(form, "disconnetti");
        QVERIFY(!form.port());
        use(form, "connetti");
        chooseSimulator();

        form.port()->write("z");
        form.port()->write("H");
        QTRY_VERIFY_WITH_TIMEOUT(form.port()->bytesWaiting() >= 56, 3000);
        const std::string answer = form.port()->takeAll();
        QCOMPARE(answer.substr(0, 56), std::string(record.begin(), record.begin() + 56));
    }

    // On a line that announces its bytes Timer1 sleeps after a tick with nothing to do in
    // terminal mode. Bytes coming in, and every control that gives the engine a mode of its own,
    // wake it (the tick then comes on Timer1's grid: tests/link/receive_clock_test.cpp); controls
    // that only send or clear leave it asleep, for the answer will wake it.
    void theReceiveTimerSleepsAtRestAndWakesForWork()
    {
        using Use = std::function<void(tq::test::ConnectedForm1&)>;
        const auto item = [](const char* name) { return Use([name](tq::test::ConnectedForm1& c) { use(c.form, name); }); };
        const Use none = [](tq::test::ConnectedForm1&) {};
        // The output test window open (the engine in terminal mode), one board of outputs.
        const Use outputTestOpen = [](tq::test::ConnectedForm1& c) {
            c.m().FileParams[3] = 1;
            c.form.ListInit();
            use(c.form, "TetUscite");
        };
        const struct { const char* what; Use prepare; Use use; bool wakes; } cases[] = {
            {"bytes from the controller", none, [](tq::test::ConnectedForm1& c) { c.port->feed("Pronto"); }, true},
            {"daltq310", none, item("daltq310"), true},
            {"ChipBuffer", none, item("ChipBuffer"), true},
            {"VMenu", none, item("VMenu"), true},
            {"LPFU", none, item("LPFU"), true},
            {"CIngressi", none, item("CIngressi"), true},
            {"Command13", none, item("Command13"), true},
            {"Command14", none, item("Command14"), true},
            {"Command16", none, item("Command16"), true},
            {"Command23", none, item("Command23"), true},
            {"CONTEGGIO",
             [](tq::test::ConnectedForm1& c) {
                 use(c.form, "Command14");  // "Produci" opens the simulation window
                 c.form.inpOut()->close();
                 use(c.form, "Command17");  // and a key ends the simulation
             },
             [](tq::test::ConnectedForm1& c) { c.form.inpOut()->Command1->click(); }, true},
            {"an output ticked", outputTestOpen, [](tq::test::ConnectedForm1& c) { c.form.form2()->Check1[0]->click(); },
             true},
            {"Command17", none, item("Command17"), false},
            {"Command5", none, item("Command5"), false},
            {"Command18", none, item("Command18"), false},
            {"Command11", none, item("Command11"), false},
            {"Command19", none, item("Command19"), false},
            {"Command26", none, item("Command26"), false},
            {"Command24", none, item("Command24"), false},
            {"RipIni", none, item("RipIni"), false},
        };
        for (const auto& k : cases) {
            tq::test::ConnectedForm1 c;
            c.port->announces = true;
            k.prepare(c);
            tq::ReceiveClock& clock = c.form.receiveClock();
            clock.start();
            clock.timeout();  // Timer1 fires: nothing waits, nothing to do
            QVERIFY2(clock.asleep() && !control<QTimer>(c.form, "Timer1")->isActive() && !clock.nextTick(), k.what);
            k.use(c);
            QVERIFY2(clock.asleep() == !k.wakes && bool(clock.nextTick()) == k.wakes, k.what);
            clock.stop();
        }
        // A line that does not announce its bytes is asked at every tick.
        tq::test::ConnectedForm1 c;
        c.form.receiveClock().start();
        c.form.receiveClock().timeout();
        QVERIFY(!c.form.receiveClock().asleep() && control<QTimer>(c.form, "Timer1")->isActive());
        c.form.receiveClock().stop();
    }
};

QTEST_MAIN(Form1LinkTest)
#include "form1_link_test.moc"

