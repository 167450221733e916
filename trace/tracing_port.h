#pragma once
// A serial port that records into a LineTrace everything that passes through it, on top of the
// port that really carries the line. The terminal, the receive engine and the senders see the same
// port as before: the same bytes, counts and takes, in the same order.
//
// Bytes written are recorded as they are handed to the line. Bytes received are recorded as soon
// as the line says they have come in (bytesArrived), and otherwise when they are counted, taken
// or discarded, so that nothing that came off the line is missing from the trace.

#include <memory>

#include "link/port_discovery.h"
#include "link/serial_port.h"
#include "trace/line_trace.h"

namespace tq {

class TracingPort : public SerialPort {
    Q_OBJECT
public:
    // The trace outlives the port; it restarts whenever the line opens (at once, if it is open),
    // its origin the time, the port number and the chooser's entry for the line (listed; none for
    // a number no entry owns) and this program.
    TracingPort(std::unique_ptr<SerialPort> line, LineTrace& trace, const PortEntry* listed = nullptr,
                QObject* parent = nullptr);

    void setPortNumber(std::uint8_t number) override;
    bool open(QString* error) override;
    void close() override;
    bool isOpen() const override { return m_line->isOpen(); }

    void write(std::string_view bytes) override;
    int bytesWaiting() override;
    std::string takeAll() override;
    void take(char* into, std::size_t size) override;
    void discardAll() override;
    bool announcesArrivals() const override { return m_line->announcesArrivals(); }

    SerialPort& line() { return *m_line; }

private:
    // Moves what the line holds into this port's buffer, recording it. The buffer keeps its
    // room between ticks, so that a tick that takes part of it allocates nothing.
    void pull();
    void restartTrace();

    std::unique_ptr<SerialPort> m_line;
    LineTrace& m_trace;
    std::string m_lineName;  // the entry's location, or its name for the simulated controller
    std::uint8_t m_number = 0;
    std::string m_received;  // taken off the line and recorded, not yet taken by the tool
};

}  // namespace tq
