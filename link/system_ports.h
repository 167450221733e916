#pragma once
// The serial devices of the system, as the port chooser lists them: the device's name, where it
// opens, and what the adapter says of itself.
//
// On Linux they come straight from the kernel's tty class folder (/sys/class/tty), reading only
// what the chooser needs: the list of terminals and the list of virtual ones (consoles,
// pseudo-terminals), which leave the devices; for each device its link, which says where it
// sits; the "type" of a UART placeholder, which tells a port from an empty slot; and the product
// and maker of a USB adapter. Nothing else of /sys is opened (the device manager's way walks
// every component of every terminal's path, some 40 opens a terminal).
// Elsewhere the list is Qt's.

#include <QString>

#include <vector>

namespace tq {

struct SystemPort {
    QString name;          // ttyUSB0, COM3
    QString location;      // /dev/ttyUSB0, COM3
    QString description;   // the adapter's product, when it gives one
    QString manufacturer;
};

// In the order the chooser numbers them: by name, numbers in their value (ttyUSB2 before ttyUSB10).
std::vector<SystemPort> systemSerialPorts();

// The Linux scan of a folder laid out as /sys/class/tty; the locations are devFolder/<name>.
std::vector<SystemPort> ttyClassSerialPorts(const QString& ttyClass, const QString& devFolder);

}  // namespace tq
