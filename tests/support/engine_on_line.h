#pragma once
// The tool's side of a line without a window: the shared state, the main window as the engine
// sees it (FakeHost), a port, and the receive engine, which the test ticks by hand once the
// awaited bytes are waiting, for the end-to-end tests against tq310-sim.

#include <QtTest>

#include <memory>

#include "link/commands.h"
#include "link/port_opener.h"
#include "link/receive_engine.h"
#include "support/fake_host.h"

namespace tq::test {

struct EngineOnLine {
    explicit EngineOnLine(std::unique_ptr<SerialPort> line) : port(std::move(line))
    {
        m.NoAnswerText = BuildNoAnswerText();
        host.module = &m;
        engine.setPort(port.get());
    }
    // The line the tool opens at a location (a pseudo-terminal, an alias, a network URL), not
    // opened yet.
    static std::unique_ptr<SerialPort> serial(const QString& location) { return systemLineAt(location); }
    LinkContext ctx() { return {m, *port, host}; }
    // One tick once `count` bytes are waiting, or after `ms` without them; whether they came.
    bool tickWhen(int count, int ms = 5000)
    {
        const bool arrived = QTest::qWaitFor([&] { return port->bytesWaiting() >= count; }, ms);
        engine.tick();
        return arrived;
    }
    // "Carica parametri  dal TQ310", up to the end of the menu texts.
    bool readBack()
    {
        sendReadBack(ctx(), false);
        return tickWhen(56) && m.Engine.mode() == ReceiveMode::MenuRead && tickWhen(120)
            && m.Engine.mode() == ReceiveMode::Terminal;
    }

    Module1 m;
    FakeHost host;
    std::unique_ptr<SerialPort> port;
    ReceiveEngine engine{m, host};
};

}  // namespace tq::test
