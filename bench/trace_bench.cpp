// The line trace records every byte while connected, so recording must cost about a microsecond
// per byte or less; and its window must stay responsive with the ring full: a refresh that takes
// in new frames, drops the oldest, follows the end and paints stays far below its 250 ms period.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include "trace/line_trace.h"
#include "trace/line_trace_window.h"
#include "trace/trace_file.h"

namespace {

using tq::LineDirection;
using tq::LineTrace;

// One cycle of the tool's work, recorded. Polls: "K" and its one-byte answer, so that a full
// ring holds 4 Mi frames of one byte each, the most it can hold (68 hours of "lettura
// ingressi"). Read-backs: "H", the record, "J", the texts: 94 000 frames in a full ring.
enum Session { Polls, ReadBacks };

void cycle(LineTrace& trace, Session session, std::int64_t& us)
{
    if (session == Polls) {
        trace.recordAt(LineDirection::Sent, us += 60'000, "K");
        trace.recordAt(LineDirection::Received, us += 2'000, "\x18");
        return;
    }
    trace.recordAt(LineDirection::Sent, us += 1'000'000, "H");
    trace.recordAt(LineDirection::Received, us += 60'000, std::string(56, '\x21'));
    trace.recordAt(LineDirection::Sent, us += 140'000, "J");
    trace.recordAt(LineDirection::Received, us += 130'000, std::string(120, 'T'));
}

void fill(LineTrace& trace, Session session, std::int64_t& us)
{
    while (trace.byteCount() + 178 < trace.capacity())
        cycle(trace, session, us);
}

void fillWithPolls(LineTrace& trace, std::int64_t& us)
{
    fill(trace, Polls, us);
}

// Recording chunks of a given size into a ring that is full, so that every record also drops the
// oldest; the steady clock is read for every chunk. The figure to read is the time per byte.
void BM_RecordBytes(benchmark::State& state)
{
    const std::string chunk(static_cast<std::size_t>(state.range(0)), '\x55');
    LineTrace trace;
    std::int64_t us = 0;
    fillWithPolls(trace, us);
    bool received = false;
    for (auto _ : state) {
        trace.record(received ? LineDirection::Received : LineDirection::Sent, chunk);
        received = !received;
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.counters["ns_per_byte"] = benchmark::Counter(static_cast<double>(state.range(0)) * state.iterations(),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                       benchmark::Counter::kIs1000);
}
BENCHMARK(BM_RecordBytes)->Arg(1)->Arg(8)->Arg(56)->Arg(177);

// The table alone over a full ring: one more cycle taken in, as many frames dropped.
void BM_TableRefreshFullRing(benchmark::State& state)
{
    const auto session = static_cast<Session>(state.range(0));
    LineTrace trace;
    std::int64_t us = 0;
    fill(trace, session, us);
    tq::TraceTable table(trace);
    for (auto _ : state) {
        cycle(trace, session, us);
        table.refresh();
    }
    state.counters["rows"] = table.rowCount();
}
BENCHMARK(BM_TableRefreshFullRing)->Arg(Polls)->Arg(ReadBacks)->ArgName("readbacks")->Unit(benchmark::kMicrosecond);

// The trace window, shown, over the same full ring: each refresh takes in one more cycle, drops
// as many frames, keeps the end in sight and paints.
void BM_WindowRefreshFullRing(benchmark::State& state)
{
    const auto session = static_cast<Session>(state.range(0));
    LineTrace trace;
    std::int64_t us = 0;
    fill(trace, session, us);
    tq::LineTraceWindow window(trace);
    window.show();
    QCoreApplication::processEvents();
    window.RefreshTimer->stop();  // the benchmark refreshes
    for (auto _ : state) {
        cycle(trace, session, us);
        window.refresh();
        window.Table->viewport()->repaint();
    }
    state.counters["rows"] = window.Table->model()->rowCount();
}
BENCHMARK(BM_WindowRefreshFullRing)->Arg(Polls)->Arg(ReadBacks)->ArgName("readbacks")->Unit(benchmark::kMicrosecond);

// Opening the window on a full ring: the frames found and the first screen painted.
void BM_WindowOpenFullRing(benchmark::State& state)
{
    LineTrace trace;
    std::int64_t us = 0;
    fillWithPolls(trace, us);
    for (auto _ : state) {
        tq::LineTraceWindow window(trace);
        window.show();
        window.Table->viewport()->repaint();
        benchmark::DoNotOptimize(window.Table->verticalScrollBar()->value());
    }
}
BENCHMARK(BM_WindowOpenFullRing)->Unit(benchmark::kMillisecond)->Iterations(3);

// Saving the full ring as text: 4 Mi lines.
void BM_TraceTextFullRing(benchmark::State& state)
{
    LineTrace trace;
    std::int64_t us = 0;
    fillWithPolls(trace, us);
    tq::TraceFrames frames(trace);
    frames.update();
    std::size_t size = 0;
    for (auto _ : state)
        size = tq::traceText(frames).size();
    state.counters["MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_TraceTextFullRing)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
