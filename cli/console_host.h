#pragma once
// The main window as the receive engine and the senders see it, for the console: the terminal
// text is kept (the jobs read their results from it and from the shared state), the list
// refresh is the list's logic without a list, and the timer is the QTimer that ticks the engine.

#include <QTimer>

#include <string>

#include "link/engine_host.h"
#include "params/list_view.h"
#include "params/module1.h"

namespace tq::cli {

class ConsoleHost : public EngineHost {
public:
    ConsoleHost(Module1& m, QTimer& timer) : m_m(m), m_timer(timer) {}

    TerminalText& terminal() override { return m_terminal; }
    void setTimerInterval(int ms) override { m_timer.setInterval(ms); }
    // Recomputes ChannelCount and the working copy's CRC, as the window's refresh does.
    void ListInit() override { tq::ListInit(m_m); }
    // The file caption (" Dati recuperati dal TQ310") has no place on the console.
    void setLabel1(const std::string&) override {}
    // The device CRC: the commands print it from the record itself.
    void setLabel4(const std::string&) override {}
    // The USB compiler is a command of its own here, always available.
    void enableParUsb() override {}
    // The console never starts the production simulation (mode 3), so no course is drawn.
    void conta() override {}

private:
    Module1& m_m;
    QTimer& m_timer;
    TerminalText m_terminal;
};

}  // namespace tq::cli
