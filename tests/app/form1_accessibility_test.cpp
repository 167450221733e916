// What a screen reader does to a control is what a click does. The fault it guards: a check box
// of "Test uscite" ticked through its Toggle action showed ticked while the output pattern stayed
// as it was and nothing was sent. Every button, check box, list line and menu item of every window
// is used once by a click and once by its accessible action, each on a fresh main window, and
// what follows must be the same. Every control has a name to be read out, and Tab reaches every
// control of every window and leaves it again (the trace window's table kept Tab to itself,
// stepping from cell to cell, so that its buttons could not be reached from it).
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/prog1.h"
#include "editor/dialog.h"
#include "files/trova_usb.h"
#include "form1_rig.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "ui/message_box.h"

using tq::Form1;

namespace {

// Two system ports in the chooser; the first is the one connected to.
struct Form1Rig : tq::test::Form1Rig {
    Form1Rig() : tq::test::Form1Rig({{"Porta seriale (COM1)"}, {"Porta seriale (COM2)"}}) {}
};

// One window of the tool, opened on a fresh main window the way a user opens it.
struct Window {
    const char* name;
    std::function<QWidget*(Form1Rig&)> open;
};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// Connected, with a working copy that has a file, ParUsb usable, three boards, and no dialog
// that would wait for a person.
void prepare(Form1Rig& rig)
{
    rig.connect(0);
    Form1& f = rig.form;
    f.module().FileParams[3] = 3;
    f.module().CurrentFileName = scratch().filePath(QStringLiteral("lavoro.ini")).toStdString();
    f.ListInit();
    control<QAction>(f, "ParUsb")->setEnabled(true);
    f.askPath = [](bool) { return QString(); };
    f.askBackupPath = [](const QString&) { return QString(); };
    f.usbCompiler().setDriveSource([] { return QStringList{QStringLiteral("/")}; });
}

QWidget* editDialogOn(Form1Rig& rig, int line)
{
    prepare(rig);
    control<QListWidget>(rig.form, "List1")->setCurrentRow(line);
    return rig.form.editDialog();
}

const Window kWindows[] = {
    {"cerca", [](Form1Rig& rig) -> QWidget* { return rig.form.chooser(); }},
    {"Form1", [](Form1Rig& rig) -> QWidget* { prepare(rig); return &rig.form; }},
    {"InpOut", [](Form1Rig& rig) -> QWidget* { prepare(rig); use(rig.form, "Command14"); return rig.form.inpOut(); }},
    {"Form2", [](Form1Rig& rig) -> QWidget* { prepare(rig); use(rig.form, "TetUscite"); return rig.form.form2(); }},
    {"TrovaUsb",
     [](Form1Rig& rig) -> QWidget* {
         prepare(rig);
         QDir(scratch().path()).mkpath(QStringLiteral("chiave/tq310"));
         auto roots = std::make_shared<QStringList>(QStringList{QStringLiteral("/")});
         tq::TrovaUsb& usb = rig.form.usbCompiler();
         usb.setDriveSource([roots] { return *roots; });
         use(rig.form, "ParUsb");
         usb.Timer1_Timer();
         *roots << scratch().filePath(QStringLiteral("chiave"));
         usb.Timer1_Timer();  // the key is found: "Procedi" is usable
         return &usb;
     }},
    {"Dialog (output)", [](Form1Rig& rig) { return editDialogOn(rig, 10); }},
    {"Dialog (boards)", [](Form1Rig& rig) { return editDialogOn(rig, 3); }},
    {"prog1",
     [](Form1Rig& rig) -> QWidget* { prepare(rig); use(rig.form, "prog"); return rig.form.programmerWindow(); }},
    {"LineTraceWindow",
     [](Form1Rig& rig) -> QWidget* {
         prepare(rig);
         use(rig.form, "daltq310");  // a frame in the table, whose cells Tab could step through
         use(rig.form, "RegLinea");
         rig.form.lineTraceWindow()->askPath = [](bool) { return QString(); };
         return rig.form.lineTraceWindow();
     }},
};

QString hex(const std::string& bytes)
{
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex(' '));
}

// A window that waits for a person (a file dialog the rig has no answer for) is closed and noted,
// so that the walk goes on and both uses of a control are compared on it too.
class ModalWatch : public QObject {
public:
    ModalWatch()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen << modal->metaObject()->className() + QStringLiteral(" ") + modal->windowTitle();
                modal->close();
            }
        });
        m_timer.start();
    }
    QStringList seen;

private:
    QTimer m_timer;
};

// Everything a control's use can change, as one text.
QString world(Form1Rig& rig, const tq::ui::MessageCapture& messages, const ModalWatch& modals)
{
    Form1& f = rig.form;
    const tq::Module1& m = f.module();
    QStringList out;
    out << QStringLiteral("sent %1").arg(rig.port ? hex(rig.port->sent()) : QString());
    out << QStringLiteral("mode %1 toggle %2 seq %3 copy %4 port %5 rows %6 timer %7")
               .arg(int(m.Engine.mode())).arg(m.Engine.PhaseToggle()).arg(m.Engine.SeqReadActive())
               .arg(m.Engine.ChipToBuffer()).arg(m.PortNumber)
               .arg(m.RowCounter).arg(control<QTimer>(f, "Timer1")->interval());
    out << QStringLiteral("outputs %1").arg(hex(std::string(m.OutputBytes.begin(), m.OutputBytes.end())));
    out << QStringLiteral("params %1").arg(hex(std::string(m.FileParams.begin(), m.FileParams.end())));
    out << QStringLiteral("terminal %1").arg(QString::fromLatin1(f.terminal().text()));
    out << QStringLiteral("main %1").arg(f.isEnabled() ? "enabled" : "disabled");
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->objectName().isEmpty())
            continue;
        QString line = w->objectName() + QLatin1Char(' ') + w->windowTitle();
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isCheckable() && b->isVisible())
                line += QLatin1Char(' ') + b->objectName() + (b->isChecked() ? QStringLiteral("*") : QString());
        out << line;
    }
    for (const tq::ui::ShownMessage& shown : messages.messages)
        out << QStringLiteral("box %1").arg(shown.shown);
    for (const QString& modal : modals.seen)
        out << QStringLiteral("waited %1").arg(modal);
    out.sort();
    return out.join(QLatin1Char('\n'));
}

// One control of a window: how a click reaches it and which accessible interface stands for it.
struct Control {
    QString name;
    std::function<void(QWidget* window)> click;
    std::function<QAccessibleInterface*(QWidget* window)> accessible;
};

QListWidget* listOf(QWidget* window)
{
    return window->findChild<QListWidget*>(QStringLiteral("List1"));
}

std::vector<Control> controlsOf(QWidget* window)
{
    std::vector<Control> controls;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || !b->isEnabled())
            continue;
        const QString name = b->objectName();
        controls.push_back({name,
                            [name](QWidget* w) {
                                auto* button = w->findChild<QAbstractButton*>(name);
                                QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
                            },
                            [name](QWidget* w) {
                                return QAccessible::queryAccessibleInterface(w->findChild<QAbstractButton*>(name));
                            }});
    }
    if (QListWidget* list = listOf(window)) {
        for (const int row : {0, 1, 10, 54, 55}) {
            if (row >= list->count())
                continue;
            controls.push_back({QStringLiteral("List1 line %1").arg(row),
                                [row](QWidget* w) {
                                    QListWidget* l = listOf(w);
                                    l->scrollToItem(l->item(row));
                                    QTest::mouseClick(l->viewport(), Qt::LeftButton, {},
                                                      l->visualItemRect(l->item(row)).center());
                                },
                                [row](QWidget* w) {
                                    QAccessibleInterface* l = QAccessible::queryAccessibleInterface(listOf(w));
                                    return l && l->tableInterface() ? l->tableInterface()->cellAt(row, 0) : nullptr;
                                }});
        }
    }
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        QMenuBar* bar = main->menuBar();
        const QList<QAction*> onBar = bar->actions();
        for (int i = 0; i < onBar.size(); ++i) {
            QMenu* menu = onBar[i]->menu();
            const QList<QAction*> items = menu ? menu->actions() : QList<QAction*>{onBar[i]};
            for (int k = 0; k < items.size(); ++k) {
                if (!items[k]->isEnabled())
                    continue;
                controls.push_back({items[k]->objectName(),
                                    [i, k](QWidget* w) {
                                        QMenuBar* b = static_cast<QMainWindow*>(w)->menuBar();
                                        QAction* top = b->actions()[i];
                                        if (!top->menu()) {
                                            QTest::mouseClick(b, Qt::LeftButton, {}, b->actionGeometry(top).center());
                                            return;
                                        }
                                        QMenu* m = top->menu();
                                        m->popup(b->mapToGlobal(b->actionGeometry(top).bottomLeft()));
                                        QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(m->actions()[k]).center());
                                    },
                                    [i, k](QWidget* w) {
                                        QMenuBar* b = static_cast<QMainWindow*>(w)->menuBar();
                                        QAction* top = b->actions()[i];
                                        QAccessibleInterface* onBarItem = QAccessible::queryAccessibleInterface(b)->child(i);
                                        if (!top->menu())
                                            return onBarItem;
                                        return QAccessible::queryAccessibleInterface(top->menu())->child(k);
                                    }});
            }
        }
    }
    return controls;
}

// Uses the control through its accessible action and waits for what a button's Press plays out.
void act(QAccessibleInterface* control, QWidget* widget)
{
    QAccessibleActionInterface* actions = control->actionInterface();
    QVERIFY2(actions, "no action a screen reader can take");
    QStringList names = actions->actionNames();
    names.removeAll(QAccessibleActionInterface::setFocusAction());
    QVERIFY2(!names.isEmpty(), "no action a screen reader can take");
    auto* button = qobject_cast<QAbstractButton*>(widget);
    std::unique_ptr<QSignalSpy> clicked;
    if (button)
        clicked = std::make_unique<QSignalSpy>(button, &QAbstractButton::clicked);
    const bool press = names.first() == QAccessibleActionInterface::pressAction();
    actions->doAction(names.first());
    // A pressed button shows itself down for a moment before its click.
    if (button && press)
        QVERIFY(clicked->count() == 1 || clicked->wait());
}

}  // namespace

class Form1AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlActsOnItsActionAsOnAClick()
    {
        int checked = 0;
        for (const Window& window : kWindows) {
            std::vector<Control> controls;
            {
                Form1Rig rig;
                tq::ui::MessageCapture messages;
                controls = controlsOf(window.open(rig));
            }
            for (const Control& c : controls) {
                QString byClick, byAction;
                {
                    Form1Rig rig;
                    tq::ui::MessageCapture messages;
                    QWidget* w = window.open(rig);
                    ModalWatch modals;
                    c.click(w);
                    byClick = world(rig, messages, modals);
                }
                {
                    Form1Rig rig;
                    tq::ui::MessageCapture messages;
                    QWidget* w = window.open(rig);
                    ModalWatch modals;
                    QAccessibleInterface* control = c.accessible(w);
                    QVERIFY2(control, qPrintable(c.name));
                    act(control, w->findChild<QWidget*>(c.name));
                    byAction = world(rig, messages, modals);
                }
                const QString where = QString::fromLatin1(window.name) + QLatin1Char(' ') + c.name + QLatin1Char('\n');
                QCOMPARE(where + byAction, where + byClick);
                ++checked;
            }
        }
        // 17 buttons, 20 menu items, 24 boxes and 3 buttons, the lines of two lists, the
        // dialog's own: a walk that found few controls walked the wrong windows.
        QVERIFY2(checked >= 80, qPrintable(QString::number(checked)));
    }

    void anOutputToggledByAScreenReaderGoesOutInTheNextFrame()
    {
        Form1Rig rig;
        prepare(rig);
        use(rig.form, "TetUscite");
        QCheckBox* box = rig.form.form2()->Check1[8];  // output 9
        QAccessible::queryAccessibleInterface(box)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        QVERIFY(box->isChecked());
        rig.port->clearSent();
        rig.form.Timer1_Timer();  // the reply tick of the cycle in course
        rig.form.Timer1_Timer();  // the next frame
        const std::vector<std::string> frame{"!", std::string(1, '\0'), "\x01", std::string(1, '\0'),
                                             std::string(1, '\0'), std::string(1, '\0')};
        QCOMPARE(rig.port->writes, frame);
    }

    void tuttiOnAndOffRecomputeThePatternOnce()
    {
        for (const bool on : {true, false}) {
            Form1Rig rig;
            prepare(rig);
            use(rig.form, "TetUscite");
            tq::Form2& window = *rig.form.form2();
            if (!on)
                window.Command1->click();
            const std::string before(rig.form.module().OutputBytes.begin(), rig.form.module().OutputBytes.begin() + 3);
            // The pattern as each box changes: a recomputation per box would show it growing.
            QStringList seen;
            for (QCheckBox* box : window.Check1)
                connect(box, &QCheckBox::toggled, this, [&] {
                    seen << hex(std::string(rig.form.module().OutputBytes.begin(), rig.form.module().OutputBytes.begin() + 3));
                });
            (on ? window.Command1 : window.Command2)->click();
            QCOMPARE(seen, QStringList(24, hex(before)));
            QCOMPARE(hex(std::string(rig.form.module().OutputBytes.begin(), rig.form.module().OutputBytes.begin() + 3)),
                     on ? QStringLiteral("ff ff ff") : QStringLiteral("00 00 00"));
        }
    }

    void tabAndShiftTabGoOnceRoundEveryWindowsControls()
    {
        const auto names = [](const QList<QWidget*>& widgets) {
            QStringList out;
            for (const QWidget* w : widgets)
                out << w->objectName();
            return out.join(QLatin1Char(' '));
        };
        int walked = 0;
        for (const Window& window : kWindows) {
            Form1Rig rig;
            tq::ui::MessageCapture messages;
            QWidget* w = window.open(rig);
            QList<QWidget*> controls;
            for (QWidget* c : w->findChildren<QWidget*>())
                if (c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus) && !c->focusProxy())
                    controls << c;
            if (controls.isEmpty())
                continue;  // prog1: a picture and a text
            ++walked;
            // From the first control as many steps as there are controls, then as many back.
            controls.first()->setFocus(Qt::TabFocusReason);
            QList<QWidget*> forward{w->focusWidget()};
            for (qsizetype i = 0; i < controls.size(); ++i) {
                QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
                forward << w->focusWidget();
            }
            QList<QWidget*> backward{w->focusWidget()};
            for (qsizetype i = 0; i < controls.size(); ++i) {
                QTest::keyClick(w->focusWidget(), Qt::Key_Backtab);
                backward.prepend(w->focusWidget());
            }
            // Once round, every control on the way, and back the same way.
            const QString where = QString::fromLatin1(window.name) + QStringLiteral(": ");
            QVERIFY2(forward.first() == forward.last()
                         && QSet<QWidget*>(forward.begin(), forward.end()) == QSet<QWidget*>(controls.begin(), controls.end()),
                     qPrintable(where + names(forward)));
            QCOMPARE(where + names(backward), where + names(forward));
        }
        QCOMPARE(walked, int(std::size(kWindows)) - 1);
    }

    // A laptop of 1366 x 768 leaves about 720 pixels below the desktop's panels, 40 of them for the
    // window's title bar. test_form1_laptop_x11 runs this on an X server of that size.
    void everyWindowFitsALaptopScreen()
    {
        if (QGuiApplication::primaryScreen()->size() != QSize(1366, 768))
            QSKIP("needs a screen of 1366 x 768, as test_form1_laptop_x11 gives it");
        const QSize room(1366, 680);
        for (const Window& window : kWindows) {
            Form1Rig rig;
            tq::ui::MessageCapture messages;
            QWidget* w = window.open(rig);
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QVERIFY2(QGuiApplication::primaryScreen()->availableGeometry().contains(w->frameGeometry()), window.name);
            w->resize(w->size().boundedTo(room));
            QCoreApplication::processEvents();
            QVERIFY2(w->width() <= room.width() && w->height() <= room.height(),
                     qPrintable(QStringLiteral("%1 %2x%3").arg(window.name).arg(w->width()).arg(w->height())));
            // No control cut off: each inside its window, and one that a layout sizes at least as
            // large as it needs (the edit dialog and "Test uscite" place theirs as designed).
            for (QWidget* c : w->findChildren<QWidget*>()) {
                const bool control = qobject_cast<QAbstractButton*>(c) || qobject_cast<QLabel*>(c)
                    || qobject_cast<QAbstractScrollArea*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QGroupBox*>(c);
                if (!control || !c->isVisible() || c->window() != w || c->objectName().startsWith(QLatin1String("qt_")))
                    continue;
                const QRect at(c->mapTo(w, QPoint(0, 0)), c->size());
                const QSize least = c->parentWidget()->layout() ? c->minimumSizeHint().expandedTo(c->minimumSize()) : QSize();
                QVERIFY2(w->rect().contains(at) && c->width() >= least.width() && c->height() >= least.height(),
                         qPrintable(QStringLiteral("%1 %2 at %3,%4 %5x%6, needs %7x%8").arg(window.name, c->objectName())
                                        .arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height())
                                        .arg(least.width()).arg(least.height())));
            }
        }
    }

    void everyControlHasANameToBeReadOut()
    {
        int controls = 0;
        for (const Window& window : kWindows) {
            Form1Rig rig;
            tq::ui::MessageCapture messages;
            QWidget* w = window.open(rig);
            const auto isControl = [](const QWidget* c) {
                return qobject_cast<const QAbstractButton*>(c) || qobject_cast<const QAbstractItemView*>(c) ||
                       qobject_cast<const QPlainTextEdit*>(c) || qobject_cast<const QLineEdit*>(c) ||
                       qobject_cast<const QComboBox*>(c);
            };
            for (QWidget* c : w->findChildren<QWidget*>()) {
                // Hidden ones too (the dialog's other layouts); not Qt's own, which it names.
                if (!isControl(c) || c->objectName().startsWith(QLatin1String("qt_")))
                    continue;
                // The parts of a control (a combo box's list) are read out with it.
                bool part = false;
                for (QWidget* up = c->parentWidget(); up && up != w; up = up->parentWidget())
                    part = part || isControl(up);
                if (part)
                    continue;
                const QString name = QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name).trimmed();
                QVERIFY2(!name.isEmpty(), qPrintable(QString::fromLatin1(window.name) + QLatin1Char(' ') + c->objectName()));
                ++controls;
            }
        }
        // The chooser's 2, the main window's 19, InpOut's 2, Form2's 27, TrovaUsb's 3, the dialog's
        // 8 twice, the trace window's 8: a walk that found fewer walked the wrong windows.
        QVERIFY2(controls >= 77, qPrintable(QString::number(controls)));
    }
};

QTEST_MAIN(Form1AccessibilityTest)
#include "form1_accessibility_test.moc"
