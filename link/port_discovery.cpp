#include "link/port_discovery.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

#include "link/port_aliases.h"

namespace tq {

namespace {

constexpr unsigned kMaxPort = 255;

std::string withComNumber(const char* what, std::uint8_t number)
{
    return std::string(what) + " (COM" + std::to_string(number) + ")";
}

// The lowest port number that no entry has taken yet, or 0 when all are.
std::uint8_t nextFreeNumber(const std::vector<PortEntry>& entries, unsigned& from)
{
    for (; from <= kMaxPort; ++from) {
        if (!findPort(entries, static_cast<std::uint8_t>(from)))
            return static_cast<std::uint8_t>(from++);
    }
    return 0;
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
    const QList<QSerialPortInfo> devices = QSerialPortInfo::availablePorts();

    // Windows names its ports COM<n> itself: that number is kept, and the entry reads like the
    // system's device name.
    static const QRegularExpression comName(QStringLiteral("^COM(\\d{1,3})$"));
    std::vector<const QSerialPortInfo*> unnumbered;
    for (const QSerialPortInfo& info : devices) {
        const auto match = comName.match(info.portName());
        const unsigned n = match.hasMatch() ? match.captured(1).toUInt() : 0;
        if (n == 0 || n > kMaxPort || findPort(found.entries, static_cast<std::uint8_t>(n))) {
            unnumbered.push_back(&info);
            continue;
        }
        PortEntry e;
        const QString description = info.description().isEmpty() ? QStringLiteral("Porta seriale") : info.description();
        e.name = (description + QStringLiteral(" (") + info.portName() + QLatin1Char(')')).toLatin1().toStdString();
        e.detail = joined({info.systemLocation(), info.manufacturer()});
        e.location = info.systemLocation();
        e.number = static_cast<std::uint8_t>(n);
        found.entries.push_back(std::move(e));
    }

    unsigned from = 1;
    for (const QSerialPortInfo* info : unnumbered) {
        PortEntry e;
        e.number = nextFreeNumber(found.entries, from);
        if (e.number == 0)
            return found;
        e.name = withComNumber("Porta seriale", e.number);
        e.detail = joined({info->systemLocation(), info->description(), info->manufacturer()});
        e.location = info->systemLocation();
        found.entries.push_back(std::move(e));
    }

    const QDir aliases(portAliasFolder());
    const QFileInfoList links = aliases.entryInfoList(
        QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        if (!link.isSymLink())
            continue;
        PortEntry e;
        e.number = nextFreeNumber(found.entries, from);
        if (e.number == 0)
            return found;
        e.kind = PortEntry::Kind::Alias;
        e.name = withComNumber("Collegamento", e.number);
        e.detail = link.fileName() + QString::fromUtf8(" → ") + link.symLinkTarget();
        e.location = link.absoluteFilePath();
        found.entries.push_back(std::move(e));
    }

    PortEntry sim;
    sim.number = nextFreeNumber(found.entries, from);
    if (sim.number == 0)
        return found;
    sim.kind = PortEntry::Kind::Simulated;
    sim.name = withComNumber("Controllore simulato", sim.number);
    sim.detail = QString::fromUtf8("simulatore interno del controllore, senza cavo");
    found.entries.push_back(std::move(sim));
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

const PortEntry* findPort(const std::vector<PortEntry>& entries, std::uint8_t number)
{
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [number](const PortEntry& e) { return e.number == number; });
    return it == entries.end() ? nullptr : &*it;
}

}  // namespace tq
