#pragma once
// The main window: the parameter list, the terminal, the CRC captions, the device buttons and
// the menus. It owns the shared state, the port opener and the receive timer, and is what the
// receive engine reports to. Each part lives in a file of its own (Form1_<part>.cpp), which
// connects its own menu items and buttons; this header lists them part by part.
//
// Its controls (Form1_controls.h) are private: a user reaches them through the window, a test by
// their object names. The public surface is what main and the start-up options call, the seams
// where a test puts in its own port or file dialog, and the windows this one owns.

#include <QMainWindow>

#include <functional>
#include <memory>

#include "link/commands.h"
#include "link/engine_host.h"
#include "link/port_discovery.h"
#include "link/port_opener.h"
#include "link/receive_clock.h"
#include "link/receive_engine.h"
#include "link/terminal.h"
#include "app/Form1_controls.h"
#include "app/prog1.h"
#include "files/trova_usb.h"
#include "trace/line_trace.h"
#include "trace/line_trace_window.h"
#include "ui/cerca.h"
#include "ui/choice_list.h"
#include "ui/terminal_view.h"
#include "params/module1.h"

class QFileDialog;

namespace tq {

class Dialog;
class Form2;
class InpOut;

namespace ui {
class MessageCapture;
}

class Form1 : public QMainWindow, public EngineHost, private Form1Controls {
    Q_OBJECT
public:
    // Form1.cpp: the window, its controls, and what the receive engine reports to it.
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    Module1& module() { return m_module; }
    TerminalText& terminal() override { return m_terminal; }
    // The one refresh of List1, the file caption Label1 and both CRC captions from the copies
    // and the file name; everyone who changed them calls it.
    void ListInit();

    // Form1_link.cpp: start-up, the connected and unconnected states, the port chooser, the
    // programmer window and the receive timer.
    // Start-up: hides and disables this window and opens the port chooser.
    void Form_Load();
    // Start-up on a line named on the command line (--port): a device path, a link name of the
    // folder of port aliases, or "sim". The same as picking its entry in the chooser, which stays
    // closed: the same port number, states, messages and fallbacks. Empty: Form_Load().
    void Form_Load(const QString& location);
    // Opens the port numbered PortNumber (connected state) or takes the unconnected state.
    void IniPorta();

    bool isConnected() const { return port() != nullptr; }
    SerialPort* port() const { return m_opener ? m_opener->port() : nullptr; }
    // Timer1, which sleeps while the engine is at rest on a line that announces its bytes.
    ReceiveClock& receiveClock() { return *m_clock; }
    // The tick: one tick of the receive engine, then Text1 follows the terminal text. Timer1
    // calls it through the receive clock; tests call it directly.
    void Timer1_Timer();

    // Where the chooser's list and the ports come from: the system and the simulated
    // controller by default. Tests put in their own before Form_Load (or before IniPorta, which
    // loads the chooser when Form_Load did not): a discoverer listing a PortEntry whose location
    // is a pseudo-terminal opens the real serial backend on it; a backend returning a scripted
    // port takes the place of the line. IniPorta calls setPortNumber(PortNumber), then open.
    void setPortBackends(PortDiscoverer discover, PortBackend open);

    // Form1_files.cpp: asks for a path to open (save false) or to save as (save true); empty
    // when cancelled. Dialog1 by default; tests put in their own.
    std::function<QString(bool save)> askPath;
    // Form1_backups.cpp: asks for a backup to open, starting in the backups folder; empty when
    // cancelled. A file dialog of its own, so that Dialog1 keeps its folder; tests put in their
    // own.
    std::function<QString(const QString& folder)> askBackupPath;

    // The windows this one owns, each created on first use and then kept.
    cerca* chooser() const { return m_cerca.get(); }           // null before Form_Load
    prog1* programmerWindow() const { return m_prog1.get(); }  // null until first shown
    // The one file dialog of "apri file" and "salva con nome", Dialog1: built at its first use
    // (a file dialog lists and watches the working folder from the moment it exists), then kept,
    // with its last path.
    QFileDialog* fileDialog();
    // The USB compiler, with its KnownDrives.
    TrovaUsb& usbCompiler();
    Dialog* editDialog() const { return m_editDialog.get(); }  // null until a line is chosen
    InpOut* inpOut() const { return m_inpOut.get(); }          // null until first used
    Form2* form2() const { return m_form2.get(); }             // null until first used
    LineTraceWindow* lineTraceWindow() const { return m_lineTraceWindow.get(); }  // null until first shown
    // Form1_trace.cpp: every byte of the open line, recorded through the port opener; a new
    // connection starts a new trace, which stays after the line is lost until then.
    const LineTrace& lineTrace() const { return m_lineTrace; }

protected:
    // Form1_link.cpp: closing this window closes the others, the chooser last.
    void closeEvent(QCloseEvent* event) override;

private:
    // --quit-after-read reads back through daltq310 and prints Label4, as a user would see it.
    friend int readAndQuit(Form1& form, const ui::MessageCapture& messages);

    // Form1.cpp
    void buildMenus();
    void buildControls();
    // Each part of the window connects its own menu items and buttons, in its own file.
    void installLink();
    void installFiles();
    void installEditor();
    void installTransfers();
    void installDiagnostics();
    void installBackups();
    void installTrace();

    // What the receive engine reports, mapped onto the controls.
    void intervalChanged(int ms) override;
    void copiesChanged() override { ListInit(); }
    void paramRecordTaken(const std::string& crcCaption) override;
    void usbCompilerAvailable() override;
    void readBackCopied(const std::string& caption) override;
    void simulationCourseTaken() override { conta(); }
    // Form1_backups.cpp: the list's differences marked; after a complete read-back the device
    // copy goes to the backups folder, and a backup that fails adds one line to the terminal and
    // opens one message box with the folder and the reason, and changes nothing else.
    void menuTextsTaken(bool recordTaken) override;

    // The working copy's CRC caption, Label5.
    void showFileCrc(const std::string& caption);
    // CurrentFileName is a path in the system's encoding, not a text for the controller.
    QString currentFilePath() const;

    // Declared first, so that they go last: the parts below refer to them.
    Module1 m_module;
    TerminalText m_terminal;

    // Form1_link.cpp
    void SetMainControlsEnabled(bool enable);
    void BuildNoAnswerText();
    // What a sender acts on. Only while connected: every sender is disabled otherwise.
    LinkContext link();
    // Text1 follows the terminal text. Runs after every tick and every handler of this part,
    // and whenever the event loop goes idle, so other handlers need not call it.
    void syncTerminal();
    // Connects a menu item or button that talks to the controller. A disabled control can still
    // be triggered from code: without a port the action does nothing. Text1 follows at once.
    template <typename Sender, typename Signal>
    void connectToController(Sender* control, Signal signal, std::function<void(const LinkContext&)> action)
    {
        connect(control, signal, this, [this, action = std::move(action)] {
            if (!isConnected())
                return;
            action(link());
            m_clock->wake();
            syncTerminal();
        });
    }
    void connetti_Click();
    void disconnetti_Click();
    void prog_Click();
    // The first steps of every start: this window hidden and disabled, the chooser loaded.
    void loadHidden();
    void ensureChooser();
    void onPortChosen(std::uint8_t number);
    void onChooserUnloaded();
    void onDeviceLost(const QString& reason);
    // The device controls off, the receive timer stopped, "Connetti" offered.
    void disableDeviceControls();
    // The mark beside Label8 and after the caption; a real line has none.
    void markSimulated(bool simulated);
    bool openPort(QString* error);
    void closePort();

    PortDiscoverer m_discover;
    PortBackend m_backend;
    // Before the opener: the open port records into it.
    LineTrace m_lineTrace;
    // Made with the chooser, from its list; it holds the open port.
    std::unique_ptr<PortOpener> m_opener;
    std::unique_ptr<ReceiveEngine> m_engine;
    std::unique_ptr<ReceiveClock> m_clock;
    std::unique_ptr<ui::TerminalView> m_terminalView;
    std::unique_ptr<cerca> m_cerca;
    std::unique_ptr<prog1> m_prog1;
    bool m_unloading = false;

    // Form1_files.cpp: parameter files and the USB configuration file.
    void aprif_Click();
    // Opens a parameter file into the working copy, as "apri file" does once a path is chosen.
    void openParamFile(const QString& path);
    void salvafile_Click();
    void salvaas_Click();
    void ParUsb_Click();
    std::unique_ptr<TrovaUsb> m_trovaUsb;
    QFileDialog* m_fileDialog = nullptr;
    QString m_startFolder;

    // The windows below have no Qt parent: the edit dialog and the secondary windows stay usable
    // while the main window is disabled.
    // Form1_editor.cpp: lays the edit dialog out for the selected line of List1 and loads the
    // line's value; the first selection creates the dialog.
    void List1_Click();
    std::unique_ptr<Dialog> m_editDialog;

    // Form1_backups.cpp: the device copy kept after every complete read-back, and the lines that
    // differ from the controller.
    void apricopia_Click();
    // Marks the lines of List1 that differ from the controller and counts them in Differenze.
    // Runs after every ListInit and whenever the menu texts came.
    void showDifferences();

    // Form1_diagnostics.cpp: the panel keys, the device and memory debugging buttons and
    // CIngressi (through the senders of commands.h), the production simulation and the output
    // test.
    // Starts (1) or steps (0) the production simulation through the senders; the window InpOut
    // shows it.
    void MascPro(std::uint8_t a);
    // Draws RowBuffer as the next course in InpOut.
    void conta();
    // "Controllo uscite TQ310": opens the output test Form2 and shows "Seleziona uscite".
    void TetUscite_Click();
    InpOut& simulationWindow();
    Form2& outputTestWindow();
    std::unique_ptr<InpOut> m_inpOut;
    std::unique_ptr<Form2> m_form2;

    // Form1_trace.cpp: "Registro della linea" shows the trace window beside this one, which
    // stays usable.
    void RegLinea_Click();
    // What the opener lays over every line it opens.
    LineDecorator lineRecorder();
    std::unique_ptr<LineTraceWindow> m_lineTraceWindow;
};

}  // namespace tq
