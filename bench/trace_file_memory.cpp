// Opening a saved trace holds the ring and one line in memory, however large the file. This
// writes a trace of input polls ("K" and its one-byte answer: the most frames a file of its size
// can hold) of the given size, opens it as "Apri registro" does (the trace, then its frames) and
// prints the peak resident memory of the process before, once the trace is read and once its
// frames are made, with the time it took.
//
//   bench/trace_file_memory [MEGABYTES (1024)] [FOLDER (the current one)]
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "trace/line_trace.h"
#include "trace/trace_file.h"

namespace {

long peakResidentMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;  // kilobytes on Linux
}

// The poll cycle of "lettura ingressi", one frame a line, until the file holds `bytes`.
bool writePolls(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    std::string chunk;
    std::int64_t us = 0;
    for (qint64 written = 0; written < bytes;) {
        chunk.clear();
        while (chunk.size() < (1 << 20)) {
            chunk += tq::traceLine({us += 60'000, tq::LineDirection::Sent, "K"}, "K lettura ingressi") + "\r\n";
            chunk += tq::traceLine({us += 2'000, tq::LineDirection::Received, "\x18"}, "stato ingressi") + "\r\n";
        }
        if (file.write(chunk.data(), qint64(chunk.size())) != qint64(chunk.size()))
            return false;
        written += qint64(chunk.size());
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 1024;
    QTemporaryDir dir(QDir(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::currentPath()).filePath(QStringLiteral("trace-XXXXXX")));
    const QString path = dir.filePath(QStringLiteral("registro.txt"));
    if (!dir.isValid() || !writePolls(path, megabytes << 20)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const long before = peakResidentMiB();
    QElapsedTimer clock;
    clock.start();
    tq::LineTrace trace;
    QString error;
    const std::optional<std::size_t> leftOut = tq::loadTraceFile(trace, path, &error);
    if (!leftOut) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const long read = peakResidentMiB();
    tq::TraceFrames frames(trace);
    frames.update();
    std::printf("%lld MiB trace: %zu frames kept, %zu older left out, %.1f s; peak resident memory %ld MiB "
                "before, %ld MiB with the trace read, %ld MiB with its frames\n",
                static_cast<long long>(QFileInfo(path).size() >> 20), frames.size(), *leftOut,
                double(clock.elapsed()) / 1000, before, read, peakResidentMiB());
    return 0;
}
