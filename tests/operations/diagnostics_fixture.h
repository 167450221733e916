#pragma once
// The main window on the offscreen platform after the user picked port 1, with a scripted port
// in place of the line that also notes the tool's state at each write, so that a test sees what
// a handler had done before it sent and what it did after. Timer1 is stopped: tests tick by hand.

#include <QPlainTextEdit>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "support/scripted_port.h"

namespace tq::test {

class ObservingPort : public ScriptedPort {
public:
    void write(std::string_view bytes) override
    {
        if (onWrite)
            onWrite();
        ScriptedPort::write(bytes);
    }
    std::function<void()> onWrite;
};

struct ConnectedForm1 {
    Form1 form;
    ObservingPort* port = nullptr;

    ConnectedForm1()
    {
        form.setPortBackends([] { return PortDiscovery{}; }, [this](const PortEntry*) {
            auto observing = std::make_unique<ObservingPort>();
            port = observing.get();
            return std::unique_ptr<SerialPort>(std::move(observing));
        });
        form.Form_Load();
        form.module().PortNumber = 1;
        form.IniPorta();
        form.Timer1->stop();
    }

    Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    int interval() const { return form.Timer1->interval(); }
    void tick() { form.Timer1_Timer(); }
};

}  // namespace tq::test
