// The main window's start-up, its states, the port chooser and the connection menu, the
// programmer window and the receive timer, on the offscreen platform with scripted ports.
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/Form1.h"
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

// The state table: the 17 buttons and two menus follow the connection, "File" and
// "Connessione" do not.
void checkState(Form1& f, bool connected)
{
    QVERIFY(f.isVisible() && f.isEnabled());
    QCOMPARE(f.isConnected(), connected);
    QCOMPARE(f.Timer1->isActive(), connected);
    for (QPushButton* b : {f.Command17, f.Command3, f.Command4, f.Command5, f.Command6, f.Command11, f.Command19,
                           f.Command13, f.Command14, f.Command16, f.Command18, f.Command23, f.Command24, f.Command1,
                           f.Command26, f.Command22, f.Command15})
        QVERIFY2(b->isEnabled() == connected, qPrintable(b->objectName()));
    QCOMPARE(f.tq310->menuAction()->isEnabled(), connected);
    QCOMPARE(f.accessori->menuAction()->isEnabled(), connected);
    QVERIFY(f.config->menuAction()->isEnabled() && f.connessione->menuAction()->isEnabled());
    QCOMPARE(f.connetti->isEnabled(), !connected);
    QCOMPARE(f.disconnetti->isEnabled(), connected);
    QCOMPARE(f.Label8->text(), connected ? QStringLiteral("Connesso a Com.%1 ,9600,N,8,1").arg(f.module().PortNumber)
                                         : QStringLiteral(" Nessuna connessione "));
}

}  // namespace

class Form1LinkTest : public QObject {
    Q_OBJECT
private slots:
    void startUpThenConnectDisconnectAndWorkWithoutAPort()
    {
        Rig rig({"Porta seriale (COM12)"});
        Form1& f = rig.form;
        QVERIFY(!f.isVisible() && !f.isEnabled() && !f.Timer1->isActive() && !f.ParUsb->isEnabled());
        QVERIFY(f.chooser()->isVisible());
        QCOMPARE(f.module().NoAnswerText,
                 std::string(" La macchina non risponde !!\r\n\r\n Controllare che non sia \r\n in produzione"));

        rig.choose(0);
        QVERIFY(!f.chooser()->isVisible());
        checkState(f, true);
        // Only the first line counts: "/dev/ttyUSB0" below it would make it 120.
        QCOMPARE(f.Label8->text(), QStringLiteral("Connesso a Com.12 ,9600,N,8,1"));
        QCOMPARE(rig.port->portNumber, 12);
        QVERIFY(!f.ParUsb->isEnabled());

        f.ParUsb->setEnabled(true);  // as after a read-back
        f.module().CurrentFileName = "macchina.ini";
        f.disconnetti->trigger();
        checkState(f, false);
        QVERIFY(f.ParUsb->isEnabled());
        QCOMPARE(f.module().CurrentFileName, std::string("Dati di default"));
        f.connetti->trigger();
        QVERIFY(!f.isEnabled() && f.chooser()->isVisible());
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        checkState(f, false);
        QVERIFY(rig.messages.messages.empty());
    }

    void theListStaysAndInputPollingResumesAfterAReconnect()
    {
        Rig rig({"USB Serial Port (COM3)", "Porta seriale (COM4)"});
        Form1& f = rig.form;
        rig.choose(1);
        tq::startInputPolling(f.link());
        f.Timer1_Timer();  // reply tick, nothing came
        f.Timer1_Timer();  // request tick
        QCOMPARE(rig.port->sent(), std::string("K"));

        f.disconnetti->trigger();
        rig.entries.clear();  // a new scan would find nothing
        f.connetti->trigger();
        QCOMPARE(f.chooser()->List1->count(), 2);
        rig.choose(0);
        QCOMPARE(rig.port->portNumber, 3);
        rig.port->feed("\x05");
        f.Timer1_Timer();
        QVERIFY(f.Text1->toPlainText().startsWith(" Stato ingressi :\n\nMor.12(conteggio)          = [ON ]"));
        f.Timer1_Timer();
        QCOMPARE(rig.port->sent(), std::string("K"));
        f.Timer1->stop();
        f.terminal().append("fine");  // any handler's change shows once the loop goes idle
        emit QAbstractEventDispatcher::instance()->aboutToBlock();
        QVERIFY(f.Text1->toPlainText().endsWith("fine"));
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
        QCOMPARE(f.module().PortNumber, 0);
        checkState(f, false);
        QCOMPARE(rig.port, nullptr);  // nothing opened without a number

        rig.failOpen = true;
        f.connetti->trigger();
        rig.choose(0);
        checkState(f, false);
        QVERIFY(!f.port());
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
        QTest::mouseClick(rig.form.chooser()->Command2, Qt::LeftButton);
        checkState(rig.form, false);
    }

    void picturesTheProgrammerWindowAndClosing()
    {
        Rig rig({});
        Form1& f = rig.form;
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        for (QPushButton* b : {f.Command3, f.Command4, f.Command6})
            QVERIFY(b->text().isEmpty() && !b->icon().pixmap(24, 24).isNull() && !b->accessibleName().isEmpty());
        f.prog->trigger();
        tq::prog1* w = f.programmerWindow();
        QVERIFY(w->isVisible() && !f.isEnabled());
        QVERIFY(w->Picture1->pixmap().toImage().pixelColor(20, 103) != QColor(Qt::white));  // the USB plug
        w->close();
        QVERIFY(f.isEnabled());

        // Closing the main window closes the other windows, the chooser last.
        QWidget form2, dialog;
        form2.setObjectName(QStringLiteral("Form2"));
        dialog.setObjectName(QStringLiteral("Dialog"));
        for (QWidget* other : {&form2, &dialog, static_cast<QWidget*>(f.chooser())})
            other->show();
        f.close();
        QVERIFY(!form2.isVisible() && !dialog.isVisible() && !f.chooser()->isVisible());
    }

    void closingTheChooserClosesTheTool()
    {
        Rig rig({});
        QTest::mouseClick(rig.form.chooser()->Command2, Qt::LeftButton);
        rig.form.connetti->trigger();
        rig.form.chooser()->close();
        QVERIFY(!rig.form.isVisible());
    }
};

QTEST_MAIN(Form1LinkTest)
#include "form1_link_test.moc"
