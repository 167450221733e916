#pragma once
// The folder of port aliases: every symbolic link in it names a serial line that the port
// chooser offers beside the system's serial devices (a simulator's pseudo-terminal, a
// serial-over-network bridge). The link's name is what the user sees; its target is the device.

#include <QString>

namespace tq {

// $TQ310_PORT_ALIASES when set, otherwise <generic data folder>/tq310-test/ports
// (~/.local/share/tq310-test/ports on Linux).
QString portAliasFolder();

}  // namespace tq
