#pragma once
// The controller's command vocabulary and the senders: the only code outside the receive engine
// that moves it (its mode, its toggles, Timer1's interval). Every sender runs its steps in the
// order the controller and the engine rely on (the mode and the timer are set around the write
// exactly as listed), writes at most one command and never waits: the answer is taken by the
// engine on a later tick. A window or a program without one calls them the same way.

#include <array>
#include <cstdint>

#include "link/engine_host.h"
#include "link/serial_port.h"
#include "params/module1.h"

namespace tq {

// What a sender acts on: the shared state, the open port and the main window.
struct LinkContext {
    Module1& m;
    SerialPort& port;
    EngineHost& host;
};

// Command bytes. The controller answers "H" with the 56-byte record, "J" with twelve
// 10-character menu texts, "Y" with 32 phase bytes, "K" with one input byte, "&" with one data
// byte and the address in decimal digits, "S"/"R" (in mode 3) with one simulation row of 4 to
// 12 bytes; the others are answered, if at all, with free text for the terminal.
namespace cmd {
inline constexpr char ReadParams = 'H';
inline constexpr char ReadMenuTexts = 'J';
inline constexpr char WriteParams = 'L';
inline constexpr char SaveEeprom = 'W';
inline constexpr const char* SaveEepromKey = "Vorela\r";
inline constexpr char RepeatInit = 'z';
inline constexpr char ForceEepromError = '@';
inline constexpr char ReadPhases = 'Y';
inline constexpr char ReadInputs = 'K';
inline constexpr char SetOutputs = '!';
inline constexpr char ReadMemoryStep = '&';
inline constexpr char SimulationStep = 'S';
inline constexpr char SimulationReset = 'R';  // also "memory address = knitting data" in mode 0
inline constexpr char AddressFolders = '/';
inline constexpr char AddressFileList = 'y';
inline constexpr char RereadUsbKey = 'C';
inline constexpr char KeyMenuPlus = 'M';
inline constexpr char KeyMenuMinus = 'N';
inline constexpr char KeyUp = '2';
inline constexpr char KeyDown = '1';
inline constexpr char KeyEnter = 'E';
inline constexpr char KeyLight = '$';
}  // namespace cmd

// One byte as the one-character text the port sends.
void sendByte(SerialPort& port, char byte);

// daltq310 "Carica parametri  dal TQ310" (toBuffer false) and ChipBuffer "Trasferisci
// parametri da  TQ310 al buffer" (toBuffer true): the parameter read-back, "H".
void sendReadBack(const LinkContext& ctx, bool toBuffer);
// VMenu "Lista voci dei menu dal TQ31": "J".
void sendMenuListRequest(const LinkContext& ctx);
// LPFU "Lettura parametri fase uscita comandi": "Y".
void sendPhaseRequest(const LinkContext& ctx);
// RipIni "Ripeti inizializzazione": "z".
void sendRepeatInit(const LinkContext& ctx);
// ErrEEprom "Forza errore nella EEPROM per debug": "@".
void sendForceEepromError(const LinkContext& ctx);

// The six keys of the controller's panel.
enum class PanelKey { MenuPlus, MenuMinus, Up, Down, Enter, Light };
char panelKeyByte(PanelKey key);
// Command17, Command1, Command3, Command4, Command5, Command6.
void sendPanelKey(const LinkContext& ctx, PanelKey key);

// Command18 "Cancella testo".
void clearTerminal(const LinkContext& ctx);
// Command11 "test VDIP1": the USB host module's replies then show in the terminal.
void startVdipTest(const LinkContext& ctx);
// Command19 "Rileggi driver": "C".
void sendRereadUsbKey(const LinkContext& ctx);
// CIngressi "Controllo ingressi TQ310" and Command13 "lettura ingressi": the engine polls with "K".
void startInputPolling(const LinkContext& ctx);

// The memory pointer of the controller: file list (&H1000), folders (&H0001), knitting data (&H2000).
enum class MemoryAddress { FileList, Folders, KnitData };
char memoryAddressByte(MemoryAddress address);
// Command26 "Adres = file", Command22 "Adres = cartelle", Command15 "Adres = dati".
void sendMemoryAddress(const LinkContext& ctx, MemoryAddress address);
// Command16 "Passo" (sequential false) and Command23 "ON" (sequential true): the engine reads
// with "&".
void startMemoryStep(const LinkContext& ctx, bool sequential);
// Command24 "OFF": the byte in progress is completed, then the engine returns to mode 0.
void stopMemoryStep(const LinkContext& ctx);

// Command14 "Produci" and "RESET" of the simulation window: the controller starts the loaded
// knit again ("R") and answers with its first course; the engine then takes one course a tick
// (mode 3, every 50 ms) and asks for the next itself until RowCounter reaches 6.
void startSimulation(const LinkContext& ctx);
// "CONTEGGIO" of the simulation window, and the engine after each of the first courses: "S".
void requestSimulationStep(const LinkContext& ctx);

// The output test of Form2: from now on the engine sends "!" and OutputBytes[0..4] every second
// tick. outputs are the three bytes of the ticked boxes (OutputBytes[0..2]). Needs no port:
// it only sets what the engine sends, also while the line is lost.
void startOutputTest(Module1& m, const std::array<std::uint8_t, 3>& outputs);
// Form2 closing, and opening (nothing is sent until a box changes): the engine returns to the
// terminal; OutputBytes keeps the last pattern.
void stopOutputTest(Module1& m);

}  // namespace tq
