#pragma once
// The main window as the window tests of its device parts use it: started, the user picked
// port 1 (or worked without a port), a scripted port in place of the line, and Timer1 stopped so
// that a test ticks the engine by hand. itemEffect tells what one menu item or button did.
#include <QAction>
#include <QPushButton>
#include <QTimer>

#include <string>

#include "app/Form1.h"
#include "support/control.h"
#include "support/scripted_port.h"

namespace tq::test {

struct ConnectedForm1 {
    Form1 form;
    ScriptedPort* port = nullptr;

    explicit ConnectedForm1(bool connect = true)
    {
        form.setPortBackends([] { return PortDiscovery{}; }, [this](const PortEntry*) {
            auto scripted = std::make_unique<ScriptedPort>();
            port = scripted.get();
            return std::unique_ptr<SerialPort>(std::move(scripted));
        });
        form.Form_Load();
        form.module().PortNumber = connect ? 1 : 0;
        form.IniPorta();
        control<QTimer>(form, "Timer1")->stop();
    }

    Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    int interval() const { return control<QTimer>(form, "Timer1")->interval(); }
    void tick() { form.Timer1_Timer(); }

};

// Uses the named item while an output test runs with sequential memory reading on ("ON", then
// the output test's sender) and the copies agreeing (a commit goes through): the first byte sent
// and how many, the receive mode, SeqReadActive, whether the terminal was emptied, whether the
// read-back will copy.
inline std::string itemEffect(const char* name)
{
    ConnectedForm1 c;
    use(c.form, "Command23");
    startOutputTest(c.m(), {0, 0, 0});
    c.m().FileParams[0] = 1;
    c.m().ChipParams = c.m().FileParams;
    c.form.terminal().set("Menu 3");
    use(c.form, name);
    const std::string sent = c.port->sent();
    const EngineState& e = c.m().Engine;
    return sent.substr(0, 1) + std::to_string(sent.size()) + " mode " + std::to_string(int(e.mode())) + " seq " +
           std::to_string(e.SeqReadActive()) + (c.terminal().empty() ? " cleared" : "") + (e.ChipToBuffer() ? " copy" : "");
}

// Whether every named item does nothing without a port.
inline bool nothingUnconnected(std::initializer_list<const char*> names)
{
    ConnectedForm1 off(false);
    for (const char* name : names)
        use(off.form, name);
    const EngineState& e = off.m().Engine;
    return e.mode() == ReceiveMode::Terminal && e.ChipToBuffer() == 0 && off.interval() == interval::Start;
}

}  // namespace tq::test
