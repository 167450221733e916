// The main window itself: its menus and controls, and what the receive engine reports to it.
#include "app/Form1.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/help_menu.h"
#include "editor/dialog.h"
#include "operations/form2.h"
#include "operations/inp_out.h"
#include "params/list_view.h"
#include "ui/fonts.h"
#include "ui/menu_keys.h"
#include "ui/screen_fit.h"

namespace tq {

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QLatin1String(name));
    if (tip)
        b->setToolTip(QString::fromLatin1(tip));
    return b;
}

QGroupBox* group(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr)
{
    auto* g = new QGroupBox(QString::fromLatin1(caption), parent);
    g->setObjectName(QLatin1String(name));
    if (tip)
        g->setToolTip(QString::fromLatin1(tip));
    return g;
}

QAction* item(QMenu* menu, const char* name, const char* caption)
{
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setObjectName(QLatin1String(name));
    return a;
}

QMenu* menu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* m = bar->addMenu(QString::fromLatin1(caption));
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name) + QLatin1String("Action"));
    return m;
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(interval::Start);

    buildMenus();
    buildControls();
    ui::openFirstMenuOnF10(this);
    ui::keepOnScreen(this);

    installLink();
    installFiles();
    installEditor();
    installTransfers();
    installDiagnostics();
    installBackups();
    installTrace();
    new HelpMenu(this);
}

Form1::~Form1()
{
    // The windows this one owns follow it out of sight on its Hide event; let that happen while
    // they still exist, not from QWidget's destructor after the members are gone.
    hide();
}

void Form1::buildMenus()
{
    QMenuBar* bar = menuBar();
    config = menu(bar, "config", "File");
    aprif = item(config, "aprif", "apri file");
    salvafile = item(config, "salvafile", "salva");
    salvaas = item(config, "salvaas", "salva con nome");
    apricopia = item(config, "apricopia", "apri copia di sicurezza");

    tq310 = menu(bar, "tq310", "TQ310");
    daltq310 = item(tq310, "daltq310", "Carica parametri  dal TQ310");
    ChipBuffer = item(tq310, "ChipBuffer", "Trasferisci parametri da  TQ310 al buffer");
    AlTq310 = item(tq310, "AlTq310", "Trafferisci parametri nel TQ310");
    Weeprom = item(tq310, "Weeprom", "Salva parametri  nella EEPROM");
    RipIni = item(tq310, "RipIni", "Ripeti inizializzazione");

    accessori = menu(bar, "accessori", "Accessori");
    CIngressi = item(accessori, "CIngressi", "Controllo ingressi TQ310");
    TetUscite = item(accessori, "TetUscite", "Controllo uscite TQ310");
    VMenu = item(accessori, "VMenu", "Lista voci dei menu dal TQ31");
    LPFU = item(accessori, "LPFU", "Lettura parametri fase uscita comandi");
    ErrEEprom = item(accessori, "ErrEEprom", "Forza errore nella EEPROM per debug");
    RegLinea = item(accessori, "RegLinea", "Registro della linea");

    connessione = menu(bar, "connessione", "Connessione");
    connetti = item(connessione, "connetti", "Connetti");
    disconnetti = item(connessione, "disconnetti", "Disconnetti");
    prog = item(connessione, "prog", "Programmatore TTL");

    ParUsb = bar->addAction(QStringLiteral("Parametri da chiave usb"));
    ParUsb->setObjectName(QStringLiteral("ParUsb"));
}

void Form1::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

    List1 = new ui::ChoiceList(central);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(ui::fixedFont(10));
    List1->setToolTip(QStringLiteral(
        "I parametri di sinistra sono riferiti al file mentra quelli di destra provengono dal chip"));
    List1->setMinimumWidth(List1->fontMetrics().horizontalAdvance(QString(44, QLatin1Char('M'))));
    List1->setAccessibleName(QStringLiteral("Lista parametri"));

    Text1 = new QPlainTextEdit(central);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(ui::fixedFont(10));
    Text1->setReadOnly(true);
    Text1->setAccessibleName(QStringLiteral("Terminale"));
    // Four lines at least (the whole of NoAnswerText): below the designed size the list and the
    // terminal give up height, and on a laptop's 768 pixels the window keeps every button in sight.
    Text1->setMinimumHeight(Text1->fontMetrics().lineSpacing() * 4 + 2 * Text1->frameWidth()
                            + 2 * int(Text1->document()->documentMargin()));

    Differenze = new QLabel(central);
    Differenze->setObjectName(QStringLiteral("Differenze"));

    Label1 = new QLabel(QStringLiteral("Default "), central);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label8 = new QLabel(central);
    Label8->setObjectName(QStringLiteral("Label8"));
    LabelSim = new QLabel(QStringLiteral(" SIMULATORE "), central);
    LabelSim->setObjectName(QStringLiteral("LabelSim"));
    LabelSim->setToolTip(QStringLiteral(
        "Collegato al controllore simulato interno: parametri scritti e salvati in EEPROM non arrivano a nessuna macchina"));
    LabelSim->setStyleSheet(QStringLiteral("QLabel { background: #C0392B; color: white; font-weight: bold; }"));
    LabelSim->hide();

    Label2 = group(central, "Label2", "Replica della tastiera  del TQ310",
                   "I comandi nel riquadro agiscono come la tatiera  del pannello TQ310");
    Command17 = button(Label2, "Command17", "Menu +");
    Command1 = button(Label2, "Command1", "Menu -");
    Command5 = button(Label2, "Command5", "ENT");
    Command3 = button(Label2, "Command3", "");
    Command4 = button(Label2, "Command4", "");
    Command6 = button(Label2, "Command6", "");
    auto* keys = new QGridLayout(Label2);
    keys->addWidget(Command17, 0, 0);
    keys->addWidget(Command3, 0, 1);
    keys->addWidget(Command1, 1, 0);
    keys->addWidget(Command4, 1, 1);
    keys->addWidget(Command5, 2, 0);
    keys->addWidget(Command6, 2, 1);

    Label6 = group(central, "Label6", "CRC parametri",
                   " modulo CRC CCIT  G(x) = x16 + x12 + x5 + 1.per controllo errori ");
    Label4 = new QLabel(Label6);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label5 = new QLabel(Label6);
    Label5->setObjectName(QStringLiteral("Label5"));
    auto* crc = new QHBoxLayout(Label6);  // side by side: one row of height less on a laptop
    crc->addWidget(Label4);
    crc->addWidget(Label5);

    Label9 = group(central, "Label9", "Debug dispositivi");
    Command18 = button(Label9, "Command18", "Cancella testo", "Svuota dal testo corrente la finestra");
    Command11 = button(Label9, "Command11", "test VDIP1",
                       "Visualizza nella finestra tutte le risposte date dal modulo VDIP1 sollecitate dalla tastiera remota");
    Command19 = button(Label9, "Command19", "Rileggi driver",
                       "Forza una nuova lettura della chiave usb  come da tastiera remota");
    Command13 = button(Label9, "Command13", "lettura ingressi", "Prmette il debug degli ingreaasi di comando");
    Command14 = button(Label9, "Command14", "Produci", "Simula su schermo la maglia corrente caricata in memoria");
    auto* devices = new QVBoxLayout(Label9);
    for (QPushButton* b : {Command18, Command11, Command19, Command13, Command14})
        devices->addWidget(b);

    Label10 = group(central, "Label10", "Debug memoria",
                    "I comandi nel riquadro permettono di navigare nella memoria  per trovare eventuali anomalie o guasti");
    Command16 = button(Label10, "Command16", "Passo", "Lettura passo singolo incrementale");
    Command23 = button(Label10, "Command23", "ON", "Inizio lettura sequenziale");
    Command24 = button(Label10, "Command24", "OFF", "Stop lettura sequenziale");
    Command22 = button(Label10, "Command22", "Adres = cartelle",
                       "Impostazione indirizzo dove inizia la sezione cartelle (&H0001)");
    Command26 = button(Label10, "Command26", "Adres = file", "Impostazione indirizzo inizio lista file (&H1000)");
    Command15 = button(Label10, "Command15", "Adres = dati", "Inizio indirizzo dati maglia (&H2000)");
    auto* memory = new QGridLayout(Label10);
    memory->addWidget(Command16, 0, 0);
    memory->addWidget(Command23, 0, 1);
    memory->addWidget(Command24, 0, 2);
    memory->addWidget(Command26, 1, 0, 1, 3);
    memory->addWidget(Command22, 2, 0, 1, 3);
    memory->addWidget(Command15, 3, 0, 1, 3);

    auto* side = new QVBoxLayout;
    side->addWidget(Label2);
    side->addWidget(Label6);
    side->addWidget(Label9);
    side->addWidget(Label10);
    side->addStretch(1);

    auto* listAndCount = new QVBoxLayout;
    listAndCount->addWidget(List1, 1);
    listAndCount->addWidget(Differenze);

    auto* top = new QHBoxLayout;
    top->addLayout(listAndCount, 1);
    top->addLayout(side);

    auto* status = new QHBoxLayout;
    status->addWidget(Label1, 1);
    status->addWidget(LabelSim);
    status->addWidget(Label8);

    auto* outer = new QVBoxLayout(central);
    outer->addLayout(top, 3);
    outer->addLayout(status);
    outer->addWidget(Text1, 2);
    // Room for most of the list and a screenful of terminal text at once.
    resize(960, 820);
}

void Form1::intervalChanged(int ms)
{
    m_clock->setInterval(ms);
}

void Form1::ListInit()
{
    const ListContent content = tq::ListInit(m_module);
    Label1->setText(QLatin1String(kFileCaptionPrefix) + QDir::toNativeSeparators(currentFilePath()));
    List1->clear();
    for (const std::string& line : content.lines)
        List1->addItem(QString::fromLatin1(line));
    showFileCrc(content.label5);
    showDifferences();
}

void Form1::showFileCrc(const std::string& caption)
{
    Label5->setText(QString::fromLatin1(caption));
}

QString Form1::currentFilePath() const
{
    return QFile::decodeName(QByteArray::fromStdString(m_module.CurrentFileName));
}

void Form1::readBackCopied(const std::string& caption)
{
    Label1->setText(QString::fromLatin1(caption));
}

void Form1::paramRecordTaken(const std::string& crcCaption)
{
    Label4->setText(QString::fromLatin1(crcCaption));
}

void Form1::usbCompilerAvailable()
{
    ParUsb->setEnabled(true);
}

}  // namespace tq
