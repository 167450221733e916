// The main window's start-up, its states, the connection menu, the programmer window and the
// receive timer, on the offscreen platform with scripted ports.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/form1_link_rig.h"

using tq::Form1;
using tq::test::Form1Rig;

namespace {

// The rows of the state table, for a window that is connected or not.
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
    QCOMPARE(f.module().CurrentFileName, std::string("Dati di default"));
    QCOMPARE(f.List1->count(), 66);
    QCOMPARE(f.Label8->text(), connected ? QStringLiteral("Connesso a Com.%1 ,9600,N,8,1").arg(f.module().PortNumber)
                                         : QStringLiteral(" Nessuna connessione "));
}

}  // namespace

class Form1LinkTest : public QObject {
    Q_OBJECT
private slots:
    void startUpThenConnectDisconnectAndWorkWithoutAPort()
    {
        Form1Rig rig({"Porta seriale (COM12)"});
        Form1& f = rig.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Test per TQ310  Vers. 12.13B  By Kelvora"));
        QVERIFY(!f.isVisible() && !f.isEnabled() && !f.Timer1->isActive() && !f.ParUsb->isEnabled());
        QVERIFY(f.chooser()->isVisible());
        QCOMPARE(f.module().NoAnswerText,
                 std::string(" La macchina non risponde !!\r\n\r\n Controllare che non sia \r\n in produzione"));

        rig.choose(0);
        QVERIFY(!f.chooser()->isVisible());
        checkState(f, true);
        QCOMPARE(f.Label8->text(), QStringLiteral("Connesso a Com.12 ,9600,N,8,1"));
        QCOMPARE(rig.port->portNumber, 12);
        QCOMPARE(rig.opened.back(), &f.chooser()->entries()[0]);
        QVERIFY(!f.ParUsb->isEnabled());

        f.module().CurrentFileName = "macchina.ini";
        f.disconnetti->trigger();
        checkState(f, false);
        QVERIFY(!f.port());
        f.connetti->trigger();
        QVERIFY(!f.isEnabled() && f.chooser()->isVisible());
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        checkState(f, false);
        QVERIFY(rig.messages.messages.empty());
    }

    void digitRuleOfTheChosenEntry()
    {
        const struct { const char* entry; int number; } cases[] = {
            {"USB Serial Port (COM3)", 3}, {"Adattatore 2 (COM5)", 25}, {"Senza numero", 0}};
        for (const auto& c : cases) {
            Form1Rig rig({c.entry});
            rig.choose(0);
            QCOMPARE(rig.form.module().PortNumber, c.number);
            checkState(rig.form, c.number != 0);
            QCOMPARE(rig.port != nullptr, c.number != 0);  // nothing opened without a number
        }
    }

    void theListStaysAndInputPollingResumesAfterAReconnect()
    {
        Form1Rig rig({"USB Serial Port (COM3)", "Porta seriale (COM4)"});
        Form1& f = rig.form;
        auto texts = [&] {
            QStringList t;
            for (int i = 0; i < f.chooser()->List1->count(); ++i)
                t << f.chooser()->List1->item(i)->text();
            return t;
        };
        const QStringList before = texts();
        QCOMPARE(before.first(), QStringLiteral("USB Serial Port (COM3)\n/dev/ttyUSB0  adattatore"));
        rig.choose(1);
        tq::startInputPolling(f.link());
        f.Timer1_Timer();  // reply tick, nothing came
        f.Timer1_Timer();  // request tick
        QCOMPARE(rig.port->sent(), std::string("K"));

        f.disconnetti->trigger();
        rig.entries.clear();  // a new scan would find nothing
        f.connetti->trigger();
        QCOMPARE(texts(), before);
        QCOMPARE(rig.discoveries, 1);
        rig.choose(0);
        QCOMPARE(rig.port->portNumber, 3);
        QVERIFY(f.Timer1->isActive());
        QCOMPARE(f.Timer1->interval(), 60);
        rig.port->feed("\x05");
        f.Timer1_Timer();
        QVERIFY(f.Text1->toPlainText().startsWith(" Stato ingressi :\n\nMor.12(conteggio)          = [ON ]"));
        f.Timer1_Timer();
        QCOMPARE(rig.port->sent(), std::string("K"));
    }

    void aPortThatDoesNotOpenAndALostDeviceLeaveTheToolUnconnected()
    {
        Form1Rig rig({"Porta seriale (COM7)", "Porta seriale (COM2)"});
        Form1& f = rig.form;
        rig.failOpen = true;
        rig.choose(0);
        checkState(f, false);
        QVERIFY(!f.port());
        QCOMPARE(rig.messages.messages.size(), std::size_t(1));
        QCOMPARE(rig.messages.messages[0].text, std::string(" Impossibile aprire la porta Com.7 : scripted failure "));
        QCOMPARE(rig.messages.messages[0].title, std::string("ERRORE"));
        QCOMPARE(rig.messages.messages[0].icon, tq::ui::MessageIcon::Critical);

        rig.failOpen = false;
        f.connetti->trigger();
        rig.choose(1);
        f.module().CurrentFileName = "macchina.ini";
        f.module().FileParams[0] = 1;
        f.ListInit();
        const QString line0 = f.List1->item(0)->text();
        f.terminal().set("in corso");
        emit rig.port->deviceLost(QStringLiteral("il dispositivo è stato scollegato"));
        emit rig.port->deviceLost(QStringLiteral("il dispositivo è stato scollegato"));
        QTRY_VERIFY(!f.isConnected());
        QCoreApplication::processEvents();
        QCOMPARE(rig.messages.messages.size(), std::size_t(2));
        QCOMPARE(rig.messages.messages[1].text,
                 std::string(" Connessione persa con la porta Com.2 : il dispositivo \xE8 stato scollegato "));
        QVERIFY(!f.Timer1->isActive() && !f.Command17->isEnabled() && !f.tq310->menuAction()->isEnabled());
        QVERIFY(f.connetti->isEnabled() && !f.disconnetti->isEnabled());
        QCOMPARE(f.Label8->text(), QStringLiteral(" Nessuna connessione "));
        QCOMPARE(f.module().CurrentFileName, std::string("macchina.ini"));
        QCOMPARE(f.List1->item(0)->text(), line0);
        QCOMPARE(f.Text1->toPlainText(), QStringLiteral("in corso"));
    }

    void setMainControlsEnabledTouchesItsSetInOrder()
    {
        Form1Rig rig({"Porta seriale (COM1)"});
        Form1& f = rig.form;
        rig.choose(0);
        QStringList order;
        for (QAction* a : {f.accessori->menuAction(), f.tq310->menuAction(), f.config->menuAction(),
                           f.connessione->menuAction(), f.ParUsb})
            connect(a, &QAction::changed, this, [&order, a] { order << a->objectName(); });
        struct Watch : QObject {
            QStringList* order;
            bool eventFilter(QObject* o, QEvent* e) override
            {
                if (e->type() == QEvent::EnabledChange)
                    *order << o->objectName();
                return false;
            }
        } watch;
        watch.order = &order;
        for (QPushButton* b : f.findChildren<QPushButton*>())
            b->installEventFilter(&watch);
        f.SetMainControlsEnabled(false);
        QCOMPARE(order, QStringList({"accessoriAction", "tq310Action", "Command17", "Command3", "Command4", "Command5",
                                     "Command6", "Command11", "Command19", "Command13", "Command14", "Command16",
                                     "Command18", "Command23", "Command24", "Command1", "Command26", "Command22",
                                     "Command15"}));
        for (QPushButton* b : f.findChildren<QPushButton*>())
            b->removeEventFilter(&watch);
    }

    void ticksAndHandlersShowInTheTerminal()
    {
        Form1Rig rig({"Porta seriale (COM1)"});
        Form1& f = rig.form;
        rig.choose(0);
        rig.port->feed("MENU\r\nSTOP \xE8");
        f.Timer1_Timer();
        QCOMPARE(f.Text1->toPlainText(), QString::fromUtf8("MENU\nSTOP è"));
        f.terminal().append("\r\nfine");  // any handler's change shows once the loop goes idle
        QTRY_COMPARE(f.Text1->toPlainText(), QString::fromUtf8("MENU\nSTOP è\nfine"));
    }

    void picturesAndTheProgrammerWindow()
    {
        Form1Rig rig({});
        Form1& f = rig.form;
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        const struct { QPushButton* b; const char* name; } pictures[] = {
            {f.Command3, "Tasto freccia su"}, {f.Command4, "Tasto freccia gi\xF9"}, {f.Command6, "Tasto luce"}};
        for (const auto& p : pictures) {
            QVERIFY(p.b->text().isEmpty() && !p.b->icon().pixmap(24, 24).isNull());
            QCOMPARE(p.b->accessibleName(), QString::fromLatin1(p.name));
        }
        f.prog->trigger();
        tq::prog1* w = f.programmerWindow();
        QVERIFY(w->isVisible() && !f.isEnabled());
        QCOMPARE(w->windowTitle(), QStringLiteral("Programmatore QX-232-TTL"));
        QCOMPARE(w->Label1->text(), QStringLiteral("Programmatore necessario per connessione interattiva con TQ310"));
        const QImage picture = w->Picture1->pixmap().toImage();
        QVERIFY(picture.pixelColor(20, 103) != QColor(Qt::white));  // the USB plug is drawn
        w->close();
        QVERIFY(f.isEnabled());
        f.prog->trigger();  // the same window again
        QCOMPARE(f.programmerWindow(), w);
        QVERIFY(!f.isEnabled());
        w->close();
    }

    void closingTheMainWindowUnloadsTheOthersInOrder()
    {
        Form1Rig rig({});
        QTest::mouseClick(rig.form.chooser()->Command2, Qt::LeftButton);
        struct Watch : QObject {
            QStringList closed;
            bool eventFilter(QObject* o, QEvent* e) override
            {
                if (e->type() == QEvent::Close)
                    closed << o->objectName();
                return false;
            }
        } watch;
        QWidget form2, dialog;
        form2.setObjectName(QStringLiteral("Form2"));
        dialog.setObjectName(QStringLiteral("Dialog"));
        for (QWidget* w : {&form2, &dialog, static_cast<QWidget*>(rig.form.chooser())}) {
            w->show();
            w->installEventFilter(&watch);
        }
        rig.form.close();
        QCOMPARE(watch.closed, QStringList({"Dialog", "Form2", "cerca"}));
    }
};

QTEST_MAIN(Form1LinkTest)
#include "form1_link_test.moc"
