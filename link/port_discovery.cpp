#include "link/port_discovery.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "link/network_port.h"
#include "link/port_aliases.h"
#include "link/system_ports.h"

namespace tq {

namespace {

constexpr unsigned kMaxPort = 255;

std::string withComNumber(const char* what, std::uint8_t number)
{
    return std::string(what) + " (COM" + std::to_string(number) + ")";
}

// The n of a Windows port name COM<n> (one to three digits), or 0.
unsigned comNumber(const QString& name)
{
    if (!name.startsWith(QLatin1String("COM")) || name.size() < 4 || name.size() > 6)
        return 0;
    unsigned n = 0;
    for (qsizetype i = 3; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

QString joined(const QStringList& parts)
{
    QStringList kept;
    for (const QString& p : parts)
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    return kept.join(QStringLiteral("  "));
}

}  // namespace

PortDiscovery GetSerialPortNames()
{
    PortDiscovery found;
#if defined(Q_OS_LINUX)
    // Where the system's serial devices are listed; without it there is no inventory to read.
    if (!QFileInfo(QStringLiteral("/sys/class/tty")).isReadable()) {
        found.error = QString::fromUtf8("l'elenco dei dispositivi seriali del sistema (/sys/class/tty) non è leggibile");
        return found;
    }
#endif
    const std::vector<SystemPort> devices = systemSerialPorts();

    // Windows names its ports COM<n> itself: that number is kept, and the entry reads like the
    // system's device name.
    std::vector<const SystemPort*> unnumbered;
    for (const SystemPort& info : devices) {
        const unsigned n = comNumber(info.name);
        if (n == 0 || n > kMaxPort || findPort(found.entries, static_cast<std::uint8_t>(n))) {
            unnumbered.push_back(&info);
            continue;
        }
        PortEntry e;
        const QString description = info.description.isEmpty() ? QStringLiteral("Porta seriale") : info.description;
        e.name = (description + QStringLiteral(" (") + info.name + QLatin1Char(')')).toLatin1().toStdString();
        e.detail = joined({info.location, info.manufacturer});
        e.location = info.location;
        e.number = static_cast<std::uint8_t>(n);
        found.entries.push_back(std::move(e));
    }

    for (const SystemPort* info : unnumbered) {
        const std::uint8_t number = freePortNumber(found.entries);
        if (number == 0)
            return found;
        found.entries.push_back(serialDeviceEntry(
            number, info->location, joined({info->location, info->description, info->manufacturer})));
    }

    const QDir aliases(portAliasFolder());
    const QFileInfoList links = aliases.entryInfoList(
        QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        if (!link.isSymLink())
            continue;
        PortEntry e;
        e.number = freePortNumber(found.entries);
        if (e.number == 0)
            return found;
        e.kind = PortEntry::Kind::Alias;
        e.name = withComNumber("Collegamento", e.number);
        e.detail = link.fileName() + QString::fromUtf8(" → ")
            + networkLineBehind(link.absoluteFilePath()).value_or(link.symLinkTarget());
        e.location = link.absoluteFilePath();
        found.entries.push_back(std::move(e));
    }

    const std::uint8_t simulated = freePortNumber(found.entries);
    if (simulated != 0)
        found.entries.push_back(simulatedControllerEntry(simulated));
    return found;
}

std::optional<std::uint8_t> portNumberFromEntry(std::string_view name)
{
    unsigned value = 0;
    bool tooLarge = false;
    for (char c : name) {
        if (c < '0' || c > '9')
            continue;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > kMaxPort) {
            tooLarge = true;
            value = kMaxPort + 1;
        }
    }
    if (!tooLarge)
        return static_cast<std::uint8_t>(value);

    const std::size_t com = name.find("COM");
    if (com == std::string_view::npos)
        return std::nullopt;
    unsigned n = 0;
    std::size_t i = com + 3;
    const std::size_t first = i;
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && n <= kMaxPort; ++i)
        n = n * 10 + static_cast<unsigned>(name[i] - '0');
    if (i == first || n == 0 || n > kMaxPort)
        return std::nullopt;
    return static_cast<std::uint8_t>(n);
}

PortPick pickPort(std::string_view name)
{
    if (const std::optional<std::uint8_t> number = portNumberFromEntry(name))
        return {*number, {}};
    return {0, " Numero di porta non valido (oltre 255): " + std::string(name) + " "};
}

const PortEntry* findPort(const std::vector<PortEntry>& entries, std::uint8_t number)
{
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [number](const PortEntry& e) { return e.number == number; });
    return it == entries.end() ? nullptr : &*it;
}

std::uint8_t freePortNumber(const std::vector<PortEntry>& entries)
{
    for (unsigned n = 1; n <= kMaxPort; ++n)
        if (!findPort(entries, static_cast<std::uint8_t>(n)))
            return static_cast<std::uint8_t>(n);
    return 0;
}

PortEntry serialDeviceEntry(std::uint8_t number, const QString& location, const QString& detail)
{
    PortEntry e;
    e.name = withComNumber("Porta seriale", number);
    e.detail = detail;
    e.location = location;
    e.number = number;
    return e;
}

PortEntry simulatedControllerEntry(std::uint8_t number)
{
    PortEntry e;
    e.kind = PortEntry::Kind::Simulated;
    e.name = withComNumber("Controllore simulato", number);
    e.detail = QString::fromUtf8("simulatore interno del controllore, senza cavo");
    e.number = number;
    return e;
}

}  // namespace tq
