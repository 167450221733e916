#pragma once
// The main window's controls, named as the form designer named them; each is also its Qt object
// name. Form1 inherits them privately: only the window's own parts use them, and a test finds a
// control by its object name (tests/support/control.h).

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tq {

namespace ui {
class ChoiceList;
}

struct Form1Controls {
    // Menus and menu items.
    QMenu* config = nullptr;
    QAction* aprif = nullptr;
    QAction* salvafile = nullptr;
    QAction* salvaas = nullptr;
    QAction* apricopia = nullptr;  // "apri copia di sicurezza", the last item of "File"
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
    QAction* RegLinea = nullptr;  // "Registro della linea", the last item of "Accessori"
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

    ui::ChoiceList* List1 = nullptr;
    QLabel* Differenze = nullptr;      // below List1: how many lines differ from the controller
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;          // current file
    QLabel* Label8 = nullptr;          // connection status
    QLabel* LabelSim = nullptr;        // shown while connected to the simulated controller
    QTimer* Timer1 = nullptr;          // ticks the receive engine
};

}  // namespace tq
