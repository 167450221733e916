#pragma once
// The serial port whose peer is the simulated controller, in the same process: what the tool
// writes reaches the controller model, and the answers become waiting bytes at the pace of
// 9600 baud, measured on a monotonic clock from the moment of the write. No thread, no timer.

#include <cstdint>
#include <functional>
#include <memory>

#include "link/serial_port.h"
#include "sim/controller_model.h"
#include "sim/paced_line.h"

namespace tq::sim {

class SimulatedPort : public SerialPort {
    Q_OBJECT
public:
    // Nanoseconds of a monotonic clock; the steady clock when not given (tests pass their own).
    using Clock = std::function<std::int64_t()>;

    // The controller at the other end may outlive the port, as a machine outlives its cable:
    // the tool keeps one for the session so that its EEPROM survives a reconnection.
    explicit SimulatedPort(QObject* parent = nullptr, Clock clock = {},
                           std::shared_ptr<ControllerModel> controller = {});

    void setPortNumber(std::uint8_t) override {}
    // Fails while the line is dropped (Fault::LineDropped), as a pulled adapter does.
    bool open(QString* error) override;
    void close() override;
    bool isOpen() const override { return m_open; }

    void write(std::string_view bytes) override;
    int bytesWaiting() override;
    std::string takeAll() override;
    void take(char* into, std::size_t size) override;
    void discardAll() override;

    // The controller at the other end: its memories and its fault modes. Switching it to
    // Fault::LineDropped closes an open port and emits deviceLost once, from the event loop.
    ControllerModel& controller() { return *m_model; }

private:
    bool lineAlive();

    Clock m_clock;
    std::shared_ptr<ControllerModel> m_model;
    PacedLine m_line;
    std::string m_received;
    bool m_open = false;
};

// The text the simulated line gives for a pulled cable, on open and with deviceLost.
QString lineDroppedText();

std::unique_ptr<SerialPort> makeSimulatedPort(QObject* parent = nullptr,
                                              std::shared_ptr<ControllerModel> controller = {});

// The line the port opener opens for "Controllore simulato" (link/port_opener.h): every port it
// makes reaches one controller, made at the first open and kept for as long as the maker lives,
// so that its EEPROM survives a reconnection as a machine's survives a pulled cable.
std::function<std::unique_ptr<SerialPort>()> simulatedControllerLine();

}  // namespace tq::sim
