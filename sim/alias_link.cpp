#include "sim/alias_link.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "link/port_aliases.h"

namespace tq::sim {

QString AliasLink::path() const
{
    return portAliasFolder() + QLatin1Char('/') + m_name;
}

bool AliasLink::point(const QString& target, QString* error)
{
    const QString link = path();
    if (!QDir().mkpath(portAliasFolder())) {
        *error = QStringLiteral("cannot create the folder of port aliases %1").arg(portAliasFolder());
        return false;
    }
    const QFileInfo existing(link);
    if (existing.isSymLink()) {
        const QString current = aliasTarget(link);
        if (current != m_target && QFileInfo::exists(current)) {
            *error = QStringLiteral("%1 already points at %2, in use by another simulator; "
                                    "choose another name with --alias")
                         .arg(link, current);
            return false;
        }
        QFile::remove(link);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a link").arg(link);
        return false;
    }
    if (!QFile::link(target, link)) {
        *error = QStringLiteral("cannot create the link %1").arg(link);
        return false;
    }
    m_target = target;
    return true;
}

void AliasLink::remove()
{
    if (m_target.isEmpty())
        return;
    const QFileInfo existing(path());
    if (existing.isSymLink() && aliasTarget(path()) == m_target)
        QFile::remove(path());
    m_target.clear();
}

}  // namespace tq::sim
