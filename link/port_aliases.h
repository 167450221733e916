#pragma once
// The folder of port aliases: every symbolic link in it names a serial line that the port
// chooser offers beside the system's serial devices (a simulator's pseudo-terminal, a
// serial device server). The link's name is what the user sees; its target is the device, or the
// URL of a network line (tcp://HOST:PORT, rfc2217://HOST:PORT).

#include <QString>

namespace tq {

// $TQ310_PORT_ALIASES when set, otherwise <generic data folder>/tq310-test/ports
// (~/.local/share/tq310-test/ports on Linux).
QString portAliasFolder();

// The target of a symbolic link as it was written (a URL stays a URL); for a link that is not
// a symbolic one (a Windows shortcut), the absolute path it leads to.
QString aliasTarget(const QString& link);

}  // namespace tq
