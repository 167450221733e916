#include "link/port_aliases.h"

#include <QDir>
#include <QStandardPaths>

namespace tq {

QString portAliasFolder()
{
    const QString overridden = qEnvironmentVariable("TQ310_PORT_ALIASES");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/tq310-test/ports");
}

}  // namespace tq
