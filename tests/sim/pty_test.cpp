// tq310-sim on a real pseudo-terminal, and on the network, driven by the tool's own line backends,
// senders and receive engine: what it holds, a dropped line plugged in again, and several
// controllers each with its own EEPROM. The engine is ticked by hand once the awaited bytes are
// waiting. (Its silent fault on a line: the command-line program's test, tests/cli.)
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "sim/eeprom_file.h"
#include "support/engine_on_line.h"
#include "support/simulator_process.h"

namespace tq {
namespace {

using test::SimulatorProcess;

const QString kSim = QStringLiteral(TQ310_SIM);

// The tool's side on the real serial backend.
using Tool = test::EngineOnLine;

TEST(SimulatorOnALine, ADroppedLineGoesAwayAndComesBackBehindTheSameAlias)
{
    // On a pseudo-terminal, then on the network.
    for (const QStringList& arguments : {QStringList(), QStringList{"--listen", "0", "--rfc2217"}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        SimulatorProcess sim(kSim, arguments);
        const QString alias = sim.waitForLine(QStringLiteral("Port alias: "));
        Tool tool(Tool::serial(alias));
        ASSERT_TRUE(tool.port->open(nullptr));
        ASSERT_TRUE(tool.readBack());

        // What the tool does then (one report, nothing lost) is the main window's link test.
        QSignalSpy lost(tool.port.get(), &SerialPort::deviceLost);
        sim.process().write("drop\n");
        ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() == 1; }, 5000));
        EXPECT_FALSE(QFileInfo(alias).isSymLink());

        // Plugged in again: a new pseudo-terminal, or the same port, behind the same alias.
        tool.port->close();
        sim.process().write("none\n");
        EXPECT_EQ(sim.waitForLine(QStringLiteral("Port alias: ")), alias);
        ASSERT_TRUE(tool.port->open(nullptr));
        ASSERT_TRUE(tool.readBack());

        sim.process().terminate();
        ASSERT_TRUE(sim.process().waitForFinished(5000));
        EXPECT_EQ(sim.process().exitCode(), 0);
        EXPECT_FALSE(QFileInfo(alias).isSymLink());
    }
}

// Two controllers on the network, each with its own EEPROM file: a read-back shows what each holds.
TEST(SimulatorOnALine, AReadBackShowsWhatEachControllerHolds)
{
    QTemporaryDir dir;
    std::vector<sim::ParamImage> images;
    for (const std::string texts : {"SCEGLI \xE8  CARTELLA 2", "ALTRO"}) {  // parameter 1 is the controller's number
        sim::ParamImage& image = images.emplace_back(sim::factorySetup());
        image.record[0] = std::uint8_t(images.size());
        image.texts.replace(0, texts.size(), texts);
        image.sealCrc();
        QString error;
        const QString path = dir.filePath(QStringLiteral("eeprom-%1.bin").arg(images.size()));
        ASSERT_TRUE(sim::saveEepromFile(path, image, &error)) << error.toStdString();
    }
    SimulatorProcess sim(kSim, {"--listen", "0", "--controllers", "2", "--eeprom", dir.path()});
    const QStringList lines{sim.slave(), sim.waitForLine(QStringLiteral("Simulated TQ310 on "))};
    for (int k = 1; k <= 2; ++k) {
        Tool tool(Tool::serial(lines[k - 1]));
        ASSERT_TRUE(tool.port->open(nullptr));
        ASSERT_TRUE(tool.readBack());
        const sim::ParamImage& image = images[std::size_t(k - 1)];
        EXPECT_TRUE(std::equal(image.record.begin(), image.record.end(), tool.m.ChipParams.begin())) << k;
        for (int t = 0; t < 12; ++t)
            EXPECT_EQ(tool.m.ChipMenuTexts[t], image.texts.substr(10 * t, 10)) << k;
        EXPECT_TRUE(tool.host.text.text().starts_with("VOCI NEL MENU = 12\r\n" + image.texts.substr(0, 10) + "\r\n" +
                                                      image.texts.substr(10, 10) + "\r\n")) << k;
    }
}

// Whoever connects on reading "Simulated TQ310 on" must find the alias already pointing at
// that line, at start and after every plug.
TEST(SimulatorOnALine, AnAnnouncedLineIsAlreadyBehindItsAlias)
{
    SimulatorProcess sim(kSim);
    const QString alias = sim.waitForLine(QStringLiteral("Port alias: "));
    QString line = sim.slave();
    for (int plug = 0; plug < 30; ++plug) {
        ASSERT_FALSE(line.isEmpty()) << plug;  // an empty alias is no link to it either
        ASSERT_EQ(QFileInfo(alias).symLinkTarget(), line);
        sim.process().write("drop\nnone\n");
        line = sim.waitForLine(QStringLiteral("Simulated TQ310 on "));
    }
}

}  // namespace
}  // namespace tq
