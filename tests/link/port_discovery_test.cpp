// The digit rule, and the list discovery builds: every entry's digits give back its own number.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "link/port_discovery.h"

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

}  // namespace
}  // namespace tq
