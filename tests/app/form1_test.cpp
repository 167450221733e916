// The main window on Qt's offscreen platform, its line a scripted port (support/form1_rig.h),
// part by part after app/Form1*.cpp: what it shows, the windows it opens, its files and backups,
// and the same windows without a mouse, by the keyboard and by a screen reader. Every case starts
// a main window of its own. The keyboard cases and the laptop screen run again on a real X
// server (test_app_form1_x11), where focus and screen sizes are the window system's.
#include <QAbstractEventDispatcher>
#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QWindow>
#include <QtTest>

#include <functional>

#include "app/Form1.h"
#include "app/prog1.h"
#include "editor/dialog.h"
#include "files/backups.h"
#include "files/system_file.h"
#include "files/trova_usb.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "params/crc.h"
#include "support/disk_full.h"
#include "support/drive_letter.h"
#include "support/file_bytes.h"
#include "support/form1_rig.h"
#include "ui/cerca.h"
#include "ui/fonts.h"
#include "ui/message_box.h"
#include "ui/qt_italian.h"

using tq::Form1;
using tq::test::fileBytes;
using tq::test::Form1Rig;
using tq::test::Ports;
using tq::test::writeFile;
using tq::ui::MessageIcon;

namespace {

// The main window connected, through the chooser, to "Porta seriale (COM1)".
struct Connected : Form1Rig {
    Connected() { connect(0); }
};

QWidget* shownWindow(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

// The window has the keyboard. QTest::qWaitForWindowActive would not tell: Qt counts an owned
// window as active while its owner is.
bool becomesActive(QWidget* window)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// The key goes where the keyboard sends it: to the widget with the focus in the active window.
void press(Qt::Key key)
{
    QWidget* target = QApplication::focusWidget();
    QVERIFY2(target, "no widget has the focus");
    QTest::keyClick(target, key);
}

QListWidget* list1(const Form1& f)
{
    return control<QListWidget>(f, "List1");
}

// The message boxes shown, one "icon|title|text" each.
QStringList shown(const tq::ui::MessageCapture& capture)
{
    QStringList out;
    for (const tq::ui::ShownMessage& m : capture.messages)
        out << QStringLiteral("%1|%2|").arg(int(m.icon)).arg(QString::fromLatin1(m.title)) + m.shown;
    return out;
}

QStringList error(const QString& text, MessageIcon icon)
{
    return {QStringLiteral("%1|ERRORE|").arg(int(icon)) + text};
}

QString hex(const std::string& bytes)
{
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex(' '));
}

// --- The window itself: the manual, whose pictures must show and whose F1 lands on the section
// of the window it is pressed in.

// The pictures of the page the manual shows, or -1 when one of them did not load.
int picturesShown(QTextBrowser* page)
{
    int shown = 0;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QVariant picture =
                page->document()->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
            if (picture.value<QPixmap>().isNull() && picture.value<QImage>().isNull()
                && QImage::fromData(picture.toByteArray()).isNull())
                return -1;
            ++shown;
        }
    return shown;
}

// The heading in sight: the one of the anchor the page was opened at, or the page's first.
QString headingInSight(QTextBrowser* page)
{
    const QString anchor = page->source().fragment();
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0)
            continue;
        if (!anchor.isEmpty() && !block.begin().fragment().charFormat().anchorNames().contains(anchor))
            continue;
        const qreal top = page->document()->documentLayout()->blockBoundingRect(block).top()
            - page->verticalScrollBar()->value();
        return top >= 0 && top < page->viewport()->height() ? block.text() : QStringLiteral("out of sight");
    }
    return QStringLiteral("no heading");
}

// --- The link: the state table. The 17 buttons and two menus follow the connection, "File",
// "Connessione" and ParUsb do not.
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

// What the chooser led to: the port connected, "senza connessione", or still choosing.
QString outcome(Form1Rig& rig)
{
    if (rig.form.chooser()->isVisible())
        return QStringLiteral("choosing");
    if (!rig.form.isConnected())
        return QStringLiteral("senza connessione");
    return QStringLiteral("Com.%1, opened %2 time(s)").arg(rig.port->portNumber).arg(rig.opened);
}

// --- Files: a main window in the state after the port set-up, the file dialog answering `answer`.
std::unique_ptr<Form1> formAnswering(const QString& answer = QString())
{
    auto form = std::make_unique<Form1>();
    form->module().CurrentFileName = "Dati di default";
    form->ListInit();
    control<QAction>(*form, "ParUsb")->setEnabled(false);
    form->askPath = [answer](bool) { return answer; };
    return form;
}

const std::string kOpenFailure = "Errore nel  file oppure  file non trovato  ";
const QString kDefaultCaption = QStringLiteral(" File = Dati di default");

// CONTQ310.BIN of the working copy with parameter 1 set to 1: its CRC is 250-32.
const QByteArray kUsbFile = ">$$>01" + QByteArray(106, '0') + "FA20" + QByteArray("20").repeated(120) + "<$$<<$$<\r\n";

// What the USB compiler shows: the target path, then whether "Procedi" is enabled and whether
// detection runs.
QString usbState(const tq::TrovaUsb& w)
{
    return w.Label1->text() + (w.Command1->isEnabled() ? " Procedi" : "") + (w.Timer1->isActive() ? " detecting" : "");
}

// --- Backups and marks. The controller's record: parameter i holds 3 i + 1, with its CRC (or
// `changed` added to parameter 21); and its twelve texts.
std::string deviceRecord(std::uint8_t changed = 0)
{
    tq::ParamRecord r{};
    for (int i = 0; i < tq::kParamCount; ++i)
        r[i] = static_cast<std::uint8_t>(3 * i + 1 + (i == 20 ? changed : 0));
    tq::Crcgen(r);
    return std::string(r.begin(), r.begin() + tq::kDeviceRecordSize);
}
const std::string kDeviceTexts = "SELEZIONA CARTELLA  PARTE     NUOVA LETTDISCO     TIPO----- TAGLIA--  PARTE 2   "
                                 "CARRO     SCOLLO    RANGHI    CONTAPEZZI";

// The rows of List1 that are marked. A line is marked by its weight, its colour and its tooltip
// together, or not at all.
QList<int> marked(const Form1& f)
{
    QList<int> rows;
    const QColor plain = list1(f)->palette().color(QPalette::Text);
    for (int row = 0; row < list1(f)->count(); ++row) {
        const QListWidgetItem* item = list1(f)->item(row);
        const bool bold = item->font().bold();
        const bool coloured = item->foreground().style() != Qt::NoBrush && item->foreground().color() != plain;
        const bool tip = !item->toolTip().isEmpty();
        if (bold || coloured || tip)
            rows << (bold && coloured && tip ? row : ~row);  // half marked: a row no case expects
    }
    return rows;
}

// The darkest grey level among the pixels of character `column` of a list row: the first digit
// of a value field.
int darkest(QListWidget* list, int row, int column)
{
    QCoreApplication::processEvents();  // the list lays its items out when the loop runs
    const QImage image = list->viewport()->grab().toImage();
    const QRect line = list->visualItemRect(list->item(row));
    const QFontMetrics metrics(list->font());
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int x0 = line.left() + margin + metrics.horizontalAdvance(QString(column, QLatin1Char('x')));
    const qreal scale = image.devicePixelRatio();
    int level = 255;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = x0; x < x0 + metrics.horizontalAdvance(QLatin1Char('x')); ++x)
            level = std::min(level, qGray(image.pixel(int(x * scale), int(y * scale))));
    return level;
}

// --- Transfers and diagnostics. Uses the named item while an output test runs with sequential
// memory reading on ("ON", then the output test's sender) and the copies agreeing (a commit goes
// through): the first byte sent and how many, the receive mode, SeqReadActive, whether the
// terminal was emptied, whether the read-back will copy.
std::string itemEffect(const char* name)
{
    Connected c;
    use(c.form, "Command23");
    startOutputTest(c.m(), {0, 0, 0});
    c.m().FileParams[0] = 1;
    c.m().ChipParams = c.m().FileParams;
    c.form.terminal().set("Menu 3");
    use(c.form, name);
    const std::string sent = c.port->sent();
    const tq::EngineState& e = c.m().Engine;
    return sent.substr(0, 1) + std::to_string(sent.size()) + " mode " + std::to_string(int(e.mode())) + " seq " +
           std::to_string(e.SeqReadActive()) + (c.terminal().empty() ? " cleared" : "") + (e.ChipToBuffer() ? " copy" : "");
}

// A course in which only output position k is set.
std::string courseWith(int position)
{
    std::string row(4, '\0');
    row[position / 8] = static_cast<char>(1u << (position % 8));
    return row;
}

// The output test opened with parameter 4 = boards, the list refreshed as after an edit.
tq::Form2& openOutputTest(Form1Rig& c, std::uint8_t boards)
{
    c.m().FileParams[3] = boards;
    c.form.ListInit();
    use(c.form, "TetUscite");
    return *c.form.form2();
}

std::string pattern(const tq::Module1& m)
{
    return std::string(m.OutputBytes.begin(), m.OutputBytes.begin() + 3);
}

// --- The terminal Text1 at the main window's own size.
QScrollBar* bar(Form1& f)
{
    return control<QPlainTextEdit>(f, "Text1")->verticalScrollBar();
}

// The first line the reader sees.
QString topLine(Form1& f)
{
    return control<QPlainTextEdit>(f, "Text1")->cursorForPosition(QPoint(1, 1)).block().text();
}

// A second of input polling at 60 ms: a "K" cycle of two ticks every 120 ms, the controller
// answering each "K".
void pollForASecond(Form1Rig& rig, char inputs)
{
    for (int tick = 0; tick < 1000 / 60; ++tick) {
        const bool asks = rig.m().Engine.PhaseToggle() == -1;
        rig.tick();
        if (asks)
            rig.port->feed(std::string(1, inputs));
    }
}

// --- Every window of the tool, opened on a fresh main window the way a user opens it, with two
// system ports in the chooser, the first one connected.
const Ports kTwoPorts = {{"Porta seriale (COM1)"}, {"Porta seriale (COM2)"}};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// Connected, with a working copy that has a file, ParUsb usable, three boards, and no dialog that
// would wait for a person.
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

QWidget* openedBy(Form1Rig& rig, const char* item, const std::function<QWidget*()>& window)
{
    prepare(rig);
    use(rig.form, item);
    return window();
}

QWidget* editDialogOn(Form1Rig& rig, int line)
{
    prepare(rig);
    list1(rig.form)->setCurrentRow(line);
    return rig.form.editDialog();
}

// Each with the heading of its section of the manual.
const struct Window {
    const char* name;
    const char* heading;
    std::function<QWidget*(Form1Rig&)> open;
} kWindows[] = {
    {"cerca", "La scelta della porta", [](Form1Rig& rig) -> QWidget* { return rig.form.chooser(); }},
    {"Form1", "Manuale d'uso di Test per TQ310", [](Form1Rig& rig) -> QWidget* { prepare(rig); return &rig.form; }},
    {"InpOut", "Simulazione della produzione",
     [](Form1Rig& rig) { return openedBy(rig, "Command14", [&] { return (QWidget*)rig.form.inpOut(); }); }},
    {"Form2", "Prova delle uscite",
     [](Form1Rig& rig) { return openedBy(rig, "TetUscite", [&] { return (QWidget*)rig.form.form2(); }); }},
    {"TrovaUsb", "La chiave USB",
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
    {"Dialog (output)", "La finestra di modifica", [](Form1Rig& rig) { return editDialogOn(rig, 10); }},
    {"Dialog (boards)", "La finestra di modifica", [](Form1Rig& rig) { return editDialogOn(rig, 3); }},
    {"prog1", "Il programmatore",
     [](Form1Rig& rig) { return openedBy(rig, "prog", [&] { return (QWidget*)rig.form.programmerWindow(); }); }},
    {"LineTraceWindow", "Il registro della linea",
     [](Form1Rig& rig) -> QWidget* {
         prepare(rig);
         use(rig.form, "daltq310");  // a frame in the table, whose cells Tab could step through
         use(rig.form, "RegLinea");
         rig.form.lineTraceWindow()->askPath = [](bool) { return QString(); };
         return rig.form.lineTraceWindow();
     }},
};

// Everything a control's use can change, as one text.
QString world(Form1Rig& rig, const tq::ui::MessageCapture& messages)
{
    Form1& f = rig.form;
    const tq::Module1& m = f.module();
    QStringList out{QStringLiteral("sent %1").arg(rig.port ? hex(rig.port->sent()) : QString()),
                    QStringLiteral("mode %1 toggle %2 seq %3 copy %4 port %5 rows %6 timer %7")
                        .arg(int(m.Engine.mode())).arg(m.Engine.PhaseToggle()).arg(m.Engine.SeqReadActive())
                        .arg(m.Engine.ChipToBuffer()).arg(m.PortNumber).arg(m.RowCounter)
                        .arg(control<QTimer>(f, "Timer1")->interval()),
                    "outputs " + hex(std::string(m.OutputBytes.begin(), m.OutputBytes.end())),
                    "params " + hex(std::string(m.FileParams.begin(), m.FileParams.end())),
                    "terminal " + QString::fromLatin1(f.terminal().text()),
                    QStringLiteral("main %1").arg(f.isEnabled() ? "enabled" : "disabled")};
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->objectName().isEmpty())
            continue;
        QString line = w->objectName() + QLatin1Char(' ') + w->windowTitle();
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isCheckable() && b->isVisible())
                line += QLatin1Char(' ') + b->objectName() + (b->isChecked() ? QStringLiteral("*") : QString());
        out << line;
    }
    for (const QString& box : shown(messages))
        out << "box " + box;
    out.sort();
    return out.join(QLatin1Char('\n'));
}

// A control that acts on a screen reader's Toggle itself: how a click reaches it and which
// accessible interface stands for it. These are the check boxes and options, whose Toggle Qt
// plays as toggle() and not as a click, and the lines of a list (ui/choice_list.h); a push
// button's Press and a menu item's Trigger are Qt's own click.
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
        if (!b->isVisible() || !b->isEnabled() || !b->isCheckable())
            continue;
        const QString name = b->objectName();
        const auto button = [name](QWidget* w) { return w->findChild<QAbstractButton*>(name); };
        controls.push_back({name, [button](QWidget* w) { QTest::mouseClick(button(w), Qt::LeftButton, {}, button(w)->rect().center()); },
                            [button](QWidget* w) { return QAccessible::queryAccessibleInterface(button(w)); }});
    }
    for (const int row : {0, 1, 10, 54, 55}) {
        if (!listOf(window) || row >= listOf(window)->count())
            continue;
        controls.push_back({QStringLiteral("List1 line %1").arg(row),
                            [row](QWidget* w) {
                                QListWidget* l = listOf(w);
                                l->scrollToItem(l->item(row));
                                QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
                            },
                            [row](QWidget* w) {
                                QAccessibleInterface* l = QAccessible::queryAccessibleInterface(listOf(w));
                                return l && l->tableInterface() ? l->tableInterface()->cellAt(row, 0) : nullptr;
                            }});
    }
    return controls;
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }

private slots:
    // Every case keeps its backups apart.
    void init()
    {
        static int test = 0;
        qputenv("TQ310_BACKUPS", m_dir.filePath(QStringLiteral("copie%1").arg(++test)).toLocal8Bit());
    }

    // ---- The window itself (Form1.cpp) ----

    // The list in a fixed-pitch font (under Wine too, which has no Courier New), showing the shared
    // state as ListInit renders it (tests/params), its texts' Latin-1 letters as letters, and the
    // working file's path as the system names it.
    void listIsFixedPitchAndShowsTheSharedStateAndThePath()
    {
        Form1 form;
        const QFontInfo font(list1(form)->font());
        QVERIFY2(font.fixedPitch() && tq::ui::isFixedPitch(list1(form)->font()), qPrintable(font.family()));
        QCOMPARE(control<QLabel>(form, "Label1")->text(), QStringLiteral("Default "));
        for (const char* label : {"Label4", "Label5"})
            QVERIFY(control<QGroupBox>(form, "Label6")->isAncestorOf(control<QLabel>(form, label)));
        form.module().FileParams[0] = 1;
        form.module().ChipParams[0] = 200;
        form.module().FileMenuTexts[0] = "\xE8 pi\xF9";  // Latin-1 letters stay single bytes
        form.ListInit();
        QCOMPARE(list1(form)->count(), 66);
        QCOMPARE(list1(form)->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [200]"));
        QCOMPARE(list1(form)->item(55)->text(), QString::fromUtf8("seleziona      | è più"));
        QCOMPARE(control<QLabel>(form, "Label5")->text(), QStringLiteral("250-32 File"));
        QCOMPARE(list1(form)->currentRow(), -1);
        for (const char* path : {"/tmp/macchina \u00e8 pi\u00f9.ini", "/tmp/Παράμετροι/настройки.ini"}) {
            form.module().CurrentFileName = tq::systemName(QString::fromUtf8(path)).toStdString();
            form.ListInit();
            QCOMPARE(control<QLabel>(form, "Label1")->text(),
                     QStringLiteral(" File = ") + QDir::toNativeSeparators(QString::fromUtf8(path)));
        }
    }

    // The tool's own texts, word for word and blank for blank, in every window that shows them,
    // with Qt's own parts in Italian beside them as the program starts them.
    void windowsShowTheirTextsExactly()
    {
        QVERIFY(tq::ui::installQtItalian());
        Form1Rig rig(Ports{});
        Form1& form = rig.form;
        QTest::mouseClick(form.chooser()->Command2, Qt::LeftButton);  // no port: the unconnected state
        tq::prog1 programmer;
        tq::Module1 m;
        tq::InpOut simulation(m, {}, {});
        tq::Form2 outputs(m, {}, {});
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QLineEdit edit;
        const std::unique_ptr<QMenu> editMenu(edit.createStandardContextMenu());
        const auto title = [&form](const char* group) { return control<QGroupBox>(form, group)->title(); };
        const auto tip = [&form](const char* name) { return control<QWidget>(form, name)->toolTip(); };
        const auto item = [&form](const char* name) { return control<QAction>(form, name)->text(); };
        const auto menu = [&form](const char* name) { return control<QMenu>(form, name)->title(); };

        const struct { QString shown, quoted; } texts[] = {
            {form.windowTitle(), "Test per TQ310  Vers. 12.13B  By Kelvora"},
            {title("Label2"), "Replica della tastiera  del TQ310"}, {title("Label9"), "Debug dispositivi"},
            {title("Label10"), "Debug memoria"}, {title("Label6"), "CRC parametri"},
            {tip("Label2"), "I comandi nel riquadro agiscono come la tatiera  del pannello TQ310"},
            {tip("Label10"), "I comandi nel riquadro permettono di navigare nella memoria  per trovare eventuali anomalie o guasti"},
            {tip("Label6"), " modulo CRC CCIT  G(x) = x16 + x12 + x5 + 1.per controllo errori "},
            {tip("List1"), "I parametri di sinistra sono riferiti al file mentra quelli di destra provengono dal chip"},
            {menu("config"), "File"}, {menu("tq310"), "TQ310"}, {menu("accessori"), "Accessori"},
            {menu("connessione"), "Connessione"}, {item("daltq310"), "Carica parametri  dal TQ310"},
            {item("ChipBuffer"), "Trasferisci parametri da  TQ310 al buffer"},
            {item("AlTq310"), "Trafferisci parametri nel TQ310"}, {item("Weeprom"), "Salva parametri  nella EEPROM"},
            {item("VMenu"), "Lista voci dei menu dal TQ31"}, {item("LPFU"), "Lettura parametri fase uscita comandi"},
            {item("ErrEEprom"), "Forza errore nella EEPROM per debug"}, {item("prog"), "Programmatore TTL"},
            {item("ParUsb"), "Parametri da chiave usb"}, {item("apricopia"), "apri copia di sicurezza"},
            {item("RegLinea"), "Registro della linea"},
            {tip("Command13"), "Prmette il debug degli ingreaasi di comando"},
            {tip("Command19"), "Forza una nuova lettura della chiave usb  come da tastiera remota"},
            {control<QLabel>(form, "Label8")->text(), " Nessuna connessione "},
            {form.chooser()->windowTitle(), "CONNESSIONE      (porte disponibili)"},
            {form.chooser()->Command2->text(), "Lavore senza nessuna connessione"},
            {programmer.windowTitle(), "Programmatore QX-232-TTL"},
            {programmer.Label1->text(), "Programmatore necessario per connessione interattiva con TQ310"},
            {simulation.windowTitle(), "Test per Input e Output"},
            {simulation.Label2->text(),
             " 31 30 29 28 27  26 25 24   23  22  21 20 19  18 17  16   15  14  13 12  11  10  9  8 "
             "      7   6   5    4    3   2   1   0         corse"},
            {simulation.Command1->text(), "CONTEGGIO"}, {simulation.Command2->text(), "RESET"},
            {outputs.windowTitle(), "Test uscite"}, {outputs.Command1->text(), "Tutti ON"},
            {outputs.Command2->text(), "Tutti OFF"}, {outputs.Command3->text(), "Uscita"},
            {files.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), "Cerca in:"},
            {buttons.button(QDialogButtonBox::Cancel)->text(), "Annulla"},
            {editMenu->actions().first()->text().section(QLatin1Char('\t'), 0, 0), "Ann&ulla"},  // Undo
        };
        for (const auto& t : texts)
            QCOMPARE(t.shown, t.quoted);
        use(form, "informazioni");  // the version and the licences
        QWidget* about = shownWindow("AboutBox");
        QVERIFY(about && about->findChild<QLabel*>("Version")->text().contains(QCoreApplication::applicationVersion()));
        const QString notices = about->findChild<QTextBrowser*>("Notices")->toPlainText();
        for (const char* part : {"Qt", "mingw-w64", "zlib", "libpng", "libjpeg-turbo", "FreeType", "HarfBuzz", "PCRE2"})
            QVERIFY2(notices.contains(QLatin1String(part)), part);
    }

    // F1 in each window opens the manual at the section about it, every picture of the page
    // loaded (the index has some); the menu item opens it at the index.
    void theManualOpensWithItsPicturesAndF1FindsTheSectionOfEachWindow()
    {
        for (const Window& window : kWindows) {
            Form1Rig rig(kTwoPorts);
            tq::ui::MessageCapture messages;
            QWidget* w = window.open(rig);
            w->activateWindow();
            QVERIFY2(becomesActive(w), window.name);
            QTest::keyClick(w, Qt::Key_F1);
            QWidget* help = shownWindow("HelpWindow");
            QVERIFY2(help, window.name);
            auto* page = help->findChild<QTextBrowser*>(QStringLiteral("Browser"));
            QCOMPARE(QString::fromLatin1(window.name) + ": " + headingInSight(page),
                     QString::fromLatin1(window.name) + ": " + QString::fromUtf8(window.heading));
            QVERIFY2(picturesShown(page) >= (w == &rig.form ? 1 : 0), window.name);
            help->close();
            use(rig.form, "manuale");
            QVERIFY2(help->isVisible() && page->source().fileName() == QLatin1String("indice.md"), window.name);
        }
    }

    // ---- The link (Form1_link.cpp): start-up, the states, the chooser, the programmer window ----

    void startUpConnectDisconnectWorkWithoutAPortAndReconnect()
    {
        tq::ui::MessageCapture messages;
        Form1Rig rig(Ports{{"Porta seriale (COM12)"}, {"USB Serial Port (COM3)"}});
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
        rig.tick();  // a reply tick: nothing came
        rig.tick();
        QCOMPARE(rig.port->sent(), std::string("K"));
        QCOMPARE(rig.interval(), 60);
        QVERIFY(messages.messages.empty());

        control<QTimer>(f, "Timer1")->stop();
        f.terminal().append("fine");  // any handler's change shows once the loop goes idle
        emit QAbstractEventDispatcher::instance()->aboutToBlock();
        QVERIFY(control<QPlainTextEdit>(f, "Text1")->toPlainText().endsWith("fine"));
    }

    void refusedEntriesAFailedDiscoveryAndAPortThatDoesNotOpenLeaveTheToolUnconnected()
    {
        tq::ui::MessageCapture messages;
        Form1Rig rig(Ports{{"Porta seriale (COM7)"}, {"Senza numero"}, {"Adattatore 1234"}});
        Form1& f = rig.form;
        rig.choose(2);  // no port number fits: the chooser says so and stays
        QVERIFY(f.chooser()->isVisible() && !f.isVisible());
        rig.choose(1);
        checkState(f, false);
        QCOMPARE(rig.opened, 0);  // nothing opened without a number

        rig.failOpen = true;
        use(f, "connetti");
        rig.choose(0);
        checkState(f, false);
        QCOMPARE(f.module().PortNumber, 0);

        Form1Rig failed({{"Porta seriale (COM1)"}}, QStringLiteral("elenco non leggibile"));
        QCOMPARE(failed.form.chooser()->List1->count(), 0);
        QCOMPARE(shown(messages),
                 error(" Numero di porta non valido (oltre 255): Adattatore 1234 ", MessageIcon::Critical)
                     + error(" Impossibile aprire la porta Com.7 : scripted failure ", MessageIcon::Critical)
                     + error(QString::fromUtf8("Ricerca delle porte seriali non riuscita: elenco non leggibile\r\n"
                                               "Si può lavorare senza nessuna connessione."), MessageIcon::Warning));
    }

    // Written to or committed on the simulated controller, nothing reaches a machine: the window
    // says so while that is the line, beside the connection label and after the caption, whose
    // own texts stay as they are.
    void theSimulatedControllerIsMarkedAsSuch()
    {
        tq::ui::MessageCapture messages;
        Form1Rig rig({{"Porta seriale (COM1)"}, {"Controllore simulato (COM2)", tq::PortEntry::Kind::Simulated}});
        Form1& f = rig.form;
        const QString caption = QStringLiteral("Test per TQ310  Vers. 12.13B  By Kelvora");
        const auto state = [&f] {
            const QLabel* LabelSim = control<QLabel>(f, "LabelSim");
            return control<QLabel>(f, "Label8")->text() + QLatin1Char('|') + f.windowTitle() + QLatin1Char('|') +
                   (LabelSim->isVisibleTo(&f) ? LabelSim->text() : QString());
        };
        const QString simulated = "Connesso a Com.2 ,9600,N,8,1|" + caption + "  - CONTROLLORE SIMULATO| SIMULATORE ";
        const QString none = " Nessuna connessione |" + caption + "|";
        // The entry chosen (-1: "Disconnetti"), and how the window reads after it.
        const struct { int entry; QString state; } steps[] = {
            {1, simulated}, {-1, none}, {0, "Connesso a Com.1 ,9600,N,8,1|" + caption + "|"}, {-1, none}, {1, simulated},
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
        QTRY_COMPARE(state(), none);
    }

    // Closing the main window or the chooser closes the other windows, the chooser last.
    void closingEitherWindowClosesTheOthers()
    {
        for (bool fromChooser : {false, true}) {
            Form1Rig rig(Ports{});
            Form1& f = rig.form;
            QTest::mouseClick(f.chooser()->Command2, Qt::LeftButton);
            use(f, "TetUscite");
            QWidget& form2 = *f.form2();
            form2.close();
            list1(f)->setCurrentRow(0);  // opens the edit dialog
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
        const std::string committed = deviceRecord();
        for (const std::string& bytes : {"L" + committed + std::string(120, ' '), std::string("W"), std::string("Vorela\r")})
            form.port()->write(bytes);

        use(form, "disconnetti");
        QVERIFY(!form.port());
        use(form, "connetti");
        chooseSimulator();
        form.port()->write("z");
        form.port()->write("H");
        QTRY_VERIFY_WITH_TIMEOUT(form.port()->bytesWaiting() >= 56, 3000);
        QCOMPARE(form.port()->takeAll().substr(0, 56), committed);
    }

    // On a line that announces its bytes Timer1 sleeps after a tick with nothing to do in
    // terminal mode. Bytes coming in, and every control that gives the engine a mode of its own,
    // wake it (the tick then comes on Timer1's grid: tests/link/receive_clock_test.cpp); controls
    // that only send or clear leave it asleep, for the answer will wake it.
    void theReceiveTimerSleepsAtRestAndWakesForWork()
    {
        using Use = std::function<void(Form1Rig&)>;
        const Use none = [](Form1Rig&) {};
        struct Case { std::string what; Use prepare, act; bool wakes; };
        std::vector<Case> cases{
            {"bytes from the controller", none, [](Form1Rig& c) { c.port->feed("Pronto"); }, true},
            {"CONTEGGIO once a key ended the simulation",
             [](Form1Rig& c) { use(c.form, "Command14"); c.form.inpOut()->close(); use(c.form, "Command17"); },
             [](Form1Rig& c) { c.form.inpOut()->Command1->click(); }, true},
            {"an output ticked", [](Form1Rig& c) { openOutputTest(c, 1); },
             [](Form1Rig& c) { c.form.form2()->Check1[0]->click(); }, true},
        };
        const auto item = [](const char* name) { return Use([name](Form1Rig& c) { use(c.form, name); }); };
        for (const char* name : {"daltq310", "ChipBuffer", "VMenu", "LPFU", "CIngressi", "Command13", "Command14",
                                 "Command16", "Command23"})
            cases.push_back({name, none, item(name), true});
        for (const char* name : {"Command17", "Command5", "Command18", "Command11", "Command19", "Command26", "Command24", "RipIni"})
            cases.push_back({name, none, item(name), false});
        for (const Case& k : cases) {
            Connected c;
            c.port->announces = true;
            k.prepare(c);
            tq::ReceiveClock& clock = c.form.receiveClock();
            clock.start();
            clock.timeout();  // Timer1 fires: nothing waits, nothing to do
            QVERIFY2(clock.asleep() && !control<QTimer>(c.form, "Timer1")->isActive() && !clock.nextTick(), k.what.c_str());
            k.act(c);
            QVERIFY2(clock.asleep() == !k.wakes && bool(clock.nextTick()) == k.wakes, k.what.c_str());
            clock.stop();
        }
    }

    // "Registro della linea" is the last item of "Accessori"; its window leaves the main window
    // usable, and Escape closes it like its close box. The trace stays to be read and saved once
    // the line goes, until the next connection starts a new one.
    void theLineTraceIsLastInAccessoriClosesOnEscapeAndANewConnectionStartsANewOne()
    {
        Connected c;
        const QList<QAction*> items = control<QMenu>(c.form, "accessori")->actions();
        QCOMPARE(items.mid(items.size() - 2), QList<QAction*>({control<QAction>(c.form, "ErrEEprom"), control<QAction>(c.form, "RegLinea")}));
        QVERIFY(becomesActive(&c.form));
        use(c.form, "RegLinea");
        QVERIFY(becomesActive(c.form.lineTraceWindow()) && c.form.isEnabled());
        press(Qt::Key_Escape);
        QVERIFY(!c.form.lineTraceWindow()->isVisible());
        use(c.form, "CIngressi");
        c.tick();  // the request tick follows a reply tick
        c.tick();
        QCOMPARE(c.traceRows(), QStringList{QStringLiteral("TX K lettura ingressi")});
        use(c.form, "disconnetti");
        QCOMPARE(c.traceRows().size(), 1);
        use(c.form, "connetti");
        c.connect(0);
        QVERIFY(c.form.isConnected());
        QCOMPARE(c.traceRows(), QStringList{});
    }

    // ---- Files (Form1_files.cpp): "File" and "Parametri da chiave usb", over real files ----

    // "apri file" shows the file or reports without refreshing, and "salva" writes it back;
    // "salva con nome" writes the file, showing its bare path, or is silent.
    void openShowsTheFileOrReportsAndSaveAsShowsTheBarePath()
    {
        const QString good = path("good.ini"), tooBig = path("toobig.ini");
        // Fourteen texts: a save writes back the first twelve, bytes as held.
        const QByteArray saved = "122013\r\n1\r\n" + QByteArray("0\r\n").repeated(53) + "\r\n\xE8 BETA  \r\n" +
                                 QByteArray("T\r\n").repeated(10);
        QVERIFY(writeFile(good, saved + "T12\r\nT13\r\n") && writeFile(tooBig, "122013\r\n1\r\n256\r\n"));
        const QString startUp = path("startup");  // typed without ".ini": used as typed
        QVERIFY(writeFile(path("plain"), "x"));
        const QString unreachable = path("plain/sub.ini"), greek = path("Ρυθμίσεις.ini");
        const QString failure = QString::fromLatin1(kOpenFailure), zero = QStringLiteral("102-71 File"), blank = "cartella       | ";
        const struct { const char* item; QString answer; QStringList messages; QString label1, label5, line56; std::string fileName; } cases[] = {
            {"aprif", good, {}, " File = " + QDir::toNativeSeparators(good), "250-32 File", QString::fromUtf8("cartella       | è BETA  "),
             good.toStdString()},
            {"aprif", tooBig, error(failure + "256", MessageIcon::Warning), kDefaultCaption, zero, blank, tooBig.toStdString()},
            {"aprif", {}, error(failure, MessageIcon::Warning), kDefaultCaption, zero, blank, "Dati di default"},  // cancelled
            {"salvaas", startUp, {}, QDir::toNativeSeparators(startUp), zero, blank, startUp.toStdString()},
            {"salvaas", greek, {}, QDir::toNativeSeparators(greek), zero, blank, tq::systemName(greek).toStdString()},
            {"salvaas", {}, {}, kDefaultCaption, zero, blank, "Dati di default"},
            {"salvaas", unreachable, {}, kDefaultCaption, zero, blank, unreachable.toStdString()},
        };
        for (const auto& c : cases) {
            auto form = formAnswering(c.answer);
            tq::ui::MessageCapture capture;
            use(*form, c.item);
            QCOMPARE(control<QLabel>(*form, "Label1")->text(), c.label1);
            QCOMPARE(control<QLabel>(*form, "Label5")->text(), c.label5);
            QCOMPARE(list1(*form)->item(56)->text(), c.line56);
            QCOMPARE(form->module().CurrentFileName, c.fileName);
            QCOMPARE(control<QAction>(*form, "ParUsb")->isEnabled(), c.answer == good);
            if (c.answer == good) {
                use(*form, "salvafile");
                QCOMPARE(fileBytes(good), saved);
            }
            QCOMPARE(shown(capture), c.messages);
        }
        QCOMPARE(fileBytes(startUp), "122013\r\n" + QByteArray("0\r\n").repeated(54) + QByteArray("\r\n").repeated(12));
        QCOMPARE(fileBytes(greek), fileBytes(startUp));
    }

    // A disk that fills up is a POSIX process's file-size limit (support/disk_full.h).
#ifdef Q_OS_UNIX
    void plainSaveRefusesOrReportsAndKeepsTheOldFile()
    {
        const QString file = path("kept.ini");
        const QByteArray old = "122013\r\n7\r\nold content\r\n";
        QVERIFY(writeFile(file, old));
        // A folder named in Greek and Cyrillic that is not there: the box shows the path as the
        // system names it, not a question mark for each letter beyond Latin-1.
        const QString foreign = path("Παράμετροι/настройки.ini");
        const QString failed = QString::fromUtf8("Errore nella scrittura: il file NON è stato salvato  ");
        const struct { QString target; QStringList message; } cases[] = {
            {QString(), error(QString::fromLatin1("Non  \xE8 aperto alcun file ,fai salva con nome per aprirne uno"),
                              MessageIcon::None)},
            {file, error(failed + file, MessageIcon::Warning)},
            {foreign, error(failed + foreign, MessageIcon::Warning)},
        };
        for (const auto& c : cases) {
            auto form = formAnswering();
            form->module().CurrentFileName = QFile::encodeName(c.target).toStdString();
            form->module().FileMenuTexts[0] = std::string(5000, 'n');  // more than the disk takes
            tq::ui::MessageCapture capture;
            tq::test::withDiskFull(1000, [&] { use(*form, "salvafile"); });
            QCOMPARE(shown(capture), c.message);
            QCOMPARE(fileBytes(file), old);
        }
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("kept.ini*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kept.ini")});
    }
#endif

    void theFileDialogsFiltersFoldersAndReplacing()
    {
        Form1 form;
        // Not built before it is needed: a file dialog lists and watches the working folder.
        QVERIFY(!form.findChild<QFileDialog*>());
        QFileDialog* const Dialog1 = form.fileDialog();
        QCOMPARE(Dialog1->nameFilters(), QStringList{QStringLiteral("File di inizializzazione(*.ini)")});
        QVERIFY(Dialog1->defaultSuffix().isEmpty());
        QTemporaryDir sub;
        const QString chosen = sub.filePath(QStringLiteral("chosen.ini"));
        QString seen;  // the folder shown at the last opening, and whether replacing a file asks first
        for (bool save : {false, true}) {
            QTimer::singleShot(0, Dialog1, [&] {
                seen = Dialog1->directory().absolutePath() +
                        (Dialog1->testOption(QFileDialog::DontConfirmOverwrite) ? "" : " asks");
                Dialog1->selectFile(chosen);
                static_cast<QDialog*>(Dialog1)->accept();  // as the dialog's own button does
            });
            QCOMPARE(form.askPath(save), chosen);
        }
        QCOMPARE(seen, sub.path() + QStringLiteral(" asks"));
        QCOMPARE(form.findChildren<QFileDialog*>().size(), 1);

        // "apri copia di sicurezza" opens a dialog of its own in the backups' folder once there is
        // a backup; before, an empty dialog would only puzzle.
        const QString folder = tq::backupFolder();
        const struct { bool backup; QString shown; QStringList boxes; } cases[] = {
            {false, QString(), error("Nessuna copia di sicurezza in " + QDir::toNativeSeparators(folder), MessageIcon::None)},
            {true, folder + QStringLiteral("|File di inizializzazione(*.ini)"), {}},
        };
        for (const auto& c : cases) {
            if (c.backup)
                QVERIFY(QDir().mkpath(folder) && writeFile(folder + QStringLiteral("/20261206-153012-251-88.ini"), "122013\r\n"));
            QString shownDialog;
            QTimer::singleShot(0, &form, [&] {
                if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    shownDialog = dialog->directory().absolutePath() + QLatin1Char('|') + dialog->nameFilters().join(QLatin1Char(';'));
                    dialog->reject();
                }
            });
            tq::ui::MessageCapture capture;
            use(form, "apricopia");
            QCoreApplication::processEvents();  // the look for a dialog, also when none came
            QCOMPARE(shownDialog, c.shown);
            QCOMPARE(shown(capture), c.boxes);
        }
        QVERIFY(form.fileDialog()->directory().absolutePath() != folder);  // "apri file" keeps its own folder
    }

    // Roots compared root by root; Windows compares drive letters (usbKeyArrivesAsANewDriveLetter).
#ifndef Q_OS_WIN
    void usbCompilerFindsTheKeyWritesTheFileAndRemembersTheDrives()
    {
        QTemporaryDir key;
        const QString target = key.path() + QStringLiteral("/tq310/contq310.bin");
        QStringList roots{QStringLiteral("/")};
        auto form = formAnswering();
        form->show();
        form->module().FileParams[0] = 1;  // changed without a list refresh: the write recomputes the CRC
        tq::TrovaUsb& usb = form->usbCompiler();
        usb.setDriveSource([&roots] { return roots; });
        control<QAction>(*form, "ParUsb")->setEnabled(true);

        use(*form, "ParUsb");
        QVERIFY(usb.isVisible() && !form->isEnabled());
        const QString instructions = usb.Text1->toPlainText();
        QCOMPARE(instructions, QStringLiteral(
            "PROCEDURA PER LA PREPARAZIONE DELLA CONFIGURAZIONE:\n\n"
            " Inserire una chiave usb valida per TQ310,attendere che\n"
            " venga visualizzata la lettera assegnata poi confermare.\n"
            " Verra preparato un file CONTQ310.BIN pronto per essere letto dal TQ310\n\n"
            " NOTA: se la chiave era gia inserita deve essere tolta e poi reinserita\n"
            "       Se esiste gia un file  verra sovrascritto  senza condizioni\n\n"
            "Sul TQ310 si deve inserire la chiave usb  poi premere l'apposito pulsante per caricare \n"
            " la nuova configurazione.\n\n"
            "Il file di configurazione permane nella memoria del TQ310,qualora dovesse verificarsi\n"
            "una perdita di dati il sistema richedera automaticamente un aggiornamento "));
        QCOMPARE(usb.windowTitle(), QStringLiteral("Compilatore per file parametri CONTQ310.BIN "));
        usb.Timer1_Timer();
        QCOMPARE(usbState(usb), QStringLiteral(" detecting"));
        roots << key.path();
        usb.Timer1_Timer();
        QCOMPARE(usbState(usb), target + QStringLiteral(" Procedi"));

        // The key has no folder tq310 yet.
        const QString log = QStringLiteral(" Apro il file ") + target + QStringLiteral(
            "\n calcolo crc = 250 - 32\n Scritti 54 parametri di configurazione + 2 per CRC nel disco usb\n"
            " Scritte 12 stringhe definizioni lingua  nel disco usb\n\n OPERAZIONE COMPLETATA !!");
        usb.Command1->click();
        QCOMPARE(usb.Text1->toPlainText(),
                 log + QStringLiteral(" ERRORE NELLA SCRITTURA\nForse la chiave usb non contiene la cartella TQ310"));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(usbState(usb), target + QStringLiteral(" Procedi"));
        QCOMPARE(control<QLabel>(*form, "Label5")->text(), QStringLiteral("250-32 File"));

        QVERIFY(QDir(key.path()).mkdir(QStringLiteral("tq310")) && writeFile(target, QByteArray(1000, 'o')));
        usb.Command1->click();  // replaced without asking
        QCOMPARE(usb.Text1->toPlainText(), log);
        QCOMPARE(fileBytes(target), kUsbFile);

        usb.Command2->click();
        QVERIFY(!usb.isVisible() && form->isEnabled() && !usb.Timer1->isActive());

        // Reopened with the key still in: the drives known before it was found serve again.
        use(*form, "ParUsb");
        QCOMPARE(usb.Text1->toPlainText(), instructions);
        QCOMPARE(usbState(usb), QStringLiteral(" detecting"));
        usb.Timer1_Timer();
        QCOMPARE(usbState(usb), target + QStringLiteral(" Procedi"));
    }
#else
    // The key as Windows shows it: a new drive letter among the system's own roots, which the
    // window polls.
    void usbKeyArrivesAsANewDriveLetter()
    {
        QTemporaryDir key;
        QVERIFY(QDir(key.path()).mkdir(QStringLiteral("tq310")));
        auto form = formAnswering();
        form->show();
        form->module().FileParams[0] = 1;
        tq::TrovaUsb& usb = form->usbCompiler();
        control<QAction>(*form, "ParUsb")->setEnabled(true);
        use(*form, "ParUsb");
        usb.Timer1_Timer();
        QCOMPARE(usbState(usb), QStringLiteral(" detecting"));

        const tq::test::DriveLetter drive(key.path());
        QVERIFY(drive.plugged());
        usb.Timer1_Timer();
        const QString target = drive.root() + QStringLiteral("tq310\\contq310.bin");
        QCOMPARE(usbState(usb), target + QStringLiteral(" Procedi"));
        usb.Command1->click();
        QVERIFY(usb.Text1->toPlainText().endsWith(QStringLiteral("OPERAZIONE COMPLETATA !!")));
        QCOMPARE(fileBytes(key.filePath(QStringLiteral("tq310/contq310.bin"))), kUsbFile);
    }
#endif

    // ---- The safety net (Form1_backups.cpp): the lines that differ from the controller marked
    // and counted after every refresh, the device column greyed before anything was read, and the
    // backups of every read-back. The faults guarded against: a mark left on a line after the
    // copies agree, a mark missing where the commit would refuse, a count that is not the marks',
    // a list rebuilt (its selection lost) only to mark it, a backup that is not what "salva"
    // writes, a copy of an unchanged set-up at every read-back, a backup failure that disturbs the
    // read-back, and a backup opened otherwise than as "apri file" opens a file ----

    // Before any read-back nothing is marked and the device values are drawn lighter; from the
    // first, the marks follow every refresh and the count is theirs.
    void marksFollowEveryRefreshAndTheCountIsTheirs()
    {
        Connected c;
        c.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c.form));
        c.m().FileParams[0] = 1;
        c.m().FileMenuTexts[0] = "ABC";
        c.form.ListInit();
        QCOMPARE(marked(c.form), QList<int>());
        QCOMPARE(control<QLabel>(c.form, "Differenze")->text(), QStringLiteral("nessuna lettura dal TQ310"));
        const int working = darkest(list1(c.form), 0, 28), device = darkest(list1(c.form), 0, 34);
        QVERIFY2(working < 100 && device > working + 60, qPrintable(QStringLiteral("%1 %2").arg(working).arg(device)));
        QCOMPARE(list1(c.form)->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [0  ]"));

        const QString shortText = path("corto.ini");
        QByteArray file = "122013\r\n";
        for (int i = 0; i < tq::kParamCount; ++i)
            file += QByteArray::number(3 * i + 1) + "\r\n";
        QVERIFY(writeFile(shortText, file + "SELEZIONA \r\nCARTELLA\r\n"));  // the second text two characters short
        c.form.askPath = [&](bool) { return shortText; };
        tq::ui::MessageCapture capture;
        const auto readBack = [&c](const char* item, const std::string& texts = kDeviceTexts) {
            QVERIFY(c.readBack(item, deviceRecord(), texts));
        };
        const auto edit = [&c](int line, int choice) {  // through the dialog, as the user does
            list1(c.form)->setCurrentRow(line);
            c.form.editDialog()->Combo1->setCurrentIndex(choice);
            c.form.editDialog()->OKButton->click();
        };
        // The texts come a tick after the record: the record rebuilds the list marked by the texts
        // read before, and the texts mark it without rebuilding it.
        const auto textsAfterRecord = [&c](const std::string& texts, const QList<int>& before) {
            use(c.form, "daltq310");
            c.tickWhen(56, deviceRecord());
            QCOMPARE(marked(c.form), before);
            list1(c.form)->item(54)->setText(QStringLiteral("kept"));  // a rebuild would restore the header
            c.tickWhen(120, texts);
            QCOMPARE(list1(c.form)->item(54)->text(), QStringLiteral("kept"));
        };

        const struct { const char* step; std::function<void()> act; QList<int> rows; const char* count; } steps[] = {
            {"copied from the controller", [&] { readBack("ChipBuffer"); }, {}, "nessuna riga diversa dal TQ310"},
            {"the first text changed at the controller", [&] { textsAfterRecord("ALTRO     " + kDeviceTexts.substr(10), {}); },
             {55}, "1 riga diversa dal TQ310"},
            {"and taken back", [&] { textsAfterRecord(kDeviceTexts, {55}); }, {}, "nessuna riga diversa dal TQ310"},
            {"one parameter edited", [&] { edit(30, 5); }, {30}, "1 riga diversa dal TQ310"},
            {"read back without copying", [&] { readBack("daltq310"); }, {30}, "1 riga diversa dal TQ310"},
            {"copied again", [&] { readBack("ChipBuffer"); }, {}, "nessuna riga diversa dal TQ310"},
            // Texts 2 to 11 keep the controller's: only the short one differs.
            {"a file with a short text", [&] { use(c.form, "aprif"); }, {56}, "1 riga diversa dal TQ310"},
            {"the controller's texts changed", [&] { readBack("daltq310", "SELEZIONA CARTELLA  " + std::string(100, 'Z')); },
             {56, 57, 58, 59, 60, 61, 62, 63, 64, 65}, "10 righe diverse dal TQ310 + 1 testo non in lista"},
        };
        for (const auto& s : steps) {
            s.act();
            const QString count = control<QLabel>(c.form, "Differenze")->text();
            QVERIFY2(marked(c.form) == s.rows, s.step);
            QVERIFY2(count == QLatin1String(s.count), qPrintable(count));
            QVERIFY2(count.startsWith(QString::number(s.rows.size())) || s.rows.isEmpty(), s.step);
        }
        QCOMPARE(list1(c.form)->item(56)->toolTip(), QStringLiteral("buffer [CARTELLA]  TQ310 [CARTELLA  ]"));
        QCOMPARE(list1(c.form)->item(56)->text(), QStringLiteral("cartella       | CARTELLA"));
        QCOMPARE(list1(c.form)->item(0)->text(), QStringLiteral("Lato di inizio conteggio  1[1  ] [1  ]"));
        QVERIFY(darkest(list1(c.form), 0, 34) < 100);
        QVERIFY(capture.messages.empty());
    }

    void aReadBackKeepsOneBackupPerSetUpWhichOpensAsApriFileOpensAFile()
    {
        Connected c;
        tq::ui::MessageCapture capture;
        QCOMPARE(control<QMenu>(c.form, "config")->actions().last(), control<QAction>(c.form, "apricopia"));
        QVERIFY(c.readBack("daltq310", deviceRecord(), kDeviceTexts));
        const QString folder = tq::backupFolder();
        QStringList backups = tq::backupFiles(folder);
        QCOMPARE(backups.size(), 1);
        // Named by the moment and the device CRC as its caption shows it.
        const QString crc = control<QLabel>(c.form, "Label4")->text().section(QLatin1Char(' '), 0, 0);
        QVERIFY2(QRegularExpression("^\\d{8}-\\d{6}-" + crc + "\\.ini$").match(backups[0]).hasMatch(), qPrintable(backups[0]));

        // "salva" of the same values, through the menu, writes the same bytes.
        std::copy_n(c.m().ChipParams.begin(), tq::kParamCount, c.m().FileParams.begin());
        std::copy_n(c.m().ChipMenuTexts.begin(), tq::kDeviceMenuTexts, c.m().FileMenuTexts.begin());
        c.m().CurrentFileName = path("salvato.ini").toStdString();
        use(c.form, "salvafile");
        QCOMPARE(fileBytes(folder + QLatin1Char('/') + backups[0]), fileBytes(path("salvato.ini")));

        // The same set-up read again, also into the buffer: nothing new; a changed one: a second.
        QVERIFY(c.readBack("daltq310", deviceRecord(), kDeviceTexts) && c.readBack("ChipBuffer", deviceRecord(), kDeviceTexts));
        QCOMPARE(tq::backupFiles(folder), backups);
        QVERIFY(c.readBack("daltq310", deviceRecord(1), kDeviceTexts));
        backups = tq::backupFiles(folder);
        QCOMPARE(backups.size(), 2);

        QString offered;
        const QString newest = folder + QLatin1Char('/') + backups.last();
        const struct { QString chosen; QString label1; bool parUsb; } cases[] = {
            {QString(), kDefaultCaption, false},  // cancelled: nothing changed
            {newest, QStringLiteral(" File = ") + QDir::toNativeSeparators(newest), true},
        };
        c.m().CurrentFileName = "Dati di default";
        c.form.ListInit();
        for (const auto& k : cases) {
            control<QAction>(c.form, "ParUsb")->setEnabled(false);
            c.form.askBackupPath = [&](const QString& f) { offered = f; return k.chosen; };
            use(c.form, "apricopia");
            QCOMPARE(offered, folder);
            QCOMPARE(control<QLabel>(c.form, "Label1")->text(), k.label1);
            QCOMPARE(control<QAction>(c.form, "ParUsb")->isEnabled(), k.parUsb);
        }
        QCOMPARE(c.m().CurrentFileName, newest.toStdString());
        QVERIFY(std::equal(c.m().ChipParams.begin(), c.m().ChipParams.begin() + 56, c.m().FileParams.begin()));
        QCOMPARE(marked(c.form), QList<int>());
        QVERIFY(capture.messages.empty());
    }

    // The system's reasons are POSIX's.
#ifdef Q_OS_UNIX
    void aBackupThatFailsIsReportedOnceWithItsReasonAndChangesNothingElse()
    {
        QVERIFY(writeFile(path("plain"), {}));
        const QString unwritable = path("plain/copie");  // not even root makes it
        const QString failed = QStringLiteral("Copia di sicurezza NON salvata in ") + unwritable;
        for (const char* item : {"daltq310", "ChipBuffer"}) {
            QString screens[2];
            QStringList boxes[2];
            std::string terminals[2];
            const QString folders[2] = {path("buone-") + QLatin1String(item), unwritable};
            for (int run = 0; run < 2; ++run) {
                qputenv("TQ310_BACKUPS", folders[run].toLocal8Bit());
                Connected c;
                tq::ui::MessageCapture capture;
                QVERIFY(c.readBack(item, deviceRecord(), kDeviceTexts));
                QCoreApplication::processEvents();  // the box comes after the tick that took the texts
                screens[run] = c.inHand();
                terminals[run] = c.terminal();
                for (const tq::ui::ShownMessage& m : capture.messages)
                    boxes[run] << m.shown;
                QCOMPARE(tq::backupFiles(folders[run]).size(), run == 0 ? 1 : 0);
            }
            QCOMPARE(screens[1], screens[0]);
            QCOMPARE(terminals[1], terminals[0] + failed.toStdString() + "\r\n");
            QCOMPARE(boxes[0], QStringList());
            QCOMPARE(boxes[1], QStringList{failed + QStringLiteral(" (") + qt_error_string(ENOTDIR) + QLatin1Char(')')});
        }
    }
#endif

    // ---- Transfers and diagnostics (Form1_transfers.cpp, Form1_diagnostics.cpp): each item and
    // button reaches its own sender (whose steps are the link tests' business), and nothing
    // without a port ----

    void eachItemReachesItsSenderAndNothingWithoutAPort()
    {
        const std::pair<const char*, std::string> rows[] = {
            {"daltq310", "H1 mode 1 seq -1 cleared"}, {"ChipBuffer", "H1 mode 1 seq -1 cleared copy"},
            {"AlTq310", "L177 mode 6 seq -1"},         {"Weeprom", "W8 mode 6 seq -1"},
            {"RipIni", "z1 mode 6 seq -1"},            {"ErrEEprom", "@1 mode 6 seq -1"},
            {"VMenu", "J1 mode 2 seq -1"},             {"LPFU", "Y1 mode 4 seq -1"},
            {"Command17", "M1 mode 0 seq -1"},         {"Command1", "N1 mode 0 seq -1"},
            {"Command3", "21 mode 0 seq -1"},          {"Command4", "11 mode 0 seq -1"},
            {"Command5", "E1 mode 0 seq -1"},          {"Command6", "$1 mode 0 seq -1"},
            {"Command18", "0 mode 6 seq -1 cleared"},  {"Command11", "0 mode 0 seq -1 cleared"},
            {"Command19", "C1 mode 0 seq -1 cleared"}, {"Command13", "0 mode 5 seq -1"},
            {"CIngressi", "0 mode 5 seq -1"},          {"Command26", "y1 mode 0 seq -1"},
            {"Command22", "/1 mode 0 seq -1"},         {"Command15", "R1 mode 0 seq -1"},
            {"Command16", "0 mode 7 seq 0"},           {"Command23", "0 mode 7 seq -1"},
            {"Command24", "0 mode 6 seq 0"},
        };
        Form1Rig off;
        QTest::mouseClick(off.form.chooser()->Command2, Qt::LeftButton);
        for (const auto& [name, expected] : rows) {
            const std::string effect = itemEffect(name);
            QVERIFY2(effect == expected, (std::string(name) + ": " + effect).c_str());
            use(off.form, name);
        }
        const tq::EngineState& e = off.m().Engine;
        QVERIFY(e.mode() == tq::ReceiveMode::Terminal && e.ChipToBuffer() == 0 && off.interval() == tq::interval::Start);
    }

    void aWriteShowsTheFreshCrcAndACommitBeforeAnyReadBackTheStopBox()
    {
        Connected c;
        c.m().FileParams[0] = 1;
        use(c.form, "AlTq310");
        QCOMPARE(control<QLabel>(c.form, "Label5")->text(), QStringLiteral("250-32 File"));
        c.port->clearSent();
        tq::ui::MessageCapture capture;  // the device copy is still zero
        use(c.form, "Weeprom");
        QVERIFY(c.port->writes.empty());
        QCOMPARE(shown(capture), error(" Operazione annullata :I parametri del buffer non sono uguali a quelli del TQ310 ",
                                       MessageIcon::Critical));
    }

    void produciShowsSevenCoursesThenOneACount()
    {
        Connected c;
        c.m().FileParams[0] = 1;  // counting starts on the right
        use(c.form, "Command14");
        tq::InpOut& window = *c.form.inpOut();
        QVERIFY(window.isVisible() && !c.form.isEnabled() && c.interval() == 50);
        for (int course = 0; course < 7; ++course)
            c.tickWhen(4, courseWith(course));
        c.tick();
        QCOMPARE(c.port->sent(), std::string("RSSSSSS"));  // no eighth course is asked for
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.Label1[i]->text(), QString());
        QCOMPARE(window.Label1[3]->text(),
                 QStringLiteral(". . . . . . . .  . . . . . . . .  . . . . . . . .  . . . . . . . *  <0"));
        QVERIFY(window.Label1[9]->text().endsWith(QLatin1String("<6")));

        window.Command1->click();  // "CONTEGGIO": one course, and no more asked for
        c.tickWhen(4, courseWith(31));
        c.tick();
        QCOMPARE(c.port->sent(), std::string("RSSSSSSS"));
        QVERIFY(window.Label1[9]->text().endsWith(QLatin1String(">7")));

        window.Command2->click();  // "RESET" starts again
        QCOMPARE(c.port->sent(), std::string("RSSSSSSSR"));
        QVERIFY(c.m().RowCounter == 0 && window.Label1[9]->text().isEmpty());

        window.close();
        QVERIFY(c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
    }

    void theOutputTestOffersTheBoardsOutputsAndSendsTheTickedOnesUntilItCloses()
    {
        // Four boards or more: the 24 boxes are all usable, each whole inside the window. "Tutti ON"
        // and "Tutti OFF" recompute the pattern once, after the last box: a recomputation per box
        // would show it growing.
        for (const auto [boards, usable] : {std::pair{0, 0}, {1, 8}, {5, 24}}) {
            Connected c;
            tq::Form2& window = openOutputTest(c, std::uint8_t(boards));
            QStringList seen;
            for (int i = 0; i < 24; ++i) {
                QCheckBox* box = window.Check1[i];
                QVERIFY2(box->isVisible() && window.rect().contains(box->geometry()) && box->sizeHint().width() <= box->width()
                             && box->isEnabled() == (i < usable),
                         qPrintable(box->text()));
                connect(box, &QCheckBox::toggled, this,
                        [&] { seen << hex(pattern(c.m())) + " mode " + QString::number(int(c.m().Engine.mode())); });
            }
            QCOMPARE(window.Check1[8]->text(), QStringLiteral("Out 9 [Pin 1]"));
            QCOMPARE(window.Command1->isEnabled() && window.Command2->isEnabled(), usable > 0);
            const std::string all = usable == 8 ? std::string("\xFF\0\0", 3) : "\xFF\xFF\xFF";
            for (const bool on : {true, false}) {
                if (usable == 0)
                    break;
                const QString during = hex(pattern(c.m())) + " mode " + QString::number(int(tq::ReceiveMode::OutputTest));
                seen.clear();
                (on ? window.Command1 : window.Command2)->click();
                QCOMPARE(seen, QStringList(usable, during));
                QCOMPARE(hex(pattern(c.m())), hex(on ? all : std::string(3, '\0')));
                QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::OutputTest);
            }
        }

        Connected c;
        use(c.form, "Command13");  // polling the inputs
        tq::Form2& window = openOutputTest(c, 3);
        QVERIFY(window.isVisible() && !c.form.isEnabled());
        QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::Terminal);
        QCOMPARE(control<QPlainTextEdit>(c.form, "Text1")->toPlainText(), QStringLiteral("Seleziona uscite"));
        for (int output : {1, 8, 9, 24})
            window.Check1[output - 1]->click();
        QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::OutputTest);
        QCOMPARE(pattern(c.m()), std::string("\x81\x01\x80"));  // the engine sends them after "!"

        window.Command3->click();  // "Uscita"
        QVERIFY(!window.isVisible() && c.form.isEnabled());
        QTRY_VERIFY(c.form.isActiveWindow());
        QCOMPARE(c.m().Engine.mode(), tq::ReceiveMode::Terminal);

        // Reopened: the boxes start cleared, the last pattern stays until a box changes.
        QCOMPARE(&openOutputTest(c, 1), &window);
        for (QCheckBox* box : window.Check1)
            QVERIFY(!box->isChecked());
        QCOMPARE(pattern(c.m()), std::string("\x81\x01\x80"));
    }

    // ---- The terminal Text1 at the main window's own size. The fault it guards: every
    // replacement of the text scrolled it to the end, so the input status (a heading and seven
    // inputs, replaced every 120 ms) always hid its heading and first inputs, a reader's scrolling
    // was undone at the next refresh, and the menu list and the output phases opened past their
    // headings ----

    // The input status keeps its heading in sight and the reader's place through its refreshes;
    // a text of another kind, after the reader scrolled to the last input, starts at its first line;
    // free text is followed only from its end.
    void theTerminalKeepsHeadingsAndTheReadersPlaceAndFollowsOnlyFromTheEnd()
    {
        Connected c;
        Form1& f = c.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.terminal().set(std::string(40, '-'));  // a text of another kind before
        use(f, "CIngressi");
        pollForASecond(c, 0x05);
        QVERIFY2(bar(f)->maximum() > 0, "the input status fits: the window is larger than the tool's own size");
        QCOMPARE(bar(f)->value(), bar(f)->minimum());
        QCOMPARE(topLine(f), QStringLiteral(" Stato ingressi :"));

        // The reader scrolls down three steps; the refreshes leave them there.
        for (int i = 0; i < 3; ++i)
            bar(f)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        const int place = bar(f)->value();
        const QString line = topLine(f);
        QVERIFY(place > 0 && line != QStringLiteral(" Stato ingressi :"));
        pollForASecond(c, 0x01);
        QCOMPARE(bar(f)->value(), place);
        QCOMPARE(topLine(f), line);
        QVERIFY(control<QPlainTextEdit>(f, "Text1")->toPlainText().contains(QStringLiteral("Mor.14(reset macchina)     = [OFF]")));

        const struct { const char* item; std::string answer; QString heading; } cases[] = {
            {"VMenu", kDeviceTexts, QStringLiteral("VOCI NEL MENU = 12")},
            {"LPFU", std::string(32, '\x01'), QStringLiteral(" Parametri momento uscita funzione ")},
        };
        for (const auto& k : cases) {
            use(f, "CIngressi");
            pollForASecond(c, 0x7F);
            bar(f)->setValue(bar(f)->maximum());  // the reader had scrolled to the last input
            use(f, k.item);
            c.tickWhen(0, k.answer);
            QVERIFY2(bar(f)->maximum() > 0, k.item);
            QCOMPARE(bar(f)->value(), bar(f)->minimum());
            QCOMPARE(topLine(f), k.heading);
        }

        // Free text is followed only while the reader is at its end.
        int sent = 0;
        const auto arrive = [&](int lines) {  // free text from the controller, one tick's worth
            std::string text;
            for (int i = 0; i < lines; ++i)
                text += "riga " + std::to_string(sent++) + "\r\n";
            c.tickWhen(0, text);
        };
        use(f, "Command18");  // "Cancella testo": the terminal takes free text
        while (bar(f)->maximum() < 20)
            arrive(5);
        QCOMPARE(bar(f)->value(), bar(f)->maximum());

        bar(f)->setValue(bar(f)->maximum() - 10);  // the reader scrolls up
        const int kept = bar(f)->value();
        const QString shownLine = topLine(f);
        arrive(5);
        QVERIFY(bar(f)->maximum() > kept + 10);
        QCOMPARE(bar(f)->value(), kept);
        QCOMPARE(topLine(f), shownLine);

        QPlainTextEdit* Text1 = control<QPlainTextEdit>(f, "Text1");
        QTest::keyClick(Text1, Qt::Key_End, Qt::ControlModifier);  // back at the end: followed again
        QCOMPARE(bar(f)->value(), bar(f)->maximum());
        arrive(5);
        QCOMPARE(bar(f)->value(), bar(f)->maximum());
        QCOMPARE(Text1->document()->lastBlock().previous().text(), QStringLiteral("riga %1").arg(sent - 1));
    }

    // ---- The main window and the port chooser without a mouse. The faults guarded against: the
    // keyboard focus reaching the parameter list (by Tab, after a list rebuild, or when the main
    // window comes back after a secondary window) opened the edit dialog for parameter 1 by
    // itself; Enter in the chooser never connected the highlighted entry; the secondary windows
    // belonged to no window, so that a window manager could leave them behind the disabled main
    // window; on Linux no key but Alt reached the menus ----

    void theMenusAreReachedWithAltAndF10()
    {
        Connected c;
        Form1& f = c.form;
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
        QCOMPARE(c.port->sent(), std::string("H"));  // "Trasferisci parametri da  TQ310 al buffer"
        QCOMPARE(f.module().Engine.ChipToBuffer(), std::uint8_t(1));

        // F10 opens "File", as on Windows and GNOME, where Alt may belong to the desktop.
        control<QPushButton>(f, "Command18")->setFocus(Qt::TabFocusReason);
        press(Qt::Key_F10);
        QVERIFY(QTest::qWaitFor([&f] { return QApplication::activePopupWidget() == control<QMenu>(f, "config"); }));
        QTest::keyClick(control<QMenu>(f, "config"), Qt::Key_Escape);
    }

    void theKeysChooseTheLineTheyMoveTo()
    {
        // From: the line chosen before, or -1 for the focus alone (which made line 0 current).
        // To: the line whose dialog opens; -2 for "a page further down".
        const struct { const char* name; int from; Qt::Key key; int to; } cases[] = {
            {"Down on a chosen line", 10, Qt::Key_Down, 11}, {"Up", 10, Qt::Key_Up, 9},
            {"Home", 10, Qt::Key_Home, 0},                   {"End", 10, Qt::Key_End, 65},
            {"Page Down", 10, Qt::Key_PageDown, -2},         {"Down from the focus", -1, Qt::Key_Down, 1},
            {"Space at the focus", -1, Qt::Key_Space, 0},    {"Enter at the focus", -1, Qt::Key_Return, 0},
        };
        for (const auto& k : cases) {
            Connected c;
            QVERIFY(becomesActive(&c.form));
            QListWidget* list = list1(c.form);
            list->setFocus(Qt::TabFocusReason);
            if (k.from >= 0)
                list->setCurrentRow(k.from);
            QVERIFY(list->currentRow() == std::max(k.from, 0));
            QTest::keyClick(list, k.key);
            const int to = k.to == -2 ? list->currentRow() : k.to;
            QVERIFY2(k.to != -2 || to > 11, k.name);
            QVERIFY2(c.form.editDialog() && c.form.editDialog()->isVisible()
                         && control<tq::ui::ChoiceList>(c.form, "List1")->chosenRow() == to, k.name);
            QCOMPARE(c.form.editDialog()->windowTitle(), list->item(to)->text());
        }
    }

    // An edit by keys, then on to the next line; Escape cancels, and Enter on the line chosen
    // opens its dialog again.
    void anEditByKeysThenOnToTheNextLine()
    {
        Connected c;
        Form1& f = c.form;
        QVERIFY(becomesActive(&f));
        f.module().FileParams[3] = 1;  // one board: outputs 0 to 8
        f.ListInit();
        list1(f)->setFocus(Qt::TabFocusReason);
        list1(f)->setCurrentRow(9);
        QTest::keyClick(list1(f), Qt::Key_Down);
        tq::Dialog* d = f.editDialog();
        QVERIFY(becomesActive(d));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d->Combo1));  // the number, ready for the arrows
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(f.module().FileParams[10], std::uint8_t(1));
        QVERIFY(!d->isVisible() && becomesActive(&f));
        QCOMPARE(QApplication::focusWidget(), list1(f));
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Return}) {
            press(key);
            QVERIFY(becomesActive(d));
            QCOMPARE(d->windowTitle(), list1(f)->item(11)->text());
            press(Qt::Key_Escape);
            QVERIFY(!d->isVisible() && becomesActive(&f));
            QCOMPARE(QApplication::focusWidget(), list1(f));
        }
    }

    void theChooserConnectsTheEntryEnterIsPressedOn()
    {
        const struct { const char* keys; QString outcome; } cases[] = {
            {"Down Down Return", "Com.7, opened 1 time(s)"}, {"Return", "Com.5, opened 1 time(s)"},
            {"End Up Enter", "Com.7, opened 1 time(s)"},
            {"Down Down", "choosing"}, {"Down Space", "choosing"}, {"Esc", "choosing"},  // nothing opened on the way
            {"Tab Space", "senza connessione"}, {"Tab Return", "senza connessione"},
        };
        for (const auto& c : cases) {
            Form1Rig rig({{"Porta seriale (COM5)"}, {"Porta seriale (COM6)"}, {"Porta seriale (COM7)"}, {"Porta seriale (COM8)"}});
            QVERIFY(becomesActive(rig.form.chooser()));
            QCOMPARE(QApplication::focusWidget(), rig.form.chooser()->List1);
            for (const QString& k : QString::fromLatin1(c.keys).split(QLatin1Char(' ')))
                press(QKeySequence(k)[0].key());
            QCOMPARE(QString::fromLatin1(c.keys) + QStringLiteral(": ") + outcome(rig),
                     QString::fromLatin1(c.keys) + QStringLiteral(": ") + c.outcome);
        }
        // A double click, as the window system delivers it: a click, then a press that makes it
        // double, and a release. It connects once.
        Form1Rig rig(Ports{{"Porta seriale (COM5)"}, {"Porta seriale (COM6)"}});
        QListWidget* list = rig.form.chooser()->List1;
        const QPoint at = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(outcome(rig), QStringLiteral("Com.6, opened 1 time(s)"));
    }

    // The secondary windows and the message boxes belong to the main window, so that no window
    // manager leaves them behind it. Each opens with the keyboard in it and the main window
    // disabled, the first time and later, and closes from the keyboard; the main window comes
    // back, its list having had the focus and no current line (as after a rebuild), and no line
    // is chosen by that.
    void secondaryWindowsBelongToTheMainWindowWhichComesBackChoosingNothing()
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

        f.usbCompiler().setDriveSource([] { return QStringList{QStringLiteral("/")}; });
        tq::TrovaUsb& usb = f.usbCompiler();
        const struct { const char* name; std::function<QWidget*()> open; std::function<void()> close; } openings[] = {
            {"Programmatore TTL", [&] { use(f, "prog"); return (QWidget*)f.programmerWindow(); }, [] { press(Qt::Key_Escape); }},
            {"Controllo uscite TQ310", [&] { use(f, "TetUscite"); return (QWidget*)f.form2(); },
             [&] { QTest::keyClick(f.form2()->Command3, Qt::Key_Space); }},
            {"Parametri da chiave usb", [&] { control<QAction>(f, "ParUsb")->setEnabled(true); use(f, "ParUsb"); return (QWidget*)&usb; },
             [&] { QTest::keyClick(usb.Command2, Qt::Key_Space); }},
            {"Produci", [&] { use(f, "Command14"); return (QWidget*)f.inpOut(); }, [&] { f.inpOut()->close(); }},
            {"Connetti",
             [&] {
                 use(f, "disconnetti");
                 list1(f)->setFocus(Qt::TabFocusReason);
                 f.ListInit();
                 use(f, "connetti");
                 return (QWidget*)f.chooser();
             },
             [] {
                 press(Qt::Key_Tab);  // from the list to "Lavore senza nessuna connessione"
                 press(Qt::Key_Space);
             }},
        };
        for (int round = 0; round < 2; ++round) {
            use(f, "connetti");
            rig.connect(0);
            QVERIFY(becomesActive(&f));
            for (const auto& o : openings) {
                list1(f)->setFocus(Qt::TabFocusReason);
                f.ListInit();
                QCOMPARE(list1(f)->currentRow(), -1);
                QWidget* window = o.open();
                QVERIFY2(owned(window) && !f.isEnabled() && becomesActive(window), o.name);
                o.close();
                QVERIFY2(QTest::qWaitFor([&] { return f.isEnabled() && f.isActiveWindow(); }), o.name);
                QCoreApplication::processEvents();
                // Whatever has the focus now, and the list once Tab brings it there.
                for (int i = 0; i < 40 && QApplication::focusWidget() != list1(f); ++i)
                    press(Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), list1(f));
                QVERIFY2(!f.editDialog() && control<tq::ui::ChoiceList>(f, "List1")->chosenRow() == -1, o.name);
            }
        }

        // The edit dialog keeps its own rule: above every window, usable while the main one is not.
        list1(f)->setCurrentRow(5);
        use(f, "prog");
        QVERIFY(f.editDialog()->isVisible() && f.editDialog()->isEnabled() &&
                (f.editDialog()->windowFlags() & Qt::WindowStaysOnTopHint));
    }

    // ---- What a screen reader does to a control is what a click does. The fault it guards: a
    // check box of "Test uscite" ticked through its Toggle action showed ticked while the output
    // pattern stayed as it was and nothing was sent. Every check box, option and list line of every
    // window is used once by a click and once by its Toggle, each on a fresh main window, and what
    // follows must be the same. Every control has a name to be read out, and Tab reaches every
    // control of every window and leaves it again (the trace window's table kept Tab to itself, so
    // that its buttons could not be reached from it) ----

    void everyControlActsOnItsToggleAsOnAClick()
    {
        int checked = 0;
        for (const Window& window : kWindows) {
            std::vector<Control> controls;
            {
                Form1Rig rig(kTwoPorts);
                tq::ui::MessageCapture messages;
                controls = controlsOf(window.open(rig));
            }
            for (const Control& c : controls) {
                QString after[2];  // a click, then the Toggle
                for (int way = 0; way < 2; ++way) {
                    Form1Rig rig(kTwoPorts);
                    tq::ui::MessageCapture messages;
                    QWidget* w = window.open(rig);
                    if (way == 0) {
                        c.click(w);
                    } else {
                        QAccessibleInterface* control = c.accessible(w);
                        QAccessibleActionInterface* actions = control ? control->actionInterface() : nullptr;
                        QVERIFY2(actions && actions->actionNames().contains(QAccessibleActionInterface::toggleAction()),
                                 qPrintable(c.name));
                        actions->doAction(QAccessibleActionInterface::toggleAction());
                    }
                    after[way] = QString::fromLatin1(window.name) + QLatin1Char(' ') + c.name + QLatin1Char('\n')
                        + world(rig, messages);
                }
                QCOMPARE(after[1], after[0]);
                ++checked;
            }
        }
        // 24 boxes, the dialog's options twice, the lines of two lists: a walk that found fewer
        // walked the wrong windows.
        QVERIFY2(checked >= 35, qPrintable(QString::number(checked)));
    }

    // Each window walked as a keyboard user, a screen reader and a laptop's screen find it: Tab
    // and Shift+Tab go once round its controls, every one on the way, and back the same way; every
    // control has a name to be read out; and on a laptop of 1366 x 768, which leaves about 720
    // pixels below the desktop's panels, 40 of them for the title bar (test_app_form1_x11 gives
    // that screen), the window opens within the screen, fits 1366 x 680 and cuts off no control.
    void everyWindowIsWalkedByTabReadOutAndFitsALaptopScreen()
    {
        const auto isControl = [](const QWidget* c) {
            return qobject_cast<const QAbstractButton*>(c) || qobject_cast<const QAbstractItemView*>(c) ||
                   qobject_cast<const QPlainTextEdit*>(c) || qobject_cast<const QLineEdit*>(c) ||
                   qobject_cast<const QComboBox*>(c);
        };
        const auto names = [](const QList<QWidget*>& widgets) {
            QStringList out;
            for (const QWidget* w : widgets)
                out << w->objectName();
            return out.join(QLatin1Char(' '));
        };
        const bool laptop = QGuiApplication::primaryScreen()->size() == QSize(1366, 768);
        const QSize room(1366, 680);
        int walked = 0, named = 0;
        for (const Window& window : kWindows) {
            Form1Rig rig(kTwoPorts);
            tq::ui::MessageCapture messages;
            QWidget* w = window.open(rig);
            const QString where = QString::fromLatin1(window.name) + QStringLiteral(": ");
            QList<QWidget*> controls;
            for (QWidget* c : w->findChildren<QWidget*>()) {
                if (c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus) && !c->focusProxy())
                    controls << c;
                // Hidden ones too (the dialog's other layouts), not Qt's own, which it names, nor the
                // parts of a control (a combo box's list), which are read out with it.
                bool part = !isControl(c) || c->objectName().startsWith(QLatin1String("qt_"));
                for (QWidget* up = c->parentWidget(); up && up != w; up = up->parentWidget())
                    part = part || isControl(up);
                if (part)
                    continue;
                QVERIFY2(!QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name).trimmed().isEmpty(),
                         qPrintable(where + c->objectName()));
                ++named;
            }
            if (!controls.isEmpty()) {  // prog1 has a picture and a text
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
                QVERIFY2(forward.first() == forward.last()
                             && QSet<QWidget*>(forward.begin(), forward.end()) == QSet<QWidget*>(controls.begin(), controls.end()),
                         qPrintable(where + names(forward)));
                QCOMPARE(where + names(backward), where + names(forward));
            }
            if (!laptop)
                continue;
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
        QCOMPARE(walked, int(std::size(kWindows)) - 1);
        // The chooser's 2, the main window's 19, InpOut's 2, Form2's 27, TrovaUsb's 3, the dialog's
        // 8 twice, the trace window's 8: a walk that found fewer walked the wrong windows.
        QVERIFY2(named >= 77, qPrintable(QString::number(named)));
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
