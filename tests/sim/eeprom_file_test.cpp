#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "sim/controller_model.h"
#include "sim/eeprom_file.h"

namespace tq::sim {
namespace {

TEST(EepromFile, AMissingFileStartsFromTheFactorySetup)
{
    QTemporaryDir dir;
    QString error;
    const auto image = loadEepromFile(dir.filePath("eeprom.bin"), &error);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(*image, factorySetup());
    EXPECT_TRUE(image->crcMatches());
}

TEST(EepromFile, ACommitSurvivesARestart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("eeprom.bin");
    ParamImage written = factorySetup();
    written.record[0] = 1;
    written.sealCrc();
    written.texts.replace(0, 10, "PROVA \xE8   ");  // Italian letters keep their byte

    ControllerModel before;
    before.onEepromWritten = [&] {
        QString error;
        ASSERT_TRUE(saveEepromFile(path, before.eeprom(), &error)) << error.toStdString();
    };
    before.receive("L" + written.bytes() + "WVorela\r", 0);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), 176);

    QString error;
    const auto loaded = loadEepromFile(path, &error);
    ASSERT_TRUE(loaded.has_value()) << error.toStdString();
    ControllerModel after;
    after.powerOn(*loaded);
    EXPECT_EQ(after.receive("HJ", 0), written.bytes());
}

struct BadFile {
    const char* name;
    int size;
};

class EepromFileSize : public ::testing::TestWithParam<BadFile> {};

TEST_P(EepromFileSize, AFileOfAnotherSizeIsRefusedWithItsName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("eeprom.bin");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(GetParam().size, 'x'));
    file.close();

    QString error;
    EXPECT_FALSE(loadEepromFile(path, &error).has_value());
    EXPECT_TRUE(error.contains(path));
    EXPECT_TRUE(error.contains(QStringLiteral("176")));
}

INSTANTIATE_TEST_SUITE_P(Sizes, EepromFileSize,
                         ::testing::Values(BadFile{"empty", 0}, BadFile{"short", 175}, BadFile{"long", 177}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EepromFile, AFailedWriteSaysSo)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(saveEepromFile(dir.filePath("missing/eeprom.bin"), factorySetup(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing/eeprom.bin")));
}

}  // namespace
}  // namespace tq::sim
