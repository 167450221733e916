#pragma once
// The main window on the offscreen platform, connected through the port chooser (as a user picks
// it) to the pseudo-terminal of a tq310-sim process, with its real serial backend. Timer1 is
// stopped: the tests tick the engine once the awaited bytes are waiting.

#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>

#include "app/Form1.h"
#include "support/simulator_process.h"

namespace tq::test {

struct SimulatedTool {
    SimulatorProcess sim;
    Form1 form;

    explicit SimulatedTool(const QStringList& simArguments = {}) : sim(QStringLiteral(TQ310_SIM), simArguments)
    {
        const QString slave = sim.slave();
        form.setPortBackends(
            [slave] {
                return PortDiscovery{{PortEntry{"Porta seriale (COM1)", slave, slave, 1, PortEntry::Kind::Alias}}, {}};
            },
            {});
        form.Form_Load();
        form.chooser()->List1_Click(form.chooser()->List1->item(0));
        form.Timer1->stop();
    }

    Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    void tick() { form.Timer1_Timer(); }

    bool waitForBytes(int count, int ms = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (form.port()->bytesWaiting() < count) {
            if (clock.hasExpired(ms))
                return false;
            QTest::qWait(2);
        }
        return true;
    }
};

}  // namespace tq::test
