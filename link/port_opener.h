#pragma once
// Opening the line to the controller, for the main window and for programs without one. The
// lines are the chooser's list (GetSerialPortNames, built once per run). A line is named by the
// port number that picking its entry gives, or by a LOCATION as a user types it:
//   "sim"                  the simulated controller inside the program ("Controllore simulato");
//   a link name ("banco")  that link in the folder of port aliases ("Collegamento");
//   a device path          the entry that opens the same device (/dev/ttyUSB0, an alias's
//                          /dev/pts/4), or else one more "Porta seriale" numbered as the chooser
//                          numbers its lines (a simulator's pseudo-terminal, /dev/pts/4);
//   a network line         tcp://HOST:PORT or rfc2217://HOST:PORT (link/network_port.h): the
//                          alias that points at it, or else one more "Porta seriale".
// Either way the same entry gives the same port number, backend, messages and fallbacks:
//
//   PortOpener opener(GetSerialPortNames().entries, sim::simulatedControllerLine());
//   const PortPick pick = opener.resolve(QStringLiteral("/dev/pts/4"));  // or a chooser's number
//   QString error;
//   if (pick.number != 0 && !opener.open(pick.number, &error))
//       report(openFailedText(pick.number, error));
//   opener.setLostHandler([&](const QString& reason) { report(connectionLostText(pick.number, reason)); });
//   engine.setPort(opener.port());  // and setPort(nullptr) when the line closes or is lost

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/port_discovery.h"
#include "link/serial_port.h"

namespace tq {

// Where the chooser's list comes from (GetSerialPortNames when empty).
using PortDiscoverer = std::function<PortDiscovery()>;
// The line that opens for a listed entry (nullptr: a number no entry owns). The opener then sets
// the port number and opens it.
using PortBackend = std::function<std::unique_ptr<SerialPort>(const PortEntry* listed)>;
// A new line to the simulated controller, made by sim/ (the core's link knows no simulator).
using SimulatedLine = std::function<std::unique_ptr<SerialPort>()>;
// A port laid over the line before it opens, seeing all that passes (the line trace); listed is
// the line's entry (nullptr: a number no entry owns).
using LineDecorator =
    std::function<std::unique_ptr<SerialPort>(std::unique_ptr<SerialPort> line, const PortEntry* listed)>;

// The LOCATION of the simulated controller.
inline constexpr const char* kSimulatedLocation = "sim";

class PortOpener {
public:
    // The default backend opens the simulated entry through `simulated` (without one it does not
    // open) and every other number on the real serial port, at the entry's location or, for a
    // number no entry owns, at "COM<n>". Tests pass a backend of their own.
    PortOpener(std::vector<PortEntry> entries, SimulatedLine simulated, PortBackend backend = {});
    ~PortOpener();
    PortOpener(const PortOpener&) = delete;
    PortOpener& operator=(const PortOpener&) = delete;

    // The chooser's list, with the lines resolve added.
    const std::vector<PortEntry>& entries() const { return m_entries; }

    // What picking the entry that LOCATION names gives (see above); number 0 when all 255
    // numbers are taken and the location is not listed.
    PortPick resolve(const QString& location);

    // Closes the line that is open, then opens the one numbered `number` at 9600 8N1. On failure
    // returns false with the reason in the user's words, and nothing stays open.
    bool open(std::uint8_t number, QString* error);
    // The same without waiting for the line (SerialPort::startOpen), for a program that opens
    // many at once: `done` runs from the event loop when the line is open (port() is it) or did
    // not open (with the reason). Another open or a close first abandons it: `done` never runs.
    void startOpen(std::uint8_t number, std::function<void(bool opened, const QString& error)> done);
    // The open line, or nullptr.
    SerialPort* port() const { return m_port.get(); }
    void close();

    // Runs once when the open line goes away (adapter pulled, read or write error, far end
    // closed), from the event loop and never inside a call on the port, after the opener has
    // closed it: port() is then nullptr.
    void setLostHandler(std::function<void(const QString& reason)> lost) { m_lost = std::move(lost); }

    // Every line opened from now on is opened through the port this makes of it.
    void setLineDecorator(LineDecorator decorate) { m_decorate = std::move(decorate); }

private:
    const PortEntry* find(const QString& location) const;
    std::unique_ptr<SerialPort> systemPort(const PortEntry* listed) const;
    // The line numbered `number`, not yet open, whose loss this opener hears of.
    std::unique_ptr<SerialPort> lineFor(std::uint8_t number);

    std::vector<PortEntry> m_entries;
    SimulatedLine m_simulated;
    PortBackend m_backend;
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<SerialPort> m_opening;  // startOpen's line until it reports
    std::function<void(const QString&)> m_lost;
    LineDecorator m_decorate;
    // Receives the ports' loss reports: a report still queued when the opener goes is dropped.
    QObject m_reports;
};

// The line at a location that no list holds: the network line of a URL or of an alias to one,
// otherwise the serial port at that system location.
std::unique_ptr<SerialPort> systemLineAt(const QString& location);

// "Connesso a Com.9 ,9600,N,8,1": the caption of the connected state.
std::string connectedCaption(std::uint8_t number);
// " Impossibile aprire la porta Com.9 : la porta non esiste ": a line that did not open.
std::string openFailedText(std::uint8_t number, const QString& error);
// " Connessione persa con la porta Com.9 : errore di lettura ": a line that went away.
std::string connectionLostText(std::uint8_t number, const QString& reason);

}  // namespace tq
