#include "link/qt_serial_port.h"

#include <QFileInfo>

#include <algorithm>

#if defined(Q_OS_UNIX)
#include <unistd.h>

#include <vector>
#endif

namespace tq {

namespace {

// Whether this process counts as a member of the group: its own group or one of the others.
bool inGroup(uint groupId)
{
#if defined(Q_OS_UNIX)
    if (getegid() == groupId)
        return true;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(std::max(getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    return std::find(groups.begin(), groups.end(), groupId) != groups.end();
#else
    Q_UNUSED(groupId);
    return true;
#endif
}

// A port this user may not open. Joining the device's group helps only when the group is the
// serial ports' (dialout on Debian and Fedora, uucp on Arch) and the user is not one of it yet;
// otherwise the owner, the group and the mode tell what stands in the way.
QString permissionDeniedText(const QFileInfo& device)
{
    const QString group = device.group();
    if (group.isEmpty())
        return QString::fromUtf8("permesso negato: l'utente non ha accesso alla porta");
    const bool serialGroup = group == QLatin1String("dialout") || group == QLatin1String("uucp");
    if (serialGroup && !inGroup(device.groupId()))
        return QString::fromUtf8("permesso negato: la porta appartiene al gruppo %1, di cui l'utente non fa parte "
                                 "(sudo usermod -aG %1 $USER, poi uscire e rientrare nella sessione)")
            .arg(group);
    const auto permissions = static_cast<uint>(device.permissions());
    const QString mode = QStringLiteral("0%1%2%3")
                             .arg((permissions >> 12) & 7)
                             .arg((permissions >> 4) & 7)
                             .arg(permissions & 7);
    return QString::fromUtf8("permesso negato: proprietario %1, gruppo %2, permessi %3").arg(device.owner(), group, mode);
}

}  // namespace

QtSerialPort::QtSerialPort(std::vector<PortEntry> ports, QObject* parent)
    : SerialPort(parent), m_ports(std::move(ports))
{
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::bytesArrived);
}

QtSerialPort::~QtSerialPort() = default;

void QtSerialPort::setPortNumber(std::uint8_t number)
{
    if (m_fixedLocation)
        return;
    if (const PortEntry* entry = findPort(m_ports, number); entry && !entry->location.isEmpty())
        m_location = entry->location;
    else
        m_location = QStringLiteral("COM%1").arg(number);
}

void QtSerialPort::setSystemLocation(const QString& location)
{
    m_location = location;
    m_fixedLocation = true;
}

bool QtSerialPort::open(QString* error)
{
    close();
    m_lost = false;
    m_port.setPortName(m_location);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error)
            *error = openErrorText(m_port.error(), m_location);
        m_port.clearError();
        return false;
    }
    m_port.clearError();
    return true;
}

void QtSerialPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

bool QtSerialPort::isOpen() const
{
    return m_port.isOpen();
}

void QtSerialPort::write(std::string_view bytes)
{
    if (!m_port.isOpen() || bytes.empty())
        return;
    const qint64 written = m_port.write(bytes.data(), static_cast<qint64>(bytes.size()));
    // Not flushed here: the bytes leave when the handler returns to the event loop, so that a
    // sender's later steps (such as discarding the input after "K") come before any answer.
    if (written != static_cast<qint64>(bytes.size()))
        lose(QString::fromUtf8("errore di scrittura"));
}

int QtSerialPort::bytesWaiting()
{
    return m_port.isOpen() ? static_cast<int>(m_port.bytesAvailable()) : 0;
}

std::string QtSerialPort::takeAll()
{
    if (!m_port.isOpen())
        return {};
    const QByteArray all = m_port.readAll();
    return std::string(all.constData(), static_cast<std::size_t>(all.size()));
}

void QtSerialPort::take(char* into, std::size_t size)
{
    if (m_port.isOpen())
        m_port.read(into, static_cast<qint64>(size));
}

void QtSerialPort::discardAll()
{
    if (!m_port.isOpen())
        return;
    m_port.readAll();
    m_port.clear(QSerialPort::Input);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
        lose(QString::fromUtf8("il dispositivo è stato scollegato"));
        break;
    case QSerialPort::ReadError:
        lose(QString::fromUtf8("errore di lettura"));
        break;
    case QSerialPort::WriteError:
        lose(QString::fromUtf8("errore di scrittura"));
        break;
    case QSerialPort::NoError:
        break;
    default:
        // Modem-line and other operations a pseudo-terminal or a bridge does not support, and
        // the time-outs of a poll, are no fault of the line.
        if (m_port.isOpen())
            m_port.clearError();
        break;
    }
}

void QtSerialPort::lose(const QString& reason)
{
    if (!m_port.isOpen() || m_lost)
        return;
    m_lost = true;
    emit deviceLost(reason);
}

QString openErrorText(QSerialPort::SerialPortError error, const QString& location)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QString::fromUtf8("la porta non esiste");
    case QSerialPort::PermissionError: {
        // The system says the same for a port in use and for a user who may not open it.
        const QFileInfo device(location);
        if (device.exists() && !(device.isReadable() && device.isWritable()))
            return permissionDeniedText(device);
        return QString::fromUtf8("la porta è occupata da un altro programma o non è accessibile");
    }
    case QSerialPort::OpenError:
        return QString::fromUtf8("la porta è già aperta");
    case QSerialPort::UnsupportedOperationError:
        return QString::fromUtf8("la porta non accetta le impostazioni 9600,N,8,1");
    default:
        return QString::fromUtf8("errore della porta seriale");
    }
}

}  // namespace tq
