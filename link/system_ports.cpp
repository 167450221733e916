#include "link/system_ports.h"

#include <QDir>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>

#if defined(Q_OS_UNIX)
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tq {

namespace {

// ttyUSB10 as ("ttyUSB", 10): names compare by their letters, then by their number's value.
std::tuple<QString, unsigned long long, QString> orderKey(const QString& name)
{
    qsizetype digits = name.size();
    while (digits > 0 && name[digits - 1].isDigit())
        --digits;
    return {name.left(digits), name.mid(digits).toULongLong(), name};
}

#if defined(Q_OS_UNIX)

// The names in a folder, without "." and "..".
QStringList folderNames(const QString& folder)
{
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.')
            names << QFile::decodeName(entry->d_name);
    ::closedir(dir);
    return names;
}

QString linkTarget(const QString& path)
{
    char target[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    return n > 0 ? QFile::decodeName(QByteArray(target, static_cast<qsizetype>(n))) : QString();
}

// A small attribute file of /sys, without its line end and outer blanks; empty when missing.
QString attribute(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char text[256];
    const ssize_t n = ::read(fd, text, sizeof text);
    ::close(fd);
    return n > 0 ? QString::fromLatin1(text, static_cast<qsizetype>(n)).simplified() : QString();
}

// Terminals without a device of their own that are still serial lines: Bluetooth serial links,
// the serial line of a USB gadget, and null-modem pairs.
bool virtualSerialLine(const QString& name)
{
    return name.startsWith(QLatin1String("rfcomm")) || name.startsWith(QLatin1String("ttyGS"))
        || name.startsWith(QLatin1String("tnt"));
}

// A USB device's folder is named bus-port[.port...] ("1-2", "3-1.4"); its interfaces add
// ":config.interface" ("1-2:1.0").
bool usbDeviceName(const QString& folder)
{
    const qsizetype dash = folder.indexOf(QLatin1Char('-'));
    if (dash <= 0)
        return false;
    bool digitBefore = false;
    for (qsizetype i = 0; i < folder.size(); ++i) {
        const char16_t c = folder[i].unicode();
        if (c >= '0' && c <= '9') {
            digitBefore = true;
            continue;
        }
        // A separator stands between digits: '-' once, where it is, then '.' between ports.
        const bool separator = i == dash ? c == '-' : i > dash && c == '.';
        if (!separator || !digitBefore)
            return false;
        digitBefore = false;
    }
    return digitBefore;
}

// The USB device among the folders of a device path: the one nearest the terminal.
QString usbDeviceFolder(const QString& devicePath)
{
    const QStringList parts = devicePath.split(QLatin1Char('/'));
    for (qsizetype i = parts.size() - 1; i >= 0; --i)
        if (usbDeviceName(parts[i]))
            return parts.mid(0, i + 1).join(QLatin1Char('/'));
    return {};
}

#endif

}  // namespace

std::vector<SystemPort> ttyClassSerialPorts(const QString& ttyClass, const QString& devFolder)
{
    std::vector<SystemPort> ports;
#if defined(Q_OS_UNIX)
    // Every entry links to its device's folder, ../../devices/<bus path>/tty/<name>; the terminals
    // without a device (consoles, pseudo-terminals) are the ones in devices/virtual/tty, which
    // one listing tells apart without following a link each.
    const QStringList virtualTerminals = folderNames(QDir::cleanPath(ttyClass + QLatin1String("/../../devices/virtual/tty")));
    for (const QString& name : folderNames(ttyClass)) {
        if (virtualTerminals.contains(name)) {
            if (virtualSerialLine(name))
                ports.push_back({name, devFolder + QLatin1Char('/') + name, {}, {}});
            continue;
        }
        const QString target = linkTarget(ttyClass + QLatin1Char('/') + name);
        if (target.isEmpty())
            continue;
        // The UART driver registers a placeholder for every slot it may have; an empty slot is
        // of type 0 ("unknown").
        if (target.contains(QLatin1String("/serial8250"))
            && attribute(ttyClass + QLatin1Char('/') + name + QLatin1String("/type")) == QLatin1String("0"))
            continue;
        SystemPort port{name, devFolder + QLatin1Char('/') + name, {}, {}};
        const QString usb = usbDeviceFolder(QDir::cleanPath(ttyClass + QLatin1Char('/') + target));
        if (!usb.isEmpty()) {
            port.description = attribute(usb + QLatin1String("/product"));
            port.manufacturer = attribute(usb + QLatin1String("/manufacturer"));
        }
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(),
              [](const SystemPort& a, const SystemPort& b) { return orderKey(a.name) < orderKey(b.name); });
#else
    (void)ttyClass;
    (void)devFolder;
#endif
    return ports;
}

std::vector<SystemPort> systemSerialPorts()
{
#if defined(Q_OS_LINUX)
    return ttyClassSerialPorts(QStringLiteral("/sys/class/tty"), QStringLiteral("/dev"));
#else
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back({info.portName(), info.systemLocation(), info.description(), info.manufacturer()});
    std::stable_sort(ports.begin(), ports.end(),
                     [](const SystemPort& a, const SystemPort& b) { return orderKey(a.name) < orderKey(b.name); });
    return ports;
#endif
}

}  // namespace tq
