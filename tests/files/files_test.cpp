// The files of the tool on real folders: the parameter file (line ends, the numbers on parameter
// lines, what an Open leaves in the working copy), CONTQ310.BIN and how a newly inserted key is
// found, and the backups of the controller's set-up. The faults the backups guard against: a
// backup that does not read back as the controller's values, a second copy of an unchanged set-up
// at every read-back, a backup overwritten or pruned out of time order, a file of the user removed
// because it sits in the folder, a failure that leaves half a file or does not say why, and
// backups that other users may read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <functional>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "files/backups.h"
#include "files/drive_detect.h"
#include "files/line_reader.h"
#include "files/param_file.h"
#include "files/usb_file.h"
#include "support/disk_full.h"
#include "support/file_bytes.h"

namespace tq {
namespace {

TEST(LineReader, EveryLineEndEndsALineAndALineWithoutEndIsRefused)
{
    const struct { std::string bytes; std::vector<std::string> lines; } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}}, {"a\nb\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}}, {"a\r\rb", {"a", "", "b"}}, {"", {}},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
    };

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines"));
    for (const auto& c : cases) {
        ASSERT_TRUE(test::writeFile(path, QByteArray::fromStdString(c.bytes)));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        LineReader reader(f);
        std::vector<std::string> lines;
        for (std::string line; reader.next(line) == LineReader::Status::Line;)
            lines.push_back(line);
        EXPECT_EQ(lines, c.lines) << c.bytes.substr(0, 12);
    }
    // A line without end is refused without reading on.
    QFile f(dir.filePath(QStringLiteral("huge")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(qint64(1) << 30));  // sparse: no block is written
    std::string line;
    EXPECT_EQ(LineReader(f).next(line), LineReader::Status::TooLong);
    EXPECT_LT(f.pos(), 2 * kMaxLineLength);
}

TEST(ParameterValue, NumberAtTheStartRoundedHalfToEven)
{
    const struct { const char* line; std::optional<int> value; } cases[] = {
        {"255", 255}, {"  7", 7}, {"\t9", 9}, {"+5", 5}, {"7abc", 7}, {"1 2", 1}, {"0000000000000000000012", 12},
        {"12.5", 12}, {"13.5", 14}, {".5", 0}, {"254.5", 254}, {"12.51", 13}, {"12.500000001", 13}, {"12.50000", 12},
        {"-0.5", 0}, {"abc", 0}, {"", 0}, {"-", 0}, {".", 0}, {"256", std::nullopt}, {"-1", std::nullopt},
        {"255.5", std::nullopt}, {"-0.6", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<std::uint8_t> got = parameterValue(c.line);
        EXPECT_EQ(got ? std::optional<int>(*got) : std::nullopt, c.value) << '"' << c.line << '"';
    }
}

// The version line, parameter n holding n, then the text lines "TEXT0"...; each line ended by
// CR LF, with the lines of `changed` (0 the version line, n parameter n) in place of those.
std::string goodFile(int texts, const std::map<int, std::string>& changed = {})
{
    std::string out;
    for (int n = 0; n <= 54 + texts; ++n) {
        const std::string line = n == 0 ? "122013" : n <= 54 ? std::to_string(n) : "TEXT" + std::to_string(n - 55);
        out += (changed.contains(n) ? changed.at(n) : line) + "\r\n";
    }
    return out;
}

TEST(ReadParamFile, LeavesWhatTheLinesSayAndStopsAtTheFirstBadLine)
{
    const std::string failure = "Errore nel  file oppure  file non trovato  ";
    // What goodFile holds: parameter n holding n, and its texts.
    const auto numbered = [](int n) { std::vector<int> v(static_cast<std::size_t>(n)); std::iota(v.begin(), v.end(), 1); return v; };
    const auto texts = [](int n) {
        std::vector<std::string> v;
        for (int k = 0; k < n; ++k)
            v.push_back("TEXT" + std::to_string(k));
        return v;
    };
    std::string startUp = "122013\r\n";
    for (int n = 0; n < 54 + 12; ++n)
        startUp += n < 54 ? "0\r\n" : "\r\n";

    const struct {
        const char* name;
        std::optional<std::string> bytes;    // nothing: no file at all
        std::optional<std::string> message;  // nothing: the Open succeeds
        std::vector<int> params;             // parameters 1.. afterwards, the rest keep 200
        std::vector<std::string> texts;      // texts 0.. afterwards, the rest keep "OLD<k>"
        qint64 zeros = 0;                    // a file of that many zero bytes, none of them written
    } cases[] = {
        {"saved from the start-up state", startUp, std::nullopt, std::vector<int>(54, 0), std::vector<std::string>(12)},
        {"texts as read, the last without a line end", goodFile(0) + "  blanks  \r\n\xE0 la carte\r\nlonger than ten",
         std::nullopt, numbered(54), {"  blanks  ", "\xE0 la carte", "longer than ten"}},
        {"an empty last line is a text", goodFile(2) + "\r\n", std::nullopt, numbered(54), {"TEXT0", "TEXT1", ""}},
        {"21 texts", goodFile(21), std::nullopt, numbered(54), texts(21)},
        {"22 texts", goodFile(22), failure + "TEXT21", numbered(54), texts(21)},
        {"wrong version", goodFile(12, {{0, "122013 "}}), failure + "  (VERSIONE DEL FILE NON CORRETTA)", {}, {}},
        {"256", goodFile(12, {{5, "256"}}), failure + "256", numbered(4), {}},
        {"ends right after the 54th parameter", goodFile(0), failure + "54", numbered(54), {}},
        {"empty", "", failure, {}, {}},
        {"missing", std::nullopt, failure, {}, {}},
        {"a gigabyte of one line", "", failure, {}, {}, qint64(1) << 30},
    };

    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (c.bytes)
            ASSERT_TRUE(test::writeFile(path, QByteArray::fromStdString(*c.bytes)));
        if (c.zeros)
            ASSERT_TRUE(QFile(path).resize(c.zeros));  // sparse: no block is written

        Module1 m;
        m.FileParams.fill(200);
        for (int k = 0; k < kMenuTextSlots; ++k)
            m.FileMenuTexts[k] = "OLD" + std::to_string(k);
        m.CurrentFileName = "previous.ini";

        EXPECT_EQ(readParamFile(m, path), c.message);
        EXPECT_EQ(m.CurrentFileName, path.toStdString());
        for (int i = 0; i < kParamCount; ++i)
            EXPECT_EQ(m.FileParams[i], i < int(c.params.size()) ? c.params[i] : 200) << "parameter " << i + 1;
        for (int k = 0; k < kMenuTextSlots; ++k)
            EXPECT_EQ(m.FileMenuTexts[k], k < int(c.texts.size()) ? c.texts[k] : "OLD" + std::to_string(k)) << "text " << k;
    }
}


TEST(UsbFile, WorkingCopyInHexadecimalWithTheCrcRecomputed)
{
    const auto blanks = [](int n) { std::string pairs; while (n-- > 0) pairs += "20"; return pairs; };  // n blanks in hex
    const struct {
        std::function<void(Module1&)> change;
        std::size_t offset;  // where the expected pairs start
        std::string pairs;
    } cases[] = {
        {[](Module1& m) { m.FileParams[53] = 255; }, 4 + 53 * 2, "FF"},
        {[](Module1& m) { m.FileMenuTexts[0] = "AB"; }, 116, "4142" + blanks(8)},
        {[](Module1& m) { m.FileMenuTexts[3] = "ABCDEFGHIJKL"; }, 116 + 3 * 20, "4142434445464748494A" + blanks(10)},
        {[](Module1& m) { m.FileMenuTexts[11] = "\xE0"; }, 116 + 11 * 20, "E0" + blanks(9) + "<$$<"},
    };
    for (const auto& c : cases) {
        Module1 m;
        c.change(m);
        const std::string content = compileUsbFile(m, QStringLiteral("x")).content;
        ASSERT_EQ(content.size(), 366u) << c.pairs;
        EXPECT_EQ(content.substr(c.offset, c.pairs.size()), c.pairs);
    }
}

TEST(DriveDetector, FindsAKeyOnlyWhenItComesInWhileWatched)
{
    const QString c = QStringLiteral("C:\\"), d = QStringLiteral("D:\\"), f = QStringLiteral("F:\\"),
                  g = QStringLiteral("G:\\");
    struct Tick { QStringList roots; QString found; };
    const struct { const char* name; std::vector<Tick> ticks; } cases[] = {
        {"a key inserted", {{{c, d}, {}}, {{c, d}, {}}, {{c, d, f}, f}}},
        {"a key in at the first tick must be reinserted", {{{c, d, f}, {}}, {{c, d, f}, {}}, {{c, d}, {}}, {{c, d, f}, f}}},
        {"found again while it stays in", {{{c, d}, {}}, {{c, d, f}, f}, {{c, d, f}, f}}},
        {"two keys in one tick: the first listed", {{{c, d}, {}}, {{c, d, g, f}, g}}},
        {"a removed drive is forgotten at once", {{{c, d, f}, {}}, {{c}, {}}, {{c, d}, d}}},
        {"a key swapped between ticks is not new", {{{c, f}, {}}, {{c, g}, {}}, {{c, g, f}, f}}},
    };
    for (const auto& sequence : cases) {
        DriveDetector detector;
        for (std::size_t i = 0; i < sequence.ticks.size(); ++i)
            EXPECT_EQ(detector.tick(sequence.ticks[i].roots), sequence.ticks[i].found) << sequence.name << ", tick " << i;
    }
}

TEST(DriveDetector, DriveLettersComparedCharacterByCharacter)
{
    const struct { const char* known; const char* current; char letter; } cases[] = {
        {"C:\\D:\\", "C:\\D:\\F:\\", 'F'},
        {"C:\\D:\\", "C:\\G:\\F:\\", 'G'},  // two at once: the one listed first
        {"C:\\D:\\F:\\", "C:\\D:\\F:\\", 0},
        {"C:\\F:\\", "C:\\D:\\", 'D'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(firstNewCharacter(QString::fromLatin1(c.known), QString::fromLatin1(c.current)), QChar(c.letter))
            << c.known << " -> " << c.current;
}

TEST(UsbFile, TargetPathUnderTheRootOfTheKeyAndTheRootOfThisSystemIsOneOfThem)
{
    const struct { const char* root; const char* path; } cases[] = {
        {"F:\\", "F:\\tq310\\contq310.bin"}, {"/media/usb0", "/media/usb0/tq310/contq310.bin"}, {"/", "/tq310/contq310.bin"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(usbTargetPath(QString::fromLatin1(c.root)), QString::fromLatin1(c.path));
    EXPECT_TRUE(mountedRoots().contains(QDir::rootPath())) << QDir::rootPath().toStdString();
}


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

TEST(Backups, ABackupIsNamedByItsMomentAndCrcAndStaysTheUsers)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("a/b/backups"));  // made as needed
    const mode_t umaskBefore = umask(0);  // the most open there is: the backups stay the user's all the same
    ASSERT_FALSE(backUpDeviceCopy(deviceCopy(7), folder, kMorning));
    umask(umaskBefore);
    ASSERT_EQ(backupFiles(folder), QStringList{QStringLiteral("20261206-153012-251-88.ini")});
#ifdef Q_OS_UNIX  // the mode bits; Windows keeps a user's data folder to the user
    for (const auto& [path, mode] : {std::pair{folder, 0700}, {folder + QStringLiteral("/20261206-153012-251-88.ini"), 0600}}) {
        struct stat status {};
        ASSERT_EQ(stat(QFile::encodeName(path).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, mode_t(mode)) << path.toStdString();
    }
#endif
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
        EXPECT_EQ(test::fileBytes(folder + QLatin1Char('/') + s.names.back()),
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
        test::writeFile(folder + QLatin1Char('/') + name, name.toLatin1());
    // The user's own files in the folder are no backups of ours.
    const QStringList foreign{"20250101-000000.ini", "appunti.txt", "20240101-000000-1-2.ini.bak", "vecchia.ini"};
    for (const QString& name : foreign)
        test::writeFile(folder + QLatin1Char('/') + name, "mio");
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("20240101-000000-1-2.ini")));  // a folder, not a file

    ASSERT_EQ(backupFiles(folder), made);  // oldest first
    EXPECT_FALSE(backUpDeviceCopy(deviceCopy(3), folder, kMorning));

    EXPECT_EQ(backupFiles(folder), made.mid(1) + QStringList{"20261206-153012-251-88.ini"});
    for (const QString& name : foreign)
        EXPECT_EQ(test::fileBytes(folder + QLatin1Char('/') + name), "mio") << name.toStdString();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/20240101-000000-1-2.ini")).isDir());
}

// The system's reasons are POSIX's, and so is a full disk (support/disk_full.h).
#ifdef Q_OS_UNIX
TEST(Backups, AFailureSaysWhereAndWhyAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain"));
    test::writeFile(plain, "x");
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
    EXPECT_EQ(test::fileBytes(plain), "x");
}
#endif

TEST(Backups, TheFolderIsTheUsersDataFolderUnlessTheEnvironmentNamesOne)
{
    const QByteArray savedBackups = qgetenv("TQ310_BACKUPS"), savedHome = qgetenv("HOME"), savedData = qgetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", "/home/tecnico");
#ifdef Q_OS_WIN
    const QString home = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA")) + QStringLiteral("/tq310-test/backups");
#else
    const QString home = QStringLiteral("/home/tecnico/.local/share/tq310-test/backups");
#endif
    const struct { const char* variable; QString folder; } cases[] = {
        {nullptr, home}, {"", home}, {"/srv/copie//tq310/", QStringLiteral("/srv/copie/tq310")},
    };
    for (const auto& c : cases) {
        c.variable ? qputenv("TQ310_BACKUPS", c.variable) : qunsetenv("TQ310_BACKUPS");
        EXPECT_EQ(backupFolder(), c.folder);
    }
    qputenv("TQ310_BACKUPS", savedBackups);
    qputenv("HOME", savedHome);
    if (!savedData.isEmpty())
        qputenv("XDG_DATA_HOME", savedData);
}

}  // namespace
}  // namespace tq
