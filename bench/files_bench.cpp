// Opening and saving parameter files, compiling CONTQ310.BIN and one drive-detection tick (the
// compiler window takes one every 300 ms, so it must cost a small part of that).
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

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
