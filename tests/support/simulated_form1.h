#pragma once
// The main window connected, through the port chooser as a user picks it, to the pseudo-terminal
// of a tq310-sim process with the real serial backend, for the end-to-end window tests (label
// pty). Timer1 is stopped: a test ticks the engine once the awaited bytes are waiting.
#include <QAction>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

#include "app/Form1.h"
#include "support/control.h"
#include "support/simulator_process.h"

namespace tq::test {

struct SimulatedTool {
    SimulatorProcess sim;
    Form1 form;

    // Through the chooser, or (portOption) started on the simulator's line as --port starts it.
    explicit SimulatedTool(const QStringList& simArguments = {}, bool portOption = false)
        : sim(QStringLiteral(TQ310_SIM), simArguments)
    {
        const QString slave = sim.slave();
        if (portOption) {
            form.Form_Load(slave);
        } else {
            form.setPortBackends(
                [slave] {
                    return PortDiscovery{{PortEntry{"Porta seriale (COM1)", slave, slave, 1, PortEntry::Kind::Alias}}, {}};
                },
                {});
            form.Form_Load();
            form.chooser()->List1_Click(form.chooser()->List1->item(0));
        }
        control<QTimer>(form, "Timer1")->stop();
    }

    Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    void tick() { form.Timer1_Timer(); }

    bool waitForBytes(int count, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return form.port()->bytesWaiting() >= count; }, ms);
    }

    // The engine through the parameter record and the menu texts, a tick as each is complete.
    bool readBack(const char* item)
    {
        use(form, item);
        if (!waitForBytes(56))
            return false;
        tick();
        if (m().Engine.mode() != ReceiveMode::MenuRead || !waitForBytes(120))
            return false;
        tick();
        return m().Engine.mode() == ReceiveMode::Terminal;
    }
};

}  // namespace tq::test
