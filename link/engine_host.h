#pragma once
// What the receive engine and the senders show: the main window implements it, the tests with a
// recording fake, a program without a window with its own output. Nothing here moves the engine;
// that is the senders' job (commands.h).

#include <string>

#include "link/terminal.h"

namespace tq {

class EngineHost {
public:
    virtual ~EngineHost() = default;

    // The terminal text (Text1): what the controller says and the engine's reports.
    virtual TerminalText& terminal() = 0;
    // The period of the receive ticks (Timer1), in ms; it takes effect from the next tick.
    virtual void setTimerInterval(int ms) = 0;
    // The parameter list (List1) and both CRC captions (Label1, Label5) redrawn from the copies
    // and the file name, after a read-back changed them.
    virtual void ListInit() = 0;
    // The file caption (Label1), when a read-back became the working copy.
    virtual void setLabel1(const std::string& caption) = 0;
    // The device copy's CRC caption (Label4), when a parameter record came in.
    virtual void setLabel4(const std::string& caption) = 0;
    // "Parametri da chiave usb" made usable: there is a parameter set to compile.
    virtual void enableParUsb() = 0;
    // RowBuffer drawn as the next course of the production simulation.
    virtual void conta() = 0;

    // A notification, not a step the controller sees: the last call of the tick that took the
    // menu texts, after all the engine's own text. recordTaken: the same read-back took the
    // parameter record just before them ("H" then "J"), so the device copy is complete. The main
    // window marks the list's differences and keeps a backup here; other hosts need nothing.
    virtual void menuTextsTaken(bool recordTaken) { (void)recordTaken; }
};

}  // namespace tq
