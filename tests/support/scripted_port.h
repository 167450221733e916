#pragma once
// A serial port for unit tests of the engine and the senders: it records every write call as it
// was made and hands out whatever the test feeds it as the controller's answer.

#include <string>
#include <utility>
#include <vector>

#include "link/serial_port.h"

namespace tq::test {

class ScriptedPort : public SerialPort {
    Q_OBJECT
public:
    void setPortNumber(std::uint8_t number) override { portNumber = number; }
    bool open(QString* error) override
    {
        if (!failOpen)
            opened = true;
        else if (error)
            *error = QStringLiteral("scripted failure");
        return !failOpen;
    }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }

    // Every call is logged, in order.
    void write(std::string_view bytes) override
    {
        writes.emplace_back(bytes);
        events.push_back("write:" + std::string(bytes));
    }
    int bytesWaiting() override { return static_cast<int>(incoming.size()); }
    std::string takeAll() override
    {
        events.emplace_back("take");
        return std::exchange(incoming, {});
    }
    void take(char* into, std::size_t size) override
    {
        events.emplace_back("take");
        incoming.erase(0, incoming.copy(into, size));
    }
    void discardAll() override
    {
        events.emplace_back("discard");
        incoming.clear();
    }
    bool announcesArrivals() const override { return announces; }

    // The test's side. An announcing port says so when fed, as the real serial port does.
    void feed(std::string_view bytes)
    {
        incoming.append(bytes);
        if (announces && !bytes.empty())
            emit bytesArrived();
    }
    std::string sent() const  // all writes joined
    {
        std::string all;
        for (const std::string& w : writes)
            all += w;
        return all;
    }
    void clearSent() { writes.clear(); events.clear(); }

    std::uint8_t portNumber = 0;
    bool opened = false;
    bool failOpen = false;
    bool announces = false;
    std::string incoming;
    std::vector<std::string> writes;   // one entry per write call
    std::vector<std::string> events;   // "write:<bytes>", "take", "discard", in call order
};

}  // namespace tq::test
