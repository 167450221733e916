#pragma once
// What the console takes of the engine's reports: the terminal text (the jobs read their results
// from it and from the shared state), the copies' refresh without a list, and the interval of
// the QTimer that ticks the engine. The captions, the USB compiler's menu item and the
// simulation window have no place here: the jobs print from the records themselves.

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
    void intervalChanged(int ms) override { m_timer.setInterval(ms); }
    // Recomputes ChannelCount and the working copy's CRC, as the window's refresh does.
    void copiesChanged() override { tq::ListInit(m_m); }

private:
    Module1& m_m;
    QTimer& m_timer;
    TerminalText m_terminal;
};

}  // namespace tq::cli
