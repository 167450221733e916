#include "link/port_opener.h"

#include <QFileInfo>

#include "link/network_port.h"
#include "link/qt_serial_port.h"

namespace tq {

namespace {

// Where a location leads: the network line it names or its alias points at, or else the file,
// links followed; empty when it leads nowhere.
QString lineBehind(const QString& location)
{
    if (location.isEmpty())
        return {};
    if (const std::optional<QString> url = networkLineBehind(location))
        return *url;
    return QFileInfo(location).canonicalFilePath();
}

}  // namespace

PortOpener::PortOpener(std::vector<PortEntry> entries, SimulatedLine simulated, PortBackend backend)
    : m_entries(std::move(entries)), m_simulated(std::move(simulated)), m_backend(std::move(backend))
{
}

PortOpener::~PortOpener()
{
    close();
}

const PortEntry* PortOpener::find(const QString& location) const
{
    using Kind = PortEntry::Kind;
    const auto first = [this](auto matches) -> const PortEntry* {
        for (const PortEntry& e : m_entries)
            if (matches(e))
                return &e;
        return nullptr;
    };
    if (location == QLatin1String(kSimulatedLocation))
        return first([](const PortEntry& e) { return e.kind == Kind::Simulated; });
    if (const PortEntry* e = first([&](const PortEntry& e) { return !e.location.isEmpty() && e.location == location; }))
        return e;
    // A bare name: a link of the alias folder, then a device as the system names it ("ttyUSB0").
    if (!location.contains(QLatin1Char('/'))) {
        for (const Kind kind : {Kind::Alias, Kind::Device}) {
            const PortEntry* e = first([&](const PortEntry& e) {
                return e.kind == kind && !e.location.isEmpty() && QFileInfo(e.location).fileName() == location;
            });
            if (e)
                return e;
        }
    }
    // Another path to the same line: an alias's target, a /dev/serial/by-id link.
    const QString behind = lineBehind(location);
    if (behind.isEmpty())
        return nullptr;
    return first([&](const PortEntry& e) { return e.kind != Kind::Simulated && lineBehind(e.location) == behind; });
}

PortPick PortOpener::resolve(const QString& location)
{
    const PortEntry* entry = find(location);
    if (!entry) {
        const std::uint8_t number = freePortNumber(m_entries);
        if (number == 0)
            return {};
        m_entries.push_back(location == QLatin1String(kSimulatedLocation)
                                ? simulatedControllerEntry(number)
                                : serialDeviceEntry(number, location, location));
        entry = &m_entries.back();
    }
    return pickPort(entry->name);
}

std::unique_ptr<SerialPort> PortOpener::systemPort(const PortEntry* listed) const
{
    if (listed && listed->kind == PortEntry::Kind::Simulated && m_simulated)
        return m_simulated();
    if (listed && !listed->location.isEmpty())
        return systemLineAt(listed->location);
    return std::make_unique<QtSerialPort>(m_entries);
}

std::unique_ptr<SerialPort> PortOpener::lineFor(std::uint8_t number)
{
    const PortEntry* listed = findPort(m_entries, number);
    std::unique_ptr<SerialPort> port = m_backend ? m_backend(listed) : systemPort(listed);
    if (m_decorate)
        port = m_decorate(std::move(port), listed);
    port->setPortNumber(number);
    // Queued, and received here rather than by the port: a port that finds itself lost inside a
    // write must not be destroyed under it. A loss right after startOpen's report is queued
    // behind it, so it finds the line in m_port.
    SerialPort* raw = port.get();
    QObject::connect(raw, &SerialPort::deviceLost, &m_reports, [this, raw](const QString& reason) {
        if (m_port.get() != raw)
            return;
        close();
        if (m_lost)
            m_lost(reason);
    }, Qt::QueuedConnection);
    return port;
}

bool PortOpener::open(std::uint8_t number, QString* error)
{
    close();
    std::unique_ptr<SerialPort> port = lineFor(number);
    if (!port->open(error))
        return false;
    m_port = std::move(port);
    return true;
}

void PortOpener::startOpen(std::uint8_t number, std::function<void(bool opened, const QString& error)> done)
{
    close();
    m_opening = lineFor(number);
    SerialPort* raw = m_opening.get();
    QObject::connect(raw, &SerialPort::openFinished, &m_reports, [this, raw, done](bool opened, const QString& error) {
        if (m_opening.get() != raw)
            return;
        if (opened)
            m_port = std::move(m_opening);
        else
            m_opening.release()->deleteLater();  // it is still reporting
        done(opened, error);
    });
    raw->startOpen();
}

void PortOpener::close()
{
    m_opening.reset();
    if (m_port)
        m_port->close();
    m_port.reset();
}

std::unique_ptr<SerialPort> systemLineAt(const QString& location)
{
    if (const std::optional<QString> url = networkLineBehind(location))
        return std::make_unique<NetworkPort>(*url);
    auto port = std::make_unique<QtSerialPort>();
    port->setSystemLocation(location);
    return port;
}

std::string connectedCaption(std::uint8_t number)
{
    return "Connesso a Com." + std::to_string(number) + " ,9600,N,8,1";
}

std::string openFailedText(std::uint8_t number, const QString& error)
{
    return " Impossibile aprire la porta Com." + std::to_string(number) + " : " + error.toLatin1().toStdString() + " ";
}

std::string connectionLostText(std::uint8_t number, const QString& reason)
{
    return " Connessione persa con la porta Com." + std::to_string(number) + " : " + reason.toLatin1().toStdString()
        + " ";
}

}  // namespace tq
