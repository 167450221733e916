#include "link/port_aliases.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace tq {

QString portAliasFolder()
{
    const QString overridden = qEnvironmentVariable("TQ310_PORT_ALIASES");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/tq310-test/ports");
}

QString aliasTarget(const QString& link)
{
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(std::filesystem::path(link.toStdU16String()), error);
    if (error)
        return QFileInfo(link).symLinkTarget();
    return QString::fromStdU16String(target.u16string());
}

}  // namespace tq
