// The main window's start-up, its three states, the connection menu, the programmer window and
// the receive timer, on the offscreen platform with scripted ports.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/form1_link_rig.h"
#include "ui/fonts.h"

using tq::Form1;
using tq::test::Form1Rig;

namespace {

QList<QPushButton*> seventeenButtons(Form1& f)
{
    return {f.Command17, f.Command3, f.Command4, f.Command5, f.Command6, f.Command11, f.Command19, f.Command13,
            f.Command14, f.Command16, f.Command18, f.Command23, f.Command24, f.Command1, f.Command26, f.Command22,
            f.Command15};
}

// The rows of the state table, for a window that is connected or not.
void checkState(Form1& f, bool connected)
{
    QVERIFY(f.isVisible());
    QVERIFY(f.isEnabled());
    QCOMPARE(f.isConnected(), connected);
    QCOMPARE(f.Timer1->isActive(), connected);
    for (QPushButton* b : seventeenButtons(f))
        QVERIFY2(b->isEnabled() == connected, qPrintable(b->objectName()));
    QCOMPARE(f.tq310->menuAction()->isEnabled(), connected);
    QCOMPARE(f.accessori->menuAction()->isEnabled(), connected);
    QVERIFY(f.config->menuAction()->isEnabled());
    QVERIFY(f.connessione->menuAction()->isEnabled());
    QCOMPARE(f.connetti->isEnabled(), !connected);
    QCOMPARE(f.disconnetti->isEnabled(), connected);
    QCOMPARE(f.module().CurrentFileName, std::string("Dati di default"));
    QCOMPARE(f.List1->count(), 66);
}

}  // namespace

class Form1LinkTest : public QObject {
    Q_OBJECT
private slots:
    void startUpHidesTheWindowAndOpensTheChooser()
    {
        Form1Rig rig({"Porta seriale (COM1)"});
        Form1& f = rig.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Test per TQ310  Vers. 12.13B  By Kelvora"));
        QVERIFY(!f.isVisible());
        QVERIFY(!f.isEnabled());
        QVERIFY(!f.Timer1->isActive());
        QVERIFY(f.chooser()->isVisible());
        QVERIFY(!f.ParUsb->isEnabled());
        QCOMPARE(f.module().NoAnswerText,
                 std::string(" La macchina non risponde !!\r\n\r\n Controllare che non sia \r\n in produzione"));
        QCOMPARE(f.Timer1->interval(), 100);
        QCOMPARE(f.Timer1->timerType(), Qt::PreciseTimer);
    }

    void choosingAPortConnectsAndWithoutOneDoesNot()
    {
        Form1Rig rig({"Porta seriale (COM12)"});
        Form1& f = rig.form;
        rig.choose(0);
        QVERIFY(!f.chooser()->isVisible());
        checkState(f, true);
        QCOMPARE(f.Label8->text(), QStringLiteral("Connesso a Com.12 ,9600,N,8,1"));
        QCOMPARE(rig.port->portNumber, 12);
        QVERIFY(rig.port->isOpen());
        QCOMPARE(rig.opened.back(), &f.chooser()->entries()[0]);
        QVERIFY(!f.ParUsb->isEnabled());  // untouched by the connection

        f.disconnetti->trigger();
        checkState(f, false);
        QCOMPARE(f.Label8->text(), QStringLiteral(" Nessuna connessione "));
        QCOMPARE(f.module().PortNumber, 0);
        QVERIFY(!f.port());

        f.connetti->trigger();
        QVERIFY(!f.isEnabled());
        QVERIFY(f.chooser()->isVisible());
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        checkState(f, false);
        QVERIFY(rig.messages.messages.empty());
    }

    void digitRuleOfTheChosenEntry()
    {
        const struct { const char* entry; int number; } cases[] = {
            {"USB Serial Port (COM3)", 3},
            {"Adattatore 2 (COM5)", 25},
            {"Senza numero", 0},
        };
        for (const auto& c : cases) {
            Form1Rig rig({c.entry});
            rig.choose(0);
            QCOMPARE(rig.form.module().PortNumber, c.number);
            checkState(rig.form, c.number != 0);
            if (c.number != 0)
                QCOMPARE(rig.form.Label8->text(), QStringLiteral("Connesso a Com.%1 ,9600,N,8,1").arg(c.number));
            else
                QVERIFY(!rig.port);  // nothing was opened
        }
    }

    void theChooserKeepsItsListAcrossDisconnectAndConnect()
    {
        Form1Rig rig({"USB Serial Port (COM3)", "Porta seriale (COM4)"});
        Form1& f = rig.form;
        QStringList before;
        for (int i = 0; i < f.chooser()->List1->count(); ++i)
            before << f.chooser()->List1->item(i)->text();
        QCOMPARE(before.first(), QStringLiteral("USB Serial Port (COM3)\n/dev/ttyUSB0  adattatore"));
        rig.choose(1);
        f.disconnetti->trigger();
        rig.entries.clear();  // a new scan would find nothing
        f.connetti->trigger();
        QStringList after;
        for (int i = 0; i < f.chooser()->List1->count(); ++i)
            after << f.chooser()->List1->item(i)->text();
        QCOMPARE(after, before);
        QCOMPARE(rig.discoveries, 1);
        rig.choose(0);
        QCOMPARE(rig.port->portNumber, 3);
    }

    void inputPollingResumesAfterAReconnect()
    {
        Form1Rig rig({"Porta seriale (COM1)"});
        Form1& f = rig.form;
        rig.choose(0);
        tq::startInputPolling(f.link());
        f.Timer1_Timer();  // reply tick: nothing came
        f.Timer1_Timer();  // request tick
        QCOMPARE(rig.port->sent(), std::string("K"));

        f.disconnetti->trigger();
        f.connetti->trigger();
        rig.choose(0);
        QVERIFY(f.Timer1->isActive());
        QCOMPARE(f.Timer1->interval(), 60);
        QCOMPARE(f.module().ReceiveMode, tq::InputPoll);
        rig.port->feed("\x05");
        f.Timer1_Timer();
        QVERIFY(f.Text1->toPlainText().startsWith(QStringLiteral(" Stato ingressi :\n\nMor.12(conteggio)          = [ON ]")));
        f.Timer1_Timer();
        QCOMPARE(rig.port->sent(), std::string("K"));
    }

    void aPortThatDoesNotOpenLeavesTheToolUnconnected()
    {
        Form1Rig rig({"Porta seriale (COM7)"});
        rig.failOpen = true;
        rig.choose(0);
        checkState(rig.form, false);
        QVERIFY(!rig.form.port());
        QCOMPARE(rig.form.module().PortNumber, 0);
        QCOMPARE(rig.form.Label8->text(), QStringLiteral(" Nessuna connessione "));
        QCOMPARE(rig.messages.messages.size(), std::size_t(1));
        const auto& m = rig.messages.messages.front();
        QCOMPARE(m.title, std::string("ERRORE"));
        QCOMPARE(m.icon, tq::ui::MessageIcon::Critical);
        QCOMPARE(m.text, std::string(" Impossibile aprire la porta Com.7 : scripted failure "));
    }

    void aLostDeviceGivesOneMessageAndKeepsTheWork()
    {
        Form1Rig rig({"Porta seriale (COM2)"});
        Form1& f = rig.form;
        rig.choose(0);
        f.module().CurrentFileName = "macchina.ini";
        f.module().FileParams[0] = 1;
        f.ListInit();
        const QString line0 = f.List1->item(0)->text();
        f.terminal().set("in corso");

        emit rig.port->deviceLost(QStringLiteral("il dispositivo è stato scollegato"));
        emit rig.port->deviceLost(QStringLiteral("il dispositivo è stato scollegato"));
        QTRY_VERIFY(!f.isConnected());
        QCoreApplication::processEvents();
        QCOMPARE(rig.messages.messages.size(), std::size_t(1));
        QCOMPARE(rig.messages.messages[0].text,
                 std::string(" Connessione persa con la porta Com.2 : il dispositivo \xE8 stato scollegato "));
        QCOMPARE(rig.messages.messages[0].title, std::string("ERRORE"));
        QVERIFY(!f.Timer1->isActive());
        QVERIFY(!f.Command17->isEnabled());
        QVERIFY(f.connetti->isEnabled());
        QVERIFY(!f.disconnetti->isEnabled());
        QCOMPARE(f.Label8->text(), QStringLiteral(" Nessuna connessione "));
        QCOMPARE(f.module().CurrentFileName, std::string("macchina.ini"));
        QCOMPARE(f.module().FileParams[0], 1);
        QCOMPARE(f.List1->item(0)->text(), line0);
        QCOMPARE(f.Text1->toPlainText(), QStringLiteral("in corso"));
    }

    void setMainControlsEnabledTouchesItsSetInOrder()
    {
        Form1Rig rig({"Porta seriale (COM1)"});
        Form1& f = rig.form;
        rig.choose(0);
        QStringList order;
        auto watchAction = [&](QAction* a, const QString& name) {
            connect(a, &QAction::changed, this, [&order, name] { order << name; });
        };
        watchAction(f.accessori->menuAction(), QStringLiteral("accessori"));
        watchAction(f.tq310->menuAction(), QStringLiteral("tq310"));
        watchAction(f.config->menuAction(), QStringLiteral("config"));
        watchAction(f.connessione->menuAction(), QStringLiteral("connessione"));
        watchAction(f.ParUsb, QStringLiteral("ParUsb"));
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
        QCOMPARE(order, QStringList({"accessori", "tq310", "Command17", "Command3", "Command4", "Command5", "Command6",
                                     "Command11", "Command19", "Command13", "Command14", "Command16", "Command18",
                                     "Command23", "Command24", "Command1", "Command26", "Command22", "Command15"}));
        for (QPushButton* b : f.findChildren<QPushButton*>())
            b->removeEventFilter(&watch);
    }

    void timerTicksFeedTheTerminal()
    {
        Form1Rig rig({"Porta seriale (COM1)"});
        Form1& f = rig.form;
        rig.choose(0);
        rig.port->feed("MENU\r\nSTOP \xE8");
        f.Timer1_Timer();
        QCOMPARE(f.Text1->toPlainText(), QString::fromUtf8("MENU\nSTOP è"));
        f.terminal().append("\r\nfine");  // any handler's change shows once the loop goes idle
        QTRY_COMPARE(f.Text1->toPlainText(), QString::fromUtf8("MENU\nSTOP è\nfine"));
        QVERIFY(tq::ui::isFixedPitch(f.Text1->font()));
    }

    void pictureButtonsAndTheProgrammerWindow()
    {
        Form1Rig rig({});
        Form1& f = rig.form;
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        const struct { QPushButton* b; const char* name; } pictures[] = {
            {f.Command3, "Tasto freccia su"}, {f.Command4, "Tasto freccia gi\xF9"}, {f.Command6, "Tasto luce"}};
        for (const auto& p : pictures) {
            QVERIFY(p.b->text().isEmpty());
            QVERIFY(!p.b->icon().pixmap(24, 24).isNull());
            QCOMPARE(p.b->accessibleName(), QString::fromLatin1(p.name));
        }

        f.prog->trigger();
        tq::prog1* w = f.programmerWindow();
        QVERIFY(w->isVisible());
        QVERIFY(!f.isEnabled());
        QCOMPARE(w->windowTitle(), QStringLiteral("Programmatore QX-232-TTL"));
        QCOMPARE(w->Label1->text(), QStringLiteral("Programmatore necessario per connessione interattiva con TQ310"));
        QVERIFY(!w->Picture1->pixmap().isNull());
        const QImage image = w->Picture1->pixmap().toImage();
        int drawn = 0;  // the picture is drawn, not left blank
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                drawn += image.pixelColor(x, y) != QColor(Qt::white);
        QVERIFY(drawn > image.width() * image.height() / 16 / 10);
        w->close();
        QVERIFY(f.isEnabled());
        f.prog->trigger();  // kept, shown again
        QCOMPARE(f.programmerWindow(), w);
        QVERIFY(!f.isEnabled());
        w->close();
    }

    void closingTheMainWindowUnloadsTheOthersInOrder()
    {
        Form1Rig rig({});
        Form1& f = rig.form;
        QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
        QStringList closed;
        struct Watch : QObject {
            QStringList* closed;
            bool eventFilter(QObject* o, QEvent* e) override
            {
                if (e->type() == QEvent::Close)
                    *closed << o->objectName();
                return false;
            }
        } watch;
        watch.closed = &closed;
        QWidget form2, dialog;
        form2.setObjectName(QStringLiteral("Form2"));
        dialog.setObjectName(QStringLiteral("Dialog"));
        form2.show();
        dialog.show();
        for (QWidget* w : {static_cast<QWidget*>(&form2), static_cast<QWidget*>(&dialog),
                           static_cast<QWidget*>(f.chooser())})
            w->installEventFilter(&watch);
        f.close();
        QCOMPARE(closed, QStringList({"Dialog", "Form2", "cerca"}));
        QVERIFY(!f.isVisible());
    }
};

QTEST_MAIN(Form1LinkTest)
#include "form1_link_test.moc"
