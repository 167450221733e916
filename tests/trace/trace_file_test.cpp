// The saved trace goes with a bug report and comes back into the window and the simulator: a
// line it cannot read back, a byte or a time that changes on the way, or a failed save that
// destroys the previous file would lose the one record of what happened at the machine.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "support/disk_full.h"
#include "support/file_bytes.h"
#include "trace/trace_file.h"

namespace tq {
namespace {

using Dir = LineDirection;

std::string readAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll().toStdString();
}

TEST(TraceFile, OneFrameALineWithTimeDirectionHexAndMeaning)
{
    LineTrace trace;
    trace.recordAt(Dir::Sent, 61'250, "H");
    trace.recordAt(Dir::Received, 124'875, std::string(56, '\0'));
    trace.recordAt(Dir::Sent, 3'600'000'001, "WVorela\r");
    TraceFrames frames(trace);
    frames.update();
    const std::string text = traceText(frames);

    const std::string zeros = [] {
        std::string s;
        for (int i = 0; i < 56; ++i)
            s += " 00";
        return s;
    }();
    const std::string expected =
        "# tq310-test: registro della linea\r\n"
        "# tempo in secondi dall'apertura della porta; TX dal PC al TQ310, RX dal TQ310 al PC\r\n"
        "#      tempo  dir byte (esadecimale) | decodifica\r\n"
        "           0.061250  TX 48 | H lettura parametri\r\n"
        "           0.124875  RX" + zeros + " | record di 56 byte, CRC 0-0 errato (calcolato 102-71)\r\n"
        "        3600.000001  TX 57 56 6F 72 65 6C 61 0D | W salvataggio EEPROM\r\n";
    EXPECT_EQ(text, expected);
}

TEST(TraceFile, WhatIsSavedReadsBackByteForByteWithItsOrigin)
{
    LineTrace trace;
    const TraceOrigin origin{"07/12/2026 15:30:12", "Com.3 /dev/ttyUSB0", "tq310-test 12.13"};
    trace.restart(origin);
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    const std::vector<TraceFrame> session = {
        {0, Dir::Sent, "H"},
        {999'999, Dir::Received, every},
        {1'000'000, Dir::Sent, "\r\n|#"},
        {86'400'000'000, Dir::Received, "\xE8"},
    };
    for (const TraceFrame& f : session)
        trace.recordAt(f.direction, f.us, f.bytes);
    TraceFrames frames(trace);
    frames.update();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registro.txt"));
    ASSERT_EQ(saveTrace(path, frames), SaveStatus::Saved);
    EXPECT_TRUE(readAll(path).starts_with("# tq310-test: registro della linea\r\n"
                                          "# connessione: 07/12/2026 15:30:12, porta Com.3 /dev/ttyUSB0\r\n"
                                          "# registrato da: tq310-test 12.13\r\n"));
    QString error;
    const auto back = readTraceFile(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(*back, session);

    // Into a trace of its own, the file gives the same origin, frames and lines again.
    LineTrace reopened;
    EXPECT_EQ(loadTraceFile(reopened, path, &error), std::size_t(0));
    EXPECT_EQ(reopened.origin(), origin);
    TraceFrames again(reopened);
    again.update();
    EXPECT_EQ(traceText(again), readAll(path));
}

TEST(TraceFile, ARingSmallerThanTheFileKeepsItsNewestFramesAndCountsTheOthers)
{
    // A trace saved before the heading named its origin.
    std::string text = "# tq310-test: registro della linea\r\n";
    for (int i = 0; i < 150; ++i)
        text += traceLine({i * 100'000, i % 2 ? Dir::Received : Dir::Sent, "K"}, "") + "\r\n";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lungo.txt"));
    ASSERT_TRUE(test::writeFile(path, QByteArray::fromStdString(text)));
    LineTrace ring(100);
    QString error;
    EXPECT_EQ(loadTraceFile(ring, path, &error), std::size_t(50)) << error.toStdString();
    EXPECT_EQ(ring.timeUs(ring.firstEntry()), 5'000'000);
    EXPECT_EQ(ring.timeUs(ring.endEntry() - 1), 14'900'000);
    EXPECT_EQ(ring.origin(), TraceOrigin{});
}

// FIFOs and devices are POSIX's.
#ifdef Q_OS_UNIX
TEST(TraceFile, WhatIsNoRegularFileIsRefusedUnread)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo")), folder = dir.filePath(QStringLiteral("cartella"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);  // no writer: opened, it would wait for ever
    ASSERT_TRUE(QDir().mkdir(folder));
    const struct { QString path; QString why; } cases[] = {
        {fifo, QStringLiteral("\u00E8 una FIFO")},
        {QStringLiteral("/dev/zero"), QStringLiteral("\u00E8 un dispositivo")},  // read, it would never end
        {folder, QStringLiteral("\u00E8 una cartella")},
    };
    for (const auto& c : cases) {
        LineTrace trace;
        QString error;
        EXPECT_FALSE(loadTraceFile(trace, c.path, &error)) << c.path.toStdString();
        EXPECT_EQ(error, c.why);
    }
}
#endif

TEST(TraceFile, LinesThatAreNoFrameAreRefusedWithTheirNumber)
{
    const struct { std::string text; QString error; } cases[] = {
        {"0.000001 TX 48\n# comment\n\n  0.5 RX 41", "riga 4: tempo non valido (servono sei decimali)"},
        {"x.000000 TX 48", "riga 1: tempo non valido"},
        {"1.000000TX 48", "riga 1: tempo non valido"},
        {"1.000000 XX 48", "riga 1: direzione non valida (TX o RX)"},
        {"1.000000 TX 4", "riga 1: byte non valido (due cifre esadecimali)"},
        {"1.000000 TX 48 4G", "riga 1: byte non valido (due cifre esadecimali)"},
        {"1.000000 TX 484A", "riga 1: byte non valido (due cifre esadecimali)"},
        {"1.000000 TX | H", "riga 1: nessun byte"},
        {"1.000000 TX", "riga 1: nessun byte"},
        {"2.000000 TX 48\r\n1.000000 RX 41\r\n", "riga 2: il tempo torna indietro"},
        {"# a ring's worth of bytes and more on one line\n" + std::string(13 << 20, '4'), "riga 2: troppo lunga"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(parseTraceText(c.text, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(TraceFile, LineEndsBlanksAndTheDecodedTextAreTheWritersBusiness)
{
    const std::string text = "# a trace written by hand\n"
                             "\t 0.000010\tTX  48  4a\r\n"
                             "0.000020 RX 41 | anything at all, 00 11\r"
                             "\n0.000020 RX 42";
    QString error;
    const auto frames = parseTraceText(text, &error);
    ASSERT_TRUE(frames) << error.toStdString();
    EXPECT_EQ(*frames, (std::vector<TraceFrame>{{10, Dir::Sent, "HJ"}, {20, Dir::Received, "A"},
                                                {20, Dir::Received, "B"}}));
}

// A disk that fills up is a POSIX process's file-size limit (support/disk_full.h).
#ifdef Q_OS_UNIX
TEST(TraceFile, AFailedSaveLeavesThePreviousFileAndAMissingFileSaysWhy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registro.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous");
    }
    LineTrace trace;
    trace.recordAt(Dir::Received, 0, std::string(5000, 'x'));  // more than the disk takes
    TraceFrames frames(trace);
    frames.update();
    SaveStatus status = SaveStatus::Saved;
    test::withDiskFull(1000, [&] { status = saveTrace(path, frames); });
    EXPECT_EQ(status, SaveStatus::WriteFailed);
    EXPECT_EQ(readAll(path), "previous");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("registro.txt")});

    QString error;
    EXPECT_FALSE(readTraceFile(dir.filePath(QStringLiteral("missing.txt")), &error));
    EXPECT_FALSE(error.isEmpty());
}
#endif

}  // namespace
}  // namespace tq
