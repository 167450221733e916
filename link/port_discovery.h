#pragma once
// The serial lines the port chooser offers, and the digit rule that turns a chosen entry into a
// port number. Each entry's name is the text the digit rule reads; on Linux and macOS it is
// built so that its only digits are its port number ("Porta seriale (COM1)"), while the system
// path and the adapter's description go into the entry's detail, which the chooser shows on a
// second line and in the tooltip but which the rule never reads.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

struct PortEntry {
    enum class Kind { Device, Alias, Simulated };

    std::string name;      // the line the digit rule reads (Latin-1)
    QString detail;        // system path, adapter description, alias target
    QString location;      // what the backend opens; empty for the simulated controller
    std::uint8_t number = 0;
    Kind kind = Kind::Device;
};

struct PortDiscovery {
    std::vector<PortEntry> entries;
    QString error;         // not empty: the system's device list could not be read
};

// Builds the list: the system's serial devices, the links in portAliasFolder(), and the
// in-process simulated controller, numbered 1, 2, 3 ... in that order where the system gives
// no number of its own.
PortDiscovery GetSerialPortNames();

// The digit rule: every decimal digit of the entry, left to right, read as one number; none
// gives 0. When that number exceeds 255 (a name with further digits besides the port number),
// the number written right after the first "COM" is taken instead; nullopt when there is none
// in 1..255 either.
std::optional<std::uint8_t> portNumberFromEntry(std::string_view name);

// What picking an entry gives: the port number its name yields by the digit rule (0: no
// connection), or, when the digits give none, the chooser's refusal
// " Numero di porta non valido (oltre 255): <name> " and number 0.
struct PortPick {
    std::uint8_t number = 0;
    std::string refusal;
};
PortPick pickPort(std::string_view name);

// The entry that owns a port number, or nullptr.
const PortEntry* findPort(const std::vector<PortEntry>& entries, std::uint8_t number);

// The lowest port number no entry owns, or 0 when all 255 are taken.
std::uint8_t freePortNumber(const std::vector<PortEntry>& entries);

// The entries that discovery numbers itself: "Porta seriale (COM<n>)" for a serial device at
// location (its path and adapter in the detail), and "Controllore simulato (COM<n>)".
PortEntry serialDeviceEntry(std::uint8_t number, const QString& location, const QString& detail);
PortEntry simulatedControllerEntry(std::uint8_t number);

}  // namespace tq
