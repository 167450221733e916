#pragma once
// The main window: the parameter list, the terminal, the CRC captions, the device buttons and
// the menus. It owns the shared state and the receive timer, and is the engine's host.

#include <QMainWindow>
#include <QTimer>

#include <memory>

#include "link/engine_host.h"
#include "link/terminal.h"
#include "params/module1.h"

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace tq {

class Form1 : public QMainWindow, public EngineHost {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    Module1& module() { return m_module; }

    // EngineHost
    TerminalText& terminal() override { return m_terminal; }
    void setTimerInterval(int ms) override;
    void ListInit() override;
    void setLabel1(const std::string& caption) override;
    void setLabel4(const std::string& caption) override;
    void enableParUsb() override;
    void MascPro(std::uint8_t a) override;
    void conta() override;

    // Menus and menu items, named as the tool's users and developers know them.
    QMenu* config = nullptr;
    QAction* aprif = nullptr;
    QAction* salvafile = nullptr;
    QAction* salvaas = nullptr;
    QMenu* tq310 = nullptr;
    QAction* daltq310 = nullptr;
    QAction* ChipBuffer = nullptr;
    QAction* AlTq310 = nullptr;
    QAction* Weeprom = nullptr;
    QAction* RipIni = nullptr;
    QMenu* accessori = nullptr;
    QAction* CIngressi = nullptr;
    QAction* TetUscite = nullptr;
    QAction* VMenu = nullptr;
    QAction* LPFU = nullptr;
    QAction* ErrEEprom = nullptr;
    QMenu* connessione = nullptr;
    QAction* connetti = nullptr;
    QAction* disconnetti = nullptr;
    QAction* prog = nullptr;
    QAction* ParUsb = nullptr;

    // "Replica della tastiera  del TQ310"
    QGroupBox* Label2 = nullptr;
    QPushButton* Command17 = nullptr;  // Menu +
    QPushButton* Command1 = nullptr;   // Menu -
    QPushButton* Command5 = nullptr;   // ENT
    QPushButton* Command3 = nullptr;   // up arrow
    QPushButton* Command4 = nullptr;   // down arrow
    QPushButton* Command6 = nullptr;   // light bulb
    // "CRC parametri"
    QGroupBox* Label6 = nullptr;
    QLabel* Label4 = nullptr;          // device CRC
    QLabel* Label5 = nullptr;          // working-copy CRC
    // "Debug dispositivi"
    QGroupBox* Label9 = nullptr;
    QPushButton* Command18 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command19 = nullptr;
    QPushButton* Command13 = nullptr;
    QPushButton* Command14 = nullptr;
    // "Debug memoria"
    QGroupBox* Label10 = nullptr;
    QPushButton* Command16 = nullptr;
    QPushButton* Command23 = nullptr;
    QPushButton* Command24 = nullptr;
    QPushButton* Command22 = nullptr;
    QPushButton* Command26 = nullptr;
    QPushButton* Command15 = nullptr;

    QListWidget* List1 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;          // current file
    QLabel* Label8 = nullptr;          // connection status
    QTimer* Timer1 = nullptr;

    // ---- device link: start-up, connection, receive engine ----
    // ---- end device link ----

    // ---- parameter files and USB configuration file ----
    // ---- end parameter files ----

    // ---- parameter editor ----
    // ---- end parameter editor ----

    // ---- transfers, EEPROM, menu list, output phases ----
    // ---- end transfers ----

    // ---- diagnostics ----
    // ---- end diagnostics ----

private:
    void buildMenus();
    void buildControls();

    // Each part of the window connects its own menu items and buttons.
    void installLink();
    void installFiles();
    void installEditor();
    void installTransfers();
    void installDiagnostics();

    Module1 m_module;
    TerminalText m_terminal;
};

}  // namespace tq
