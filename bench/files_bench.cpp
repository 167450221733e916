// Opening and saving parameter files, compiling CONTQ310.BIN and one drive-detection tick (the
// compiler window takes one every 300 ms, so it must cost a small part of that).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "files/backups.h"
#include "files/drive_detect.h"
#include "files/param_file.h"
#include "files/save_bytes.h"
#include "files/usb_file.h"

namespace {

tq::Module1 filledModule()
{
    tq::Module1 m;
    for (int i = 0; i < tq::kParamCount; ++i)
        m.FileParams[i] = static_cast<std::uint8_t>(i * 37);
    for (int k = 0; k < 12; ++k)
        m.FileMenuTexts[k] = "MENU TEXT" + std::to_string(k);
    return m;
}

void BM_ReadParamFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.ini"));
    tq::saveBytes(path, tq::paramFileContent(filledModule()));
    tq::Module1 m;
    for (auto _ : state)
        benchmark::DoNotOptimize(tq::readParamFile(m, path));
}
BENCHMARK(BM_ReadParamFile);

// A gigabyte of one line (sparse) is refused after reading at most the line cap.
void BM_RefuseGigabyteLine(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.resize(qint64(1) << 30);
    f.close();
    tq::Module1 m;
    for (auto _ : state)
        benchmark::DoNotOptimize(tq::readParamFile(m, path));
}
BENCHMARK(BM_RefuseGigabyteLine)->Unit(benchmark::kMicrosecond);

void BM_SaveParamFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.ini"));
    const tq::Module1 m = filledModule();
    for (auto _ : state)
        benchmark::DoNotOptimize(tq::saveBytes(path, tq::paramFileContent(m)));
}
BENCHMARK(BM_SaveParamFile)->Unit(benchmark::kMicrosecond);

// A folder at its 500 backups, the newest the device copy of `m` taken at `start`.
void fillBackups(const QString& folder, tq::Module1& m, const QDateTime& start)
{
    for (int i = 0; i < tq::kKeptBackups; ++i) {
        m.ChipParams[0] = static_cast<std::uint8_t>(i);
        m.ChipParams[1] = static_cast<std::uint8_t>(i >> 8);
        QFile f(folder + start.addSecs(i - tq::kKeptBackups).toString(QStringLiteral("/yyyyMMdd-HHmmss-1-2.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray::fromStdString(tq::paramFileContent(m.ChipParams, m.ChipMenuTexts)));
    }
}

// A read-back of an unchanged set-up: the folder listed, the newest backup read and compared.
void BM_BackUpUnchanged(benchmark::State& state)
{
    QTemporaryDir dir;
    const QDateTime start(QDate(2026, 1, 1), QTime(0, 0, 0));
    tq::Module1 m = filledModule();
    fillBackups(dir.path(), m, start);
    for (auto _ : state)
        benchmark::DoNotOptimize(tq::backUpDeviceCopy(m, dir.path(), start));
}
BENCHMARK(BM_BackUpUnchanged)->Unit(benchmark::kMicrosecond);

// A read-back of a changed set-up into a full folder: one backup written (with its flush to
// disk) and the oldest removed.
void BM_BackUpChanged(benchmark::State& state)
{
    QTemporaryDir dir;
    QDateTime when(QDate(2026, 1, 1), QTime(0, 0, 0));
    tq::Module1 m = filledModule();
    fillBackups(dir.path(), m, when);
    for (auto _ : state) {
        m.ChipParams[2] = static_cast<std::uint8_t>(m.ChipParams[2] + 1);
        when = when.addSecs(1);
        benchmark::DoNotOptimize(tq::backUpDeviceCopy(m, dir.path(), when));
    }
}
BENCHMARK(BM_BackUpChanged)->Unit(benchmark::kMicrosecond);

void BM_CompileUsbFile(benchmark::State& state)
{
    tq::Module1 m = filledModule();
    const QString path = QStringLiteral("/media/usb0/tq310/contq310.bin");
    for (auto _ : state)
        benchmark::DoNotOptimize(tq::compileUsbFile(m, path));
}
BENCHMARK(BM_CompileUsbFile);

void BM_DetectionTick(benchmark::State& state)
{
    tq::DriveDetector detector;
    for (auto _ : state)
        benchmark::DoNotOptimize(detector.tick(tq::mountedRoots()));
}
BENCHMARK(BM_DetectionTick)->Unit(benchmark::kMicrosecond);

}  // namespace
