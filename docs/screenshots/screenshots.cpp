// Makes the pictures of the user manual: the real windows of the tool on Qt's offscreen platform,
// connected to the simulated controller inside the tool, each put in the state the manual
// describes through its menus, buttons and keys, as a user would; the receive timer runs in the
// event loop as it does for the user. scripts/screenshots.sh builds and runs it.
//   tq310-screenshots <folder>           writes <folder>/<picture>.png, one per scene
//   tq310-screenshots <folder> <name>    only the main window connected, as <folder>/<name>.png
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QThread>

#include <cstdio>
#include <functional>

#include "app/Form1.h"
#include "files/trova_usb.h"
#include "link/port_discovery.h"
#include "ui/qt_italian.h"

namespace {

QString g_folder;
QByteArray g_mainOnly;  // the main window's picture alone, under this name
int g_failures = 0;

// A window of the tool that is shown, by its object name.
QWidget* window(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

template <typename T>
T* control(QWidget* in, const char* name)
{
    T* found = in ? in->findChild<T*>(QLatin1String(name)) : nullptr;
    if (!found)
        std::fprintf(stderr, "tq310-screenshots: no control %s\n", name);
    return found;
}

// The event loop runs, with the receive timer and everything the windows do, for `ms`.
void run(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
}

bool waitFor(const char* what, const std::function<bool()>& done)
{
    QDeadlineTimer deadline(20000);
    while (!done()) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "tq310-screenshots: gave up waiting for %s\n", what);
            ++g_failures;
            return false;
        }
        run(20);
    }
    // One more round, so that what the last tick changed is painted.
    run(50);
    return true;
}

void press(QWidget* widget, Qt::Key key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &down);
    QApplication::sendEvent(widget, &up);
}

QString terminalText(QWidget* form)
{
    return control<QPlainTextEdit>(form, "Text1")->toPlainText();
}

// The window as the user sees it, with a title bar that carries its caption; a control alone
// (the terminal) without one.
void save(QWidget* widget, const char* name)
{
    QImage picture = widget->grab().toImage();
    if (widget->isWindow()) {
        QFont font = QApplication::font();
        font.setBold(true);
        const int bar = QFontMetrics(font).height() + 10;
        QImage framed(picture.width(), picture.height() + bar, QImage::Format_RGB32);
        framed.fill(QColor(0x3C, 0x4A, 0x5C));
        QPainter painter(&framed);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(10, 0, framed.width() - 20, bar), Qt::AlignVCenter | Qt::AlignLeft,
                         widget->windowTitle());
        painter.drawImage(0, bar, picture);
        painter.end();
        picture = framed;
    }
    const QString path = QDir(g_folder).filePath(QLatin1String(name) + QLatin1String(".png"));
    // A palette of 256 colours draws these windows without a visible difference, in a quarter of
    // the bytes.
    if (!picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).save(path)) {
        std::fprintf(stderr, "tq310-screenshots: cannot write %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

void use(QWidget* form, const char* item)
{
    control<QAction>(form, item)->trigger();
}

void click(QWidget* in, const char* button)
{
    control<QAbstractButton>(in, button)->click();
}

// Runs `action` on the message box it opens, then closes the box.
void onMessageBox(const std::function<void(QWidget*)>& action)
{
    QTimer::singleShot(300, [action] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            action(box);
            box->close();
        }
    });
}

void scenes(tq::Form1& form)
{
    // The port chooser, with an adapter plugged in; the last entry is the simulated controller.
    form.Form_Load();
    QWidget* chooser = window("cerca");
    waitFor("the port chooser", [&] { return chooser != nullptr; });
    save(chooser, "cerca");
    auto* ports = control<QListWidget>(chooser, "List1");
    press(ports, Qt::Key_End);
    press(ports, Qt::Key_Return);
    waitFor("the main window", [&] { return form.isVisible() && form.isEnabled(); });

    // The controller's set-up read, then made the working copy.
    use(&form, "daltq310");
    waitFor("the read-back", [&] { return terminalText(&form).contains("VOCI NEL MENU"); });
    use(&form, "ChipBuffer");
    waitFor("the copy of the controller's values", [&] { return terminalText(&form).contains("PROCEDURA COMPLETATA"); });
    if (!g_mainOnly.isEmpty()) {
        save(&form, g_mainOnly.constData());
        return;
    }
    save(&form, "form1-simulatore");

    // One line edited: the edit dialog, then the line that differs from the controller, marked
    // once another line is chosen.
    auto* list = control<QListWidget>(&form, "List1");
    const auto choose = [list](int row) {
        list->scrollToItem(list->item(row));
        const QPointF at = list->visualItemRect(list->item(row)).center();
        const QPointF global = list->viewport()->mapToGlobal(at);
        QMouseEvent down(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent up(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &down);
        QApplication::sendEvent(list->viewport(), &up);
    };
    choose(18);
    QWidget* dialog = nullptr;
    waitFor("the edit dialog", [&] { return (dialog = window("Dialog")) != nullptr; });
    auto* outputs = control<QComboBox>(dialog, "Combo1");
    outputs->setCurrentIndex(outputs->findText(QStringLiteral("9")));
    click(dialog, "Option3");
    save(dialog, "dialog-uscita");
    click(dialog, "OKButton");
    choose(20);
    waitFor("the edit dialog", [&] { return window("Dialog") != nullptr; });
    click(window("Dialog"), "CancelButton");
    waitFor("the marked line", [&] { return !control<QLabel>(&form, "Differenze")->text().startsWith("nessuna"); });
    save(&form, "form1-differenze");

    // The commit refused: the working copy differs from the controller.
    onMessageBox([](QWidget* box) { save(box, "errore-eeprom"); });
    use(&form, "Weeprom");

    // The programmer adapter.
    use(&form, "prog");
    waitFor("the programmer window", [&] { return window("prog1") != nullptr; });
    save(window("prog1"), "prog1");
    window("prog1")->close();

    // The compiler of CONTQ310.BIN: waiting for the key, then the key plugged in.
    QStringList roots{QStringLiteral("/")};
    use(&form, "ParUsb");
    auto* compiler = static_cast<tq::TrovaUsb*>(window("TrovaUsb"));
    compiler->setDriveSource([&roots] { return roots; });
    waitFor("the first look at the drives", [&] { return !compiler->KnownDrives().isEmpty(); });
    roots << QStringLiteral("/media/tecnico/CHIAVE");
    waitFor("the key", [&] { return !control<QLabel>(compiler, "Label1")->text().isEmpty(); });
    save(compiler, "trova-usb");
    click(compiler, "Command2");

    // The production simulation: seven courses after "Produci".
    click(&form, "Command14");
    QWidget* simulation = window("InpOut");
    waitFor("seven courses", [&] { return !control<QLabel>(simulation, "Label1_3")->text().isEmpty(); });
    save(simulation, "inpout");
    simulation->close();

    // The output test: outputs 1, 9 and 14 on, the controller's answer in the terminal.
    use(&form, "TetUscite");
    QWidget* outputTest = window("Form2");
    for (const char* box : {"Check1_0", "Check1_8", "Check1_13"})
        click(outputTest, box);
    waitFor("the outputs read back", [&] { return terminalText(&form).startsWith("1\n"); });
    save(outputTest, "form2");
    click(outputTest, "Command3");

    // The input status of a running machine: the supply on, the count input on.
    click(&form, "Command13");
    waitFor("the input status", [&] {
        const QString t = terminalText(&form);
        return t.contains("Mor.12(conteggio)          = [ON ]") && t.contains("Mor.13(cancella conteggio) = [OFF]")
            && t.contains("Mor.11(segnale power +24)  = [ON ]");
    });
    save(control<QWidget>(&form, "Text1"), "terminale-ingressi");

    // Ten bytes of the knitting data, one "Passo" each. A first step settles the engine's
    // alternation, which the input polling left at either phase.
    click(&form, "Command16");
    waitFor("a memory step", [&] { return terminalText(&form).contains(QStringLiteral("AH= ")); });
    click(&form, "Command18");
    click(&form, "Command15");
    for (int n = 1; n <= 10; ++n) {
        click(&form, "Command16");
        waitFor("a memory step", [&] { return terminalText(&form).count(QStringLiteral("AH= ")) == n; });
    }
    save(control<QWidget>(&form, "Text1"), "terminale-memoria");

    // The output phases.
    use(&form, "LPFU");
    waitFor("the output phases", [&] { return terminalText(&form).contains("N.32 = "); });
    save(control<QWidget>(&form, "Text1"), "terminale-fasi");

    // The line trace of this connection, after one more read-back.
    use(&form, "RegLinea");
    use(&form, "daltq310");
    waitFor("the read-back", [&] { return terminalText(&form).contains("VOCI NEL MENU"); });
    QWidget* trace = window("LineTraceWindow");
    run(600);
    save(trace, "registro");
    trace->close();

    // The manual itself.
    use(&form, "manuale");
    waitFor("the manual", [&] { return window("HelpWindow") != nullptr; });
    save(window("HelpWindow"), "manuale");
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: tq310-screenshots <folder> [<name>]\n");
        return 2;
    }
    if (argc == 3)
        g_mainOnly = argv[2];
    g_folder = QString::fromLocal8Bit(argv[1]);
    // Qt's own parts (the buttons of a message box) in Italian, as the program shows them.
    tq::ui::installQtItalian();
    QDir().mkpath(g_folder);

    tq::Form1 form;
    // What the chooser lists on a PC with the programmer adapter plugged in: the adapter, then
    // the simulated controller inside the tool, the same on every machine.
    form.setPortBackends(
        [] {
            return tq::PortDiscovery{{tq::serialDeviceEntry(1, QStringLiteral("/dev/ttyUSB0"),
                                                            QStringLiteral("/dev/ttyUSB0  FT232R USB UART  FTDI")),
                                      tq::simulatedControllerEntry(2)},
                                     {}};
        },
        {});
    scenes(form);
    return g_failures == 0 ? 0 : 1;
}
