// The backups of the controller's set-up, on real folders. The faults they guard against: a
// backup that does not read back as the controller's values, a second copy of an unchanged
// set-up at every read-back, a backup overwritten or pruned out of time order, a file of the user
// removed because it sits in the folder, a failure that leaves half a file or does not say why,
// and backups that other users may read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>

#include "files/backups.h"
#include "support/disk_full.h"
#include "files/param_file.h"
#include "support/disk_full.h"

namespace tq {
namespace {

const QDateTime kMorning(QDate(2026, 12, 6), QTime(15, 30, 12));

// A device copy: parameter i holds seed + i, CRC 251-88, and twelve texts.
Module1 deviceCopy(int seed)
{
    Module1 m;
    for (int i = 0; i < kParamCount; ++i)
        m.ChipParams[i] = static_cast<std::uint8_t>(seed + i);
    m.ChipParams[kCrcHigh] = 251;
    m.ChipParams[kCrcLow] = 88;
    for (int k = 0; k < kDeviceMenuTexts; ++k)
        m.ChipMenuTexts[k] = "VOCE " + std::to_string(seed) + "-" + std::to_string(k);
    m.ChipMenuTexts[3] = "pi\xF9 righe";  // Latin-1, one byte a letter
    return m;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(Backups, ABackupOpensAsTheControllersValues)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("a/b/backups"));  // made as needed
    const Module1 device = deviceCopy(7);
    const mode_t umaskBefore = umask(0);  // the most open there is: the backups stay the user's all the same
    ASSERT_FALSE(backUpDeviceCopy(device, folder, kMorning));
    umask(umaskBefore);
    ASSERT_EQ(backupFiles(folder), QStringList{QStringLiteral("20261206-153012-251-88.ini")});
#ifdef Q_OS_UNIX  // the mode bits; Windows keeps a user's data folder to the user
    for (const auto& [path, mode] : {std::pair{folder, 0700}, {folder + QStringLiteral("/20261206-153012-251-88.ini"), 0600}}) {
        struct stat status {};
        ASSERT_EQ(stat(QFile::encodeName(path).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, mode_t(mode)) << path.toStdString();
    }
#endif

    Module1 opened;
    ASSERT_EQ(readParamFile(opened, folder + QStringLiteral("/20261206-153012-251-88.ini")), std::nullopt);
    EXPECT_TRUE(std::equal(device.ChipParams.begin(), device.ChipParams.begin() + kParamCount, opened.FileParams.begin()));
    for (int k = 0; k < kDeviceMenuTexts; ++k)
        EXPECT_EQ(opened.FileMenuTexts[k], device.ChipMenuTexts[k]) << k;
    EXPECT_EQ(opened.FileMenuTexts[12], "");  // twelve texts, as "salva" writes them
}

// Each step stores a device copy at a moment; the folder then holds these names, oldest first.
TEST(Backups, AnUnchangedSetUpIsStoredOnceAndNoBackupIsEverOverwritten)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    Module1 textsChanged = deviceCopy(1);
    textsChanged.ChipMenuTexts[0] = "ALTRO";  // the CRC covers the parameters only
    const struct { int seed; const Module1* copy; int second; QStringList names; } steps[] = {
        {1, nullptr, 0, {"20261206-153012-251-88.ini"}},
        {1, nullptr, 1, {"20261206-153012-251-88.ini"}},  // the same set-up a second later
        {0, &textsChanged, 1, {"20261206-153012-251-88.ini", "20261206-153013-251-88.ini"}},
        // In the same second and with the same CRC: a sequence, not a replacement.
        {1, nullptr, 1, {"20261206-153012-251-88.ini", "20261206-153013-251-88.ini", "20261206-153013-251-88-2.ini"}},
        // Identical to an older backup but not to the newest: stored again.
        {0, &textsChanged, 1,
         {"20261206-153012-251-88.ini", "20261206-153013-251-88.ini", "20261206-153013-251-88-2.ini",
          "20261206-153013-251-88-3.ini"}},
    };
    for (const auto& s : steps) {
        const Module1 copy = s.copy ? *s.copy : deviceCopy(s.seed);
        EXPECT_FALSE(backUpDeviceCopy(copy, folder, kMorning.addSecs(s.second)));
        EXPECT_EQ(backupFiles(folder), s.names);
        EXPECT_EQ(bytesOf(folder + QLatin1Char('/') + s.names.back()),
                  QByteArray::fromStdString(paramFileContent(copy.ChipParams, copy.ChipMenuTexts)));
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 4);  // no temporary file left
}

TEST(Backups, The501stRemovesTheOldestAndNothingElse)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    // 500 backups of 2025, one a minute. The first two fall in the same second: the one with the
    // sequence is the newer, although its name sorts first as text.
    const QDateTime start(QDate(2025, 3, 1), QTime(8, 0, 0));
    QStringList made{QStringLiteral("20250301-080000-9-9.ini"), QStringLiteral("20250301-080000-1-1-2.ini")};
    for (int i = 2; i < kKeptBackups; ++i)
        made << start.addSecs(60 * i).toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("-12-34.ini");
    for (const QString& name : made)
        writeFile(folder + QLatin1Char('/') + name, name.toLatin1());
    // The user's own files in the folder are no backups of ours.
    const QStringList foreign{"20250101-000000.ini", "appunti.txt", "20240101-000000-1-2.ini.bak", "vecchia.ini"};
    for (const QString& name : foreign)
        writeFile(folder + QLatin1Char('/') + name, "mio");
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("20240101-000000-1-2.ini")));  // a folder, not a file

    EXPECT_EQ(backupFiles(folder).size(), kKeptBackups);
    EXPECT_EQ(backupFiles(folder).first(), made.first());
    EXPECT_FALSE(backUpDeviceCopy(deviceCopy(3), folder, kMorning));

    QStringList expected = made.mid(1);
    expected << QStringLiteral("20261206-153012-251-88.ini");
    EXPECT_EQ(backupFiles(folder), expected);
    for (const QString& name : foreign)
        EXPECT_EQ(bytesOf(folder + QLatin1Char('/') + name), "mio") << name.toStdString();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/20240101-000000-1-2.ini")).isDir());
}

// The system's reasons are POSIX's, and so is a full disk (support/disk_full.h).
#ifdef Q_OS_UNIX
TEST(Backups, AFailureSaysWhereAndWhyAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain"));
    writeFile(plain, "x");
    const QString full = dir.filePath(QStringLiteral("full"));
    const struct { QString folder; bool diskFull; int error; } cases[] = {
        {plain + QStringLiteral("/backups"), false, ENOTDIR},  // under a file: not even root can make it
        {plain, false, EEXIST},                                // the folder is a file
        {full, true, EFBIG},                                   // the disk fills up during the write
    };
    for (const auto& c : cases) {
        std::optional<BackupFailure> failure;
        const auto store = [&] { failure = backUpDeviceCopy(deviceCopy(5), c.folder, kMorning); };
        c.diskFull ? test::withDiskFull(100, store) : store();
        ASSERT_TRUE(failure) << c.folder.toStdString();
        EXPECT_EQ(failure->terminalLine(), "Copia di sicurezza NON salvata in " + c.folder.toStdString());
        EXPECT_EQ(failure->message(), QStringLiteral("Copia di sicurezza NON salvata in %1 (%2)").arg(c.folder, qt_error_string(c.error)));
        EXPECT_EQ(backupFiles(c.folder), QStringList());
    }
    EXPECT_EQ(QDir(full).entryList(QDir::Files | QDir::Hidden), QStringList());  // no temporary file either
    EXPECT_EQ(bytesOf(plain), "x");
}
#endif

TEST(Backups, TheFolderIsTheUsersDataFolderUnlessTheEnvironmentNamesOne)
{
    const QByteArray savedBackups = qgetenv("TQ310_BACKUPS"), savedHome = qgetenv("HOME"),
                     savedData = qgetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", "/home/tecnico");
#ifdef Q_OS_WIN
    const QString data = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
#else
    const QString data = QStringLiteral("/home/tecnico/.local/share");
#endif
    const struct { const char* variable; QString folder; } cases[] = {
        {nullptr, data + QStringLiteral("/tq310-test/backups")},
        {"", data + QStringLiteral("/tq310-test/backups")},
        {"/srv/copie//tq310/", QStringLiteral("/srv/copie/tq310")},
    };
    for (const auto& c : cases) {
        if (c.variable)
            qputenv("TQ310_BACKUPS", c.variable);
        else
            qunsetenv("TQ310_BACKUPS");
        EXPECT_EQ(backupFolder(), c.folder);
    }
    qputenv("TQ310_BACKUPS", savedBackups);
    qputenv("HOME", savedHome);
    if (!savedData.isEmpty())
        qputenv("XDG_DATA_HOME", savedData);
}

}  // namespace
}  // namespace tq
