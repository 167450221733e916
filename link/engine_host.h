#pragma once
// What the receive engine and the senders need from the main window. The main window implements
// it; the tests implement it with a recording fake.

#include <cstdint>
#include <string>

#include "link/terminal.h"

namespace tq {

class EngineHost {
public:
    virtual ~EngineHost() = default;

    virtual TerminalText& terminal() = 0;              // Text1
    virtual void setTimerInterval(int ms) = 0;     // Timer1
    virtual void ListInit() = 0;                   // List1, Label1, Label5 from the shared state
    virtual void setLabel1(const std::string& caption) = 0;
    virtual void setLabel4(const std::string& caption) = 0;
    virtual void enableParUsb() = 0;
    virtual void MascPro(std::uint8_t a) = 0;      // start (1) or step (other) the production simulation
    virtual void conta() = 0;                      // draw RowBuffer as the next course

    // A notification, not a step the controller sees: the last call of the tick that took the
    // menu texts, after all the engine's own text. recordTaken: the same read-back took the
    // parameter record just before them ("H" then "J"), so the device copy is complete. The main
    // window marks the list's differences and keeps a backup here; other hosts need nothing.
    virtual void menuTextsTaken(bool recordTaken) { (void)recordTaken; }
};

}  // namespace tq
