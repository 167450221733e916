// The device link of the main window: start-up, the connected and unconnected states, the port
// chooser and the programmer window, and the receive timer. The ports open through the port
// opener (link/port_opener.h), made with the chooser from its list. The menu items and buttons that send
// commands are wired by the parts they belong to, through link() and the senders of commands.h.
#include "app/Form1.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "editor/dialog.h"
#include "operations/form2.h"
#include "sim/simulated_port.h"
#include "ui/message_box.h"
#include "ui/secondary_window.h"

// Resources of a static library must be registered by name, outside any namespace.
static void initPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace tq {

namespace {

constexpr const char* kCaption = "Test per TQ310  Vers. 12.13B  By Kelvora";
// After the caption, and beside the connection label, while the line is the simulated controller
// inside the tool: nothing written or committed there reaches a machine.
constexpr const char* kSimulatedCaption = "  - CONTROLLORE SIMULATO";
constexpr const char* kNotConnected = " Nessuna connessione ";
constexpr const char* kDefaultFileName = "Dati di default";

void enableMenu(QMenu* menu, bool enable)
{
    menu->menuAction()->setEnabled(enable);
    menu->setEnabled(enable);
}

void showAndFocus(QWidget* window)
{
    window->setVisible(true);
    window->setEnabled(true);
    ui::activate(window);
    window->setFocus(Qt::OtherFocusReason);
}

}  // namespace

void Form1::installLink()
{
    initPictures();
    m_engine = std::make_unique<ReceiveEngine>(m_module, *this);
    m_clock = std::make_unique<ReceiveClock>(*Timer1, *m_engine, [this] { Timer1_Timer(); });
    m_terminalView = std::make_unique<ui::TerminalView>(Text1, m_terminal);

    const struct { QPushButton* button; const char* picture; const char* name; } pictures[] = {
        {Command3, ":/pictures/up_arrow.svg", "Tasto freccia su"},
        {Command4, ":/pictures/down_arrow.svg", "Tasto freccia gi\xF9"},
        {Command6, ":/pictures/light_bulb.svg", "Tasto luce"},
    };
    for (const auto& p : pictures) {
        p.button->setIcon(QIcon(QString::fromLatin1(p.picture)));
        p.button->setIconSize(QSize(24, 24));
        p.button->setAccessibleName(QString::fromLatin1(p.name));
    }

    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &Form1::syncTerminal);

    connect(connetti, &QAction::triggered, this, &Form1::connetti_Click);
    connect(disconnetti, &QAction::triggered, this, &Form1::disconnetti_Click);
    connect(prog, &QAction::triggered, this, &Form1::prog_Click);
}

void Form1::setPortBackends(PortDiscoverer discover, PortBackend open)
{
    m_discover = std::move(discover);
    if (open)
        m_backend = std::move(open);
}

void Form1::Form_Load()
{
    loadHidden();
    showAndFocus(m_cerca.get());
    BuildNoAnswerText();
    ParUsb->setEnabled(false);
    m_cerca->reportDiscoveryError();
}

void Form1::Form_Load(const QString& location)
{
    if (location.isEmpty())
        return Form_Load();
    loadHidden();
    BuildNoAnswerText();
    ParUsb->setEnabled(false);
    const PortPick pick = m_opener->resolve(location);
    if (pick.refusal.empty())
        return onPortChosen(pick.number);
    // Refused as the chooser refuses the entry: its message, and the chooser stays open.
    showAndFocus(m_cerca.get());
    ui::MsgBox(m_cerca.get(), pick.refusal, ui::MessageIcon::Critical, ui::kErrorTitle);
    m_cerca->reportDiscoveryError();
}

void Form1::loadHidden()
{
    setVisible(false);
    m_clock->stop();
    setWindowTitle(QString::fromLatin1(kCaption));
    setEnabled(false);
    ensureChooser();
}

void Form1::BuildNoAnswerText()
{
    m_module.NoAnswerText = tq::BuildNoAnswerText();
}

void Form1::onPortChosen(std::uint8_t number)
{
    m_module.PortNumber = number;
    IniPorta();
}

void Form1::ensureChooser()
{
    if (m_cerca)
        return;
    m_cerca = std::make_unique<cerca>(m_discover);
    connect(m_cerca.get(), &cerca::portChosen, this, &Form1::onPortChosen);
    connect(m_cerca.get(), &cerca::withoutConnection, this, &Form1::IniPorta);
    connect(m_cerca.get(), &cerca::unloaded, this, &Form1::onChooserUnloaded);
    m_opener = std::make_unique<PortOpener>(m_cerca->entries(), sim::simulatedControllerLine(), m_backend);
    m_opener->setLostHandler([this](const QString& reason) { onDeviceLost(reason); });
    m_opener->setLineDecorator(lineRecorder());
    ui::ownBy(m_cerca.get(), this);
}

void Form1::IniPorta()
{
    ensureChooser();
    m_cerca->hide();
    m_module.CurrentFileName = kDefaultFileName;
    if (m_module.PortNumber != 0) {
        QString error;
        if (openPort(&error)) {
            m_cerca->hide();
            showAndFocus(this);
            ListInit();
            m_clock->start();
            Label8->setText(QString::fromLatin1(connectedCaption(m_module.PortNumber)));
            const PortEntry* listed = findPort(m_opener->entries(), m_module.PortNumber);
            markSimulated(listed && listed->kind == PortEntry::Kind::Simulated);
            SetMainControlsEnabled(true);
            connetti->setEnabled(false);
            disconnetti->setEnabled(true);
            syncTerminal();
            return;
        }
        // Nothing stays half-open: the port object is gone, and the tool works unconnected.
        const std::string text = openFailedText(m_module.PortNumber, error);
        m_module.PortNumber = 0;
        ui::MsgBox(this, text, ui::MessageIcon::Critical, ui::kErrorTitle);
    }
    Label8->setText(QString::fromLatin1(kNotConnected));
    markSimulated(false);
    showAndFocus(this);
    ListInit();
    disableDeviceControls();
    syncTerminal();
}

void Form1::disableDeviceControls()
{
    SetMainControlsEnabled(false);
    m_clock->stop();
    disconnetti->setEnabled(false);
    connetti->setEnabled(true);
}

void Form1::markSimulated(bool simulated)
{
    LabelSim->setVisible(simulated);
    setWindowTitle(QString::fromLatin1(kCaption) + QString::fromLatin1(simulated ? kSimulatedCaption : ""));
}

void Form1::SetMainControlsEnabled(bool enable)
{
    enableMenu(accessori, enable);
    enableMenu(tq310, enable);
    for (QPushButton* b : {Command17, Command3, Command4, Command5, Command6, Command11, Command19, Command13,
                           Command14, Command16, Command18, Command23, Command24, Command1, Command26, Command22,
                           Command15})
        b->setEnabled(enable);
}

LinkContext Form1::link()
{
    Q_ASSERT(port());
    return LinkContext{m_module, *port(), *this};
}

void Form1::Timer1_Timer()
{
    m_engine->tick();
    syncTerminal();
}

void Form1::syncTerminal()
{
    if (m_terminalView)
        m_terminalView->sync();
}

void Form1::connetti_Click()
{
    setEnabled(false);
    ensureChooser();
    showAndFocus(m_cerca.get());
    BuildNoAnswerText();
}

void Form1::disconnetti_Click()
{
    m_module.PortNumber = 0;
    closePort();
    IniPorta();
}

void Form1::prog_Click()
{
    if (!m_prog1)
        m_prog1 = std::make_unique<prog1>();
    ui::openSecondary(m_prog1.get(), this);
}

bool Form1::openPort(QString* error)
{
    closePort();
    if (!m_opener->open(m_module.PortNumber, error))
        return false;
    m_engine->setPort(port());
    // Bytes coming in wake the receive timer, which sleeps while the line is silent.
    connect(port(), &SerialPort::bytesArrived, m_clock.get(), &ReceiveClock::wake);
    return true;
}

void Form1::closePort()
{
    m_engine->setPort(nullptr);
    if (m_opener)
        m_opener->close();
}

void Form1::onDeviceLost(const QString& reason)
{
    const std::uint8_t number = m_module.PortNumber;
    closePort();
    m_module.PortNumber = 0;
    // The working copy, the file name and the list stay as they are.
    Label8->setText(QString::fromLatin1(kNotConnected));
    markSimulated(false);
    disableDeviceControls();
    syncTerminal();
    const std::string text = connectionLostText(number, reason);
    ui::MsgBox(this, text, ui::MessageIcon::Critical, ui::kErrorTitle);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (!m_unloading) {
        m_unloading = true;
        // Unload order: the edit dialog, the output test window, then the chooser, whose
        // unloading ends the program.
        if (m_editDialog)
            m_editDialog->close();
        if (m_form2)
            m_form2->close();
        if (m_cerca)
            m_cerca->close();
        closePort();
    }
    event->accept();
}

void Form1::onChooserUnloaded()
{
    if (!m_unloading)
        close();
    QCoreApplication::quit();
}

}  // namespace tq
