#pragma once
// A serial port for unit tests of the engine and the senders: it records every write call as it
// was made and hands out whatever the test feeds it as the controller's answer.

#include <string>
#include <vector>

#include "link/serial_port.h"

namespace tq::test {

class ScriptedPort : public SerialPort {
    Q_OBJECT
public:
    void setPortNumber(std::uint8_t number) override { portNumber = number; }
    bool open(QString* error) override;
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }

    void write(std::string_view bytes) override;
    int bytesWaiting() override { return static_cast<int>(incoming.size()); }
    std::string takeAll() override;
    void take(char* into, std::size_t size) override;
    void discardAll() override;
    bool announcesArrivals() const override { return announces; }

    // The test's side. An announcing port says so when fed, as the real serial port does.
    void feed(std::string_view bytes)
    {
        incoming.append(bytes);
        if (announces && !bytes.empty())
            emit bytesArrived();
    }
    std::string sent() const;  // all writes joined
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
