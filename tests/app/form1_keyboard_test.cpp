// The main window and the port chooser without a mouse. The faults it guards: the keyboard focus
// reaching the parameter list (by Tab, after a list rebuild, or when the main window comes back
// after a secondary window) opened the edit dialog for parameter 1 by itself; Enter in the
// chooser never connected the highlighted entry; the secondary windows belonged to no window, so
// that a window manager could leave them behind the disabled main window; on Linux no key but
// Alt reached the menus. Focus is the window
// system's business, so this program also runs under a real X server (ctest label x11).
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

#include "app/prog1.h"
#include "editor/dialog.h"
#include "files/trova_usb.h"
#include "form1_rig.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "ui/message_box.h"

using tq::Form1;
using tq::test::Form1Rig;

namespace {

bool dialogOpen(const Form1& f)
{
    return f.editDialog() && f.editDialog()->isVisible();
}

// The key goes where the keyboard sends it: to the widget with the focus in the active window.
void press(Qt::Key key)
{
    QWidget* target = QApplication::focusWidget();
    QVERIFY2(target, "no widget has the focus");
    QTest::keyClick(target, key);
}

// The window has the keyboard. QTest::qWaitForWindowActive would not tell: Qt counts an owned
// window as active while its owner is.
bool becomesActive(QWidget* window)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// What the chooser led to: the port connected, "senza connessione", or still choosing.
QString outcome(Form1Rig& rig)
{
    if (rig.form.chooser()->isVisible())
        return QStringLiteral("choosing");
    if (!rig.form.isConnected())
        return QStringLiteral("senza connessione");
    return QStringLiteral("Com.%1, opened %2 time(s)").arg(rig.port->portNumber).arg(rig.opened);
}

}  // namespace

class Form1KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void tabReachesEveryControlAndTheListWithoutChoosingALine()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(becomesActive(&f));
        // Once round the Tab chain.
        control<QPushButton>(f, "Command17")->setFocus(Qt::TabFocusReason);
        QSet<QWidget*> reached;
        for (int i = 0; i < 40 && !reached.contains(control<QPushButton>(f, "Command17")); ++i) {
            press(Qt::Key_Tab);
            reached << QApplication::focusWidget();
            QVERIFY2(!dialogOpen(f), qPrintable(QApplication::focusWidget()->objectName()));
        }
        QListWidget* List1 = control<QListWidget>(f, "List1");
        QVERIFY(reached.contains(control<QPlainTextEdit>(f, "Text1")) && reached.contains(List1));
        // Qt made the first line current on the way in; that is the focus, not a choice.
        QCOMPARE(List1->currentRow(), 0);
        QCOMPARE(control<tq::ui::ChoiceList>(f, "List1")->chosenRow(), -1);
        QVERIFY(!f.editDialog());
    }

    void theMenusAreReachedWithAltAndF10()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(becomesActive(&f));
        control<QPushButton>(f, "Command18")->setFocus(Qt::TabFocusReason);
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt);
        QCOMPARE(f.menuBar()->activeAction(), control<QMenu>(f, "config")->menuAction());
        QTest::keyClick(f.menuBar(), Qt::Key_Right);
        QCOMPARE(f.menuBar()->activeAction(), control<QMenu>(f, "tq310")->menuAction());
        QTest::keyClick(f.menuBar(), Qt::Key_Down);  // opens "TQ310" on its first item
        QVERIFY(QTest::qWaitFor([&f] { return QApplication::activePopupWidget() == control<QMenu>(f, "tq310"); }));
        QTest::keyClick(control<QMenu>(f, "tq310"), Qt::Key_Down);
        QTest::keyClick(control<QMenu>(f, "tq310"), Qt::Key_Return);
        QCOMPARE(rig.port->sent(), std::string("H"));  // "Trasferisci parametri da  TQ310 al buffer"
        QCOMPARE(f.module().Engine.ChipToBuffer(), std::uint8_t(1));

        // F10 opens "File", as on Windows and GNOME, where Alt may belong to the desktop.
        control<QPushButton>(f, "Command18")->setFocus(Qt::TabFocusReason);
        press(Qt::Key_F10);
        QVERIFY(QTest::qWaitFor([&f] { return QApplication::activePopupWidget() == control<QMenu>(f, "config"); }));
        QTest::keyClick(control<QMenu>(f, "config"), Qt::Key_Escape);
    }

    void theMainWindowComingBackChoosesNothing()
    {
        // How each window is opened (returning it) and closed from the keyboard.
        const struct { const char* name; std::function<QWidget*(Form1&)> open; std::function<void(Form1&)> close; } openings[] = {
            {"Connetti",
             [](Form1& f) -> QWidget* {
                 use(f, "disconnetti");
                 control<QListWidget>(f, "List1")->setFocus(Qt::TabFocusReason);
                 f.ListInit();
                 use(f, "connetti");
                 return f.chooser();
             },
             [](Form1&) {
                 press(Qt::Key_Tab);  // from the list to "Lavore senza nessuna connessione"
                 press(Qt::Key_Space);
             }},
            {"Programmatore TTL", [](Form1& f) -> QWidget* { use(f, "prog"); return f.programmerWindow(); },
             [](Form1&) { press(Qt::Key_Escape); }},
            {"Controllo uscite TQ310", [](Form1& f) -> QWidget* { use(f, "TetUscite"); return f.form2(); },
             [](Form1& f) { QTest::keyClick(f.form2()->Command3, Qt::Key_Space); }},
            {"Parametri da chiave usb",
             [](Form1& f) -> QWidget* {
                 f.usbCompiler().setDriveSource([] { return QStringList{QStringLiteral("/")}; });
                 control<QAction>(f, "ParUsb")->setEnabled(true);
                 use(f, "ParUsb");
                 return &f.usbCompiler();
             },
             [](Form1& f) { QTest::keyClick(f.usbCompiler().Command2, Qt::Key_Space); }},
        };
        for (const auto& o : openings) {
            Form1Rig rig;
            rig.connect(0);
            Form1& f = rig.form;
            QVERIFY(becomesActive(&f));
            // The list has the focus and no current line, as after a rebuild.
            control<QListWidget>(f, "List1")->setFocus(Qt::TabFocusReason);
            f.ListInit();
            QCOMPARE(control<QListWidget>(f, "List1")->currentRow(), -1);
            QWidget* window = o.open(f);
            QVERIFY2(!f.isEnabled(), o.name);
            QVERIFY2(becomesActive(window), o.name);
            o.close(f);
            QVERIFY2(QTest::qWaitFor([&] { return f.isEnabled() && f.isActiveWindow(); }), o.name);
            QCoreApplication::processEvents();
            // Whatever has the focus now, and the list once Tab brings it there.
            for (int i = 0; i < 40 && QApplication::focusWidget() != control<QListWidget>(f, "List1"); ++i)
                press(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), control<QListWidget>(f, "List1"));
            QVERIFY2(!dialogOpen(f) && control<tq::ui::ChoiceList>(f, "List1")->chosenRow() == -1, o.name);
        }
    }

    void aRebuildUnderTheFocusChoosesNothing()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(becomesActive(&f));
        control<QListWidget>(f, "List1")->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 3; ++i) {
            f.ListInit();
            QCoreApplication::processEvents();
        }
        QVERIFY(!f.editDialog());
        QCOMPARE(control<tq::ui::ChoiceList>(f, "List1")->chosenRow(), -1);
    }

    void theKeysChooseTheLineTheyMoveTo()
    {
        // From: the line chosen before, or -1 for the focus alone (which made line 0 current).
        // To: the line whose dialog opens; -2 for "a page further down".
        const struct { const char* name; int from; Qt::Key key; int to; } cases[] = {
            {"Down on a chosen line", 10, Qt::Key_Down, 11},
            {"Up", 10, Qt::Key_Up, 9},
            {"Home", 10, Qt::Key_Home, 0},
            {"End", 10, Qt::Key_End, 65},
            {"Page Down", 10, Qt::Key_PageDown, -2},
            {"Down from the focus", -1, Qt::Key_Down, 1},
            {"Space at the focus", -1, Qt::Key_Space, 0},
            {"Enter at the focus", -1, Qt::Key_Return, 0},
        };
        for (const auto& c : cases) {
            Form1Rig rig;
            rig.connect(0);
            Form1& f = rig.form;
            QVERIFY(becomesActive(&f));
            control<QListWidget>(f, "List1")->setFocus(Qt::TabFocusReason);
            if (c.from >= 0)
                control<QListWidget>(f, "List1")->setCurrentRow(c.from);
            QVERIFY(control<QListWidget>(f, "List1")->currentRow() == std::max(c.from, 0));
            QTest::keyClick(control<QListWidget>(f, "List1"), c.key);
            const int to = c.to == -2 ? control<QListWidget>(f, "List1")->currentRow() : c.to;
            if (c.to == -2)
                QVERIFY2(to > 11, c.name);
            QVERIFY2(dialogOpen(f) && control<tq::ui::ChoiceList>(f, "List1")->chosenRow() == to, c.name);
            QCOMPARE(f.editDialog()->windowTitle(), control<QListWidget>(f, "List1")->item(to)->text());
        }
    }

    void anEditByKeysThenOnToTheNextLine()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(becomesActive(&f));
        f.module().FileParams[3] = 1;  // one board: outputs 0 to 8
        f.ListInit();
        control<QListWidget>(f, "List1")->setFocus(Qt::TabFocusReason);
        control<QListWidget>(f, "List1")->setCurrentRow(9);
        QTest::keyClick(control<QListWidget>(f, "List1"), Qt::Key_Down);
        tq::Dialog* d = f.editDialog();
        QVERIFY(becomesActive(d));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d->Combo1));  // the number, ready for the arrows
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(f.module().FileParams[10], std::uint8_t(1));
        QVERIFY(!d->isVisible() && becomesActive(&f));
        QCOMPARE(QApplication::focusWidget(), control<QListWidget>(f, "List1"));
        press(Qt::Key_Down);
        QVERIFY(becomesActive(d));
        QCOMPARE(d->windowTitle(), control<QListWidget>(f, "List1")->item(11)->text());
        press(Qt::Key_Escape);
        QVERIFY(!d->isVisible() && becomesActive(&f));
        QCOMPARE(QApplication::focusWidget(), control<QListWidget>(f, "List1"));
    }

    // The trace window leaves the main window usable; Escape closes it like its close box.
    void escapeClosesTheLineTraceWindow()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(becomesActive(&f));
        use(f, "RegLinea");
        tq::LineTraceWindow* trace = f.lineTraceWindow();
        QVERIFY(becomesActive(trace));
        QVERIFY(f.isEnabled());
        press(Qt::Key_Escape);
        QVERIFY(!trace->isVisible());
    }

    void enterReopensTheChosenLineAfterCancel()
    {
        Form1Rig rig;
        rig.connect(0);
        Form1& f = rig.form;
        QVERIFY(becomesActive(&f));
        control<QListWidget>(f, "List1")->setCurrentRow(20);
        QTest::keyClick(f.editDialog(), Qt::Key_Escape);
        QVERIFY(!dialogOpen(f));
        QTest::keyClick(control<QListWidget>(f, "List1"), Qt::Key_Return);
        QVERIFY(dialogOpen(f));
        QCOMPARE(f.editDialog()->windowTitle(), control<QListWidget>(f, "List1")->item(20)->text());
    }

    void theChooserConnectsTheEntryEnterIsPressedOn()
    {
        const struct { const char* keys; QString outcome; } cases[] = {
            {"Down Down Return", "Com.7, opened 1 time(s)"},
            {"Return", "Com.5, opened 1 time(s)"},
            {"End Up Enter", "Com.7, opened 1 time(s)"},
            {"Down Down", "choosing"},  // the highlight moves, nothing is opened on the way
            {"Down Space", "choosing"},
            {"Escape", "choosing"},
            {"Tab Space", "senza connessione"},
            {"Tab Return", "senza connessione"},
        };
        const QHash<QString, Qt::Key> keys{{"Down", Qt::Key_Down}, {"Up", Qt::Key_Up},       {"End", Qt::Key_End},
                                          {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}, {"Space", Qt::Key_Space},
                                          {"Escape", Qt::Key_Escape}, {"Tab", Qt::Key_Tab}};
        for (const auto& c : cases) {
            Form1Rig rig({{"Porta seriale (COM5)"}, {"Porta seriale (COM6)"}, {"Porta seriale (COM7)"}, {"Porta seriale (COM8)"}});
            QVERIFY(becomesActive(rig.form.chooser()));
            QCOMPARE(QApplication::focusWidget(), rig.form.chooser()->List1);
            for (const QString& k : QString::fromLatin1(c.keys).split(QLatin1Char(' ')))
                press(keys.value(k));
            QCOMPARE(QString::fromLatin1(c.keys) + QStringLiteral(": ") + outcome(rig),
                     QString::fromLatin1(c.keys) + QStringLiteral(": ") + c.outcome);
        }
    }

    void aDoubleClickConnectsOnce()
    {
        Form1Rig rig({{"Porta seriale (COM5)"}, {"Porta seriale (COM6)"}});
        QListWidget* list = rig.form.chooser()->List1;
        const QPoint at = list->visualItemRect(list->item(1)).center();
        // As the window system delivers it: a click, then a press that makes it double, and a release.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(outcome(rig), QStringLiteral("Com.6, opened 1 time(s)"));
    }

    void secondaryWindowsAndMessageBoxesBelongToTheMainWindow()
    {
        Form1Rig rig;
        Form1& f = rig.form;
        const auto owned = [&f](QWidget* w) {
            return w->isVisible() && w->isEnabled() && w->windowHandle() && w->windowHandle()->transientParent() == f.windowHandle();
        };
        QVERIFY(owned(f.chooser()) && !f.isEnabled() && becomesActive(f.chooser()));

        // Opening the port fails while the chooser is up: the box must be usable.
        rig.failOpen = true;
        bool boxOwned = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            boxOwned = owned(box) && box->button(QMessageBox::Ok)->isEnabled();
            box->done(QMessageBox::Ok);
        });
        rig.connect(0);
        QVERIFY(boxOwned);
        rig.failOpen = false;
        use(f, "connetti");
        rig.connect(0);

        f.usbCompiler().setDriveSource([] { return QStringList{QStringLiteral("/")}; });
        control<QAction>(f, "ParUsb")->setEnabled(true);
        const struct { QAction* item; QPushButton* button; std::function<QWidget*()> window; } openings[] = {
            {control<QAction>(f, "prog"), nullptr, [&f] { return static_cast<QWidget*>(f.programmerWindow()); }},
            {control<QAction>(f, "TetUscite"), nullptr, [&f] { return static_cast<QWidget*>(f.form2()); }},
            {control<QAction>(f, "ParUsb"), nullptr, [&f] { return static_cast<QWidget*>(&f.usbCompiler()); }},
            {nullptr, control<QPushButton>(f, "Command14"), [&f] { return static_cast<QWidget*>(f.inpOut()); }},
        };
        for (int round = 0; round < 2; ++round) {  // the first opening and a later one
            for (const auto& o : openings) {
                o.item ? o.item->trigger() : o.button->click();
                QWidget* w = o.window();
                QVERIFY2(owned(w) && !f.isEnabled() && becomesActive(w), qPrintable(w->objectName()));
                w->close();
                QVERIFY(f.isEnabled());
            }
        }

        // The edit dialog keeps its own rule: above every window, usable while the main one is not.
        control<QListWidget>(f, "List1")->setCurrentRow(5);
        use(f, "prog");
        QVERIFY(f.editDialog()->isVisible() && f.editDialog()->isEnabled() &&
                (f.editDialog()->windowFlags() & Qt::WindowStaysOnTopHint));
    }
};

QTEST_MAIN(Form1KeyboardTest)
#include "form1_keyboard_test.moc"
