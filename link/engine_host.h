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
};

}  // namespace tq
