// The digit rule, and the list discovery builds: every entry's digits give back its own number.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "link/port_discovery.h"
#include "link/system_ports.h"

namespace tq {
namespace {

TEST(DigitRule, EveryDigitCountsAndOver255FallsBackToTheNumberAfterCom)
{
    const struct { const char* entry; std::optional<std::uint8_t> number; } cases[] = {
        {"USB Serial Port (COM3)", 3}, {"Senza numero", 0}, {"COM03", 3}, {"COM255", 255},
        {"Adapter 9 (COM3)", 93},           // every digit, not only those after "COM"
        {"Prolific 2303 (COM4)", 4},        // 23034 is too large: the number after "COM"
        {"COM256", std::nullopt},           // no port number fits
        {"USB 1234 serial", std::nullopt},  // too large and no "COM"
        {"com5 port 1000", std::nullopt},   // "COM" is case-sensitive
    };
    for (const auto& c : cases)
        EXPECT_EQ(portNumberFromEntry(c.entry), c.number) << c.entry;
}

// Port aliases are symbolic links, and the tty class folder is Linux's: POSIX systems only.
#ifdef Q_OS_UNIX
TEST(Discovery, ListsDevicesAliasesAndTheSimulatorUnderNumbersThatMapBack)
{
    QTemporaryDir aliases;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), aliases.filePath(QStringLiteral("tq310-sim"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), aliases.filePath(QStringLiteral("bridge7"))));
    ASSERT_TRUE(QFile(aliases.filePath(QStringLiteral("readme.txt"))).open(QIODevice::WriteOnly));  // not a port
    qputenv("TQ310_PORT_ALIASES", aliases.path().toLocal8Bit());

    const PortDiscovery found = GetSerialPortNames();
    qunsetenv("TQ310_PORT_ALIASES");
    ASSERT_TRUE(found.error.isEmpty()) << found.error.toStdString();

    std::vector<const PortEntry*> links;
    for (const PortEntry& e : found.entries) {
        EXPECT_EQ(portNumberFromEntry(e.name), std::optional<std::uint8_t>(e.number)) << e.name;
        EXPECT_EQ(findPort(found.entries, e.number), &e);
        if (e.kind == PortEntry::Kind::Alias)
            links.push_back(&e);
    }
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0]->detail, QString::fromUtf8("bridge7 → /dev/zero"));
    EXPECT_EQ(links[0]->location, aliases.filePath(QStringLiteral("bridge7")));
    EXPECT_EQ(links[1]->detail, QString::fromUtf8("tq310-sim → /dev/null"));
    EXPECT_EQ(found.entries.back().kind, PortEntry::Kind::Simulated);  // listed last, always
    EXPECT_EQ(findPort(found.entries, 0), nullptr);
}

// A tty class folder laid out as the kernel lays out /sys: every terminal a link into the device
// tree, virtual terminals under devices/virtual, UART slots under the 8250 driver's platform
// device, USB adapters below their USB device with its product and maker.
class TtyClass {
public:
    // A terminal at devices/<devicePath>/tty/<name>, with the attribute files given (path below
    // devices/, contents).
    void add(const QString& name, const QString& devicePath, std::vector<std::pair<QString, QByteArray>> files = {})
    {
        const QString folder = QStringLiteral("devices/") + devicePath + QStringLiteral("/tty/") + name;
        ASSERT_TRUE(QDir(root.path()).mkpath(folder));
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("class/tty")));
        ASSERT_TRUE(QFile::link(QStringLiteral("../../") + folder, root.filePath(QStringLiteral("class/tty/") + name)));
        for (const auto& [path, contents] : files) {
            QFile f(root.filePath(QStringLiteral("devices/") + path));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
    }
    QString classFolder() const { return root.filePath(QStringLiteral("class/tty")); }

private:
    QTemporaryDir root;
};

TEST(SystemPorts, TheTtyClassGivesTheDevicesInOrderWithWhatTheirAdaptersSay)
{
    TtyClass sys;
    const QString hub = QStringLiteral("pci0000:00/0000:00:14.0/usb1/1-3");
    sys.add(QStringLiteral("tty0"), QStringLiteral("virtual"));
    sys.add(QStringLiteral("ptmx"), QStringLiteral("virtual"));
    sys.add(QStringLiteral("console"), QStringLiteral("virtual"));
    sys.add(QStringLiteral("rfcomm0"), QStringLiteral("virtual"));  // a Bluetooth serial link is a line
    sys.add(QStringLiteral("ttyS0"), QStringLiteral("pnp0/00:01"));
    sys.add(QStringLiteral("ttyS1"), QStringLiteral("platform/serial8250"), {{"platform/serial8250/tty/ttyS1/type", "0\n"}});
    sys.add(QStringLiteral("ttyS2"), QStringLiteral("platform/serial8250"), {{"platform/serial8250/tty/ttyS2/type", "4\n"}});
    sys.add(QStringLiteral("ttyUSB0"), QStringLiteral("pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB0"),
            {{"pci0000:00/0000:00:14.0/usb1/1-2/product", "USB-Serial Controller\n"},
             {"pci0000:00/0000:00:14.0/usb1/1-2/manufacturer", "Prolific Technology Inc. \n"}});
    // Behind a hub: the adapter's own product, not the hub's.
    sys.add(QStringLiteral("ttyACM0"), hub + QStringLiteral("/1-3.4/1-3.4:1.0"),
            {{hub + QStringLiteral("/product"), "USB2.0 Hub\n"}, {hub + QStringLiteral("/1-3.4/product"), "Uno R3\n"}});
    sys.add(QStringLiteral("ttyUSB10"), QStringLiteral("pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/ttyUSB10"));
    sys.add(QStringLiteral("ttyUSB2"), QStringLiteral("pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/ttyUSB2"));

    const std::vector<SystemPort> ports = ttyClassSerialPorts(sys.classFolder(), QStringLiteral("/dev"));
    QStringList seen;
    for (const SystemPort& p : ports)
        seen << p.name + QLatin1Char('|') + p.location + QLatin1Char('|') + p.description + QLatin1Char('|') + p.manufacturer;
    EXPECT_EQ(seen.join(QLatin1Char('\n')).toStdString(),
              "rfcomm0|/dev/rfcomm0||\n"
              "ttyACM0|/dev/ttyACM0|Uno R3|\n"
              "ttyS0|/dev/ttyS0||\n"
              "ttyS2|/dev/ttyS2||\n"
              "ttyUSB0|/dev/ttyUSB0|USB-Serial Controller|Prolific Technology Inc.\n"
              "ttyUSB2|/dev/ttyUSB2||\n"
              "ttyUSB10|/dev/ttyUSB10||");
    EXPECT_TRUE(ttyClassSerialPorts(sys.classFolder() + QStringLiteral("-missing"), QStringLiteral("/dev")).empty());
}

#endif

}  // namespace
}  // namespace tq
