// ports: the entries of the port chooser "CONNESSIONE (porte disponibili)".
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "cli/exit_status.h"
#include "cli/jobs.h"
#include "link/port_discovery.h"

namespace tq::cli {

namespace {

// What --port takes to open the entry.
QString locationOf(const PortEntry& entry)
{
    switch (entry.kind) {
    case PortEntry::Kind::Simulated: return QStringLiteral("sim");
    case PortEntry::Kind::Alias: return QFileInfo(entry.location).fileName();
    case PortEntry::Kind::Device: break;
    }
    return entry.location;
}

QString kindName(PortEntry::Kind kind)
{
    switch (kind) {
    case PortEntry::Kind::Simulated: return QStringLiteral("simulated");
    case PortEntry::Kind::Alias: return QStringLiteral("alias");
    case PortEntry::Kind::Device: break;
    }
    return QStringLiteral("device");
}

}  // namespace

int runPorts(const Request&, Output& out)
{
    const PortDiscovery found = GetSerialPortNames();
    // As in the chooser, a system list that cannot be read leaves the other entries usable.
    if (!found.error.isEmpty())
        out.error(found.error);

    QJsonArray ports;
    for (const PortEntry& e : found.entries) {
        const QString name = QString::fromLatin1(e.name);
        ports.append(QJsonObject{{QStringLiteral("number"), e.number}, {QStringLiteral("name"), name},
                                 {QStringLiteral("location"), locationOf(e)}, {QStringLiteral("detail"), e.detail},
                                 {QStringLiteral("kind"), kindName(e.kind)}});
        out.line(QStringLiteral("%1\t%2\t%3\t%4").arg(e.number).arg(name, locationOf(e), e.detail));
    }
    out.object(Subject{QStringLiteral("ports"), {}, {}}, Success, found.error, QJsonObject{{QStringLiteral("ports"), ports}});
    return Success;
}

}  // namespace tq::cli
