#pragma once
// The main window on the offscreen platform after the user picked port 1, with a scripted port
// in place of the line. Timer1 is stopped: the tests tick the engine by hand.

#include <QPlainTextEdit>
#include <QTimer>

#include <memory>

#include "app/Form1.h"
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
        form.Timer1->stop();
    }

    Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    int interval() const { return form.Timer1->interval(); }
    void tick() { form.Timer1_Timer(); }
};

}  // namespace tq::test
