#pragma once
// The controller's end of a pseudo-terminal: the tool opens the slave path as its serial port.
// The line is raw (8 bits, no echo, no line editing). The simulator keeps a slave descriptor of
// its own open, so that the tool may close and reopen the port without hanging the line up.

#include <string>

namespace tq::sim {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { close(); }

    bool open(std::string* error);
    // Hangs the line up: the tool's open port sees the device gone.
    void close();
    bool isOpen() const { return m_master >= 0; }

    int masterFd() const { return m_master; }  // non-blocking
    const std::string& slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace tq::sim
