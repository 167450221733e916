// The receive engine runs every 50-300 ms for hours: one tick of each mode must stay far below a
// millisecond. The terminal takes continuous 9600-baud text in terminal mode: an hour of it must
// cost as much per minute at the end as at the start, and stay within its bound.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QSerialPortInfo>
#include <QTextDocument>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <ctime>
#include <fstream>

#include "allocation_counter.h"
#include "link/commands.h"
#include "link/port_discovery.h"
#include "link/qt_serial_port.h"
#include "link/receive_engine.h"
#include "params/list_view.h"
#include "support/scripted_port.h"
#include "ui/terminal_view.h"

namespace {

class BenchHost : public tq::EngineHost {
public:
    explicit BenchHost(tq::Module1& m) : m_m(m) {}
    tq::TerminalText& terminal() override { return text; }
    void copiesChanged() override { benchmark::DoNotOptimize(tq::ListInit(m_m)); }
    tq::TerminalText text;

private:
    tq::Module1& m_m;
};

// What the controller has sent by the time each mode's tick finds it complete.
std::string answerFor(tq::ReceiveMode mode)
{
    using enum tq::ReceiveMode;
    switch (mode) {
    case Terminal: return "MENU  1   SELEZIONA \r\n";
    case ParamRead: return std::string(56, '\x21');
    case MenuRead: return std::string(120, 'V');
    case SimStep: return std::string("\x01\x00\x00\x80", 4);
    case PhaseRead: return std::string(32, '\x02');
    case InputPoll: return "\x05";
    case OutputTest: return std::string("\x81\x01\x80\x00", 4);
    case MemoryStep: return "A8192";
    }
    return {};
}

// The sender that puts the engine in `mode`, as a window does. Memory stepping is sequential,
// so that the mode stays.
void enter(tq::ReceiveMode mode, const tq::LinkContext& c)
{
    using enum tq::ReceiveMode;
    switch (mode) {
    case Terminal: tq::stopOutputTest(c.m); break;
    case ParamRead: tq::sendReadBack(c, false); break;
    case MenuRead: tq::sendMenuListRequest(c); break;
    case SimStep: tq::requestSimulationStep(c); break;
    case PhaseRead: tq::sendPhaseRequest(c); break;
    case InputPoll: tq::startInputPolling(c); break;
    case OutputTest: tq::startOutputTest(c.m, {0x81, 0x01, 0x80}); break;
    case MemoryStep: tq::startMemoryStep(c, true); break;
    }
}

// Modes 5, 6 and 7 take two ticks per cycle (request, reply); the figure is for the pair. Modes
// 1, 2 and 4 end in another mode: their figure includes the sender that enters them again.
void BM_Tick(benchmark::State& state)
{
    using enum tq::ReceiveMode;
    const auto mode = static_cast<tq::ReceiveMode>(state.range(0));
    tq::Module1 m;
    m.NoAnswerText = tq::BuildNoAnswerText();
    BenchHost host(m);
    tq::test::ScriptedPort port;
    tq::ReceiveEngine engine(m, host);
    engine.setPort(&port);
    const tq::LinkContext link{m, port, host};
    enter(mode, link);
    m.RowCounter = 6;  // the simulation draws without asking for the next row
    // Input polling and the output test start on a reply tick: one before the loop, so that each
    // iteration is a request and a reply.
    if (mode == InputPoll || mode == OutputTest)
        engine.tick();
    const bool twoTicks = mode >= InputPoll;
    const bool leavesMode = mode == ParamRead || mode == MenuRead || mode == PhaseRead;
    const std::string answer = answerFor(mode);
    port.clearSent();
    for (auto _ : state) {
        if (leavesMode)
            enter(mode, link);
        if (twoTicks)
            engine.tick();
        port.feed(answer);
        engine.tick();
        port.clearSent();
    }
}
BENCHMARK(BM_Tick)->DenseRange(0, 7)->ArgName("mode");

// What a terminal-mode tick costs when the controller's text has piled up on the real serial
// backend (QSerialPort on a pseudo-terminal): the 96 bytes of a 100 ms tick at 9600 baud, 64 KiB,
// and the 1.5 MB that a flood leaves between two ticks. The text is kept near its bound, so every
// tick trims as a long session does. Allocations are counted over the tick alone: each buffer
// allocated on the way from the port to the terminal's text is one more copy of the bytes.
void BM_TerminalArrival(benchmark::State& state)
{
    const auto arrival = static_cast<std::size_t>(state.range(0));
    int master = -1, slave = -1;
    char slaveName[256] = {};
    if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    tq::QtSerialPort port;
    port.setSystemLocation(QString::fromLatin1(slaveName));
    if (!port.open(nullptr)) {
        state.SkipWithError("the pseudo-terminal does not open");
        return;
    }
    tq::Module1 m;
    BenchHost host(m);
    tq::ReceiveEngine engine(m, host);
    engine.setPort(&port);

    std::string lines;
    for (unsigned n = 0; lines.size() < arrival; ++n)
        lines += "AH= " + std::to_string(1000 + n % 9000) + " DH = 41 : A  ........................\r\n";
    lines.resize(arrival);
    while (host.text.text().size() + lines.size() <= host.text.bound() * 7 / 8)
        host.text.append(lines);

    bench::Allocations total;
    for (auto _ : state) {
        state.PauseTiming();
        // The bytes reach the port's buffer through the event loop, as they do between two ticks.
        std::size_t written = 0;
        while (port.bytesWaiting() < static_cast<int>(arrival)) {
            if (written < arrival) {
                const ssize_t n = ::write(master, lines.data() + written, lines.size() - written);
                if (n > 0)
                    written += static_cast<std::size_t>(n);
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        bench::startCountingAllocations();
        state.ResumeTiming();
        engine.tick();
        state.PauseTiming();
        const bench::Allocations a = bench::stopCountingAllocations();
        total.count += a.count;
        total.bytes += a.bytes;
        state.ResumeTiming();
    }
    const auto ticks = static_cast<double>(state.iterations());
    state.counters["allocations_per_tick"] = static_cast<double>(total.count) / ticks;
    state.counters["allocated_bytes_per_byte"] = static_cast<double>(total.bytes) / ticks / static_cast<double>(arrival);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(arrival));
    port.close();
    ::close(slave);
    ::close(master);
}
BENCHMARK(BM_TerminalArrival)->Arg(96)->Arg(64 * 1024)->Arg(1536 * 1000)->ArgName("bytes")->Unit(benchmark::kMicrosecond);

// CPU time of this thread, in ms: the other processes of a busy machine do not count.
double threadMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// One hour at 9600 baud: 960 bytes a second, taken every 100 ms as 96 bytes of CR LF lines,
// 36 000 appends (3.46 MB). With the view, a shown Text1 is kept in step after every append and
// the pending events are processed, as the main window's loop does between two ticks.
void BM_TerminalHour(benchmark::State& state)
{
    const bool withView = state.range(0) != 0;
    constexpr int kChunks = 36000;
    constexpr int kMinute = 600;
    std::string chunk;
    while (chunk.size() < 96)
        chunk += "AH= 2000 DH = 41 : A\r\n";
    chunk.resize(96);
    double firstMinute = 0, lastMinute = 0;
    std::size_t largestText = 0, largestView = 0;
    long rssGrowth = 0;
    for (auto _ : state) {
        tq::TerminalText text;
        QPlainTextEdit edit;
        tq::ui::TerminalView view(&edit, text);
        if (withView) {
            edit.resize(640, 240);
            edit.show();
        }
        long rssAtTenMinutes = 0;  // the text reaches its bound after about five
        double start = threadMilliseconds();
        for (int i = 0; i < kChunks; ++i) {
            text.append(chunk);
            if (withView) {
                view.sync();
                QCoreApplication::processEvents();
            }
            largestText = std::max(largestText, text.text().capacity());
            if (i % 1000 == 0)
                largestView = std::max(largestView, static_cast<std::size_t>(edit.document()->characterCount()));
            if (i == kMinute - 1)
                firstMinute = threadMilliseconds() - start;
            if (i == 10 * kMinute)
                rssAtTenMinutes = residentKilobytes();
            if (i == kChunks - kMinute - 1)
                start = threadMilliseconds();
        }
        lastMinute = threadMilliseconds() - start;
        rssGrowth = residentKilobytes() - rssAtTenMinutes;
    }
    state.counters["first_minute_ms"] = firstMinute;
    state.counters["last_minute_ms"] = lastMinute;
    state.counters["text_capacity_bytes"] = static_cast<double>(largestText);
    state.counters["view_chars"] = static_cast<double>(largestView);
    state.counters["rss_growth_after_10min_kB"] = static_cast<double>(rssGrowth);
}
BENCHMARK(BM_TerminalHour)->Arg(0)->Arg(1)->ArgName("view")->Iterations(1)->Unit(benchmark::kMillisecond);

// Loading the port chooser: the system's serial devices read from the tty class folder, the
// aliases and the simulated controller (qt_list:0); and Qt's list of the system's ports, which
// the chooser read before, through the device manager's library (qt_list:1).
void BM_PortScan(benchmark::State& state)
{
    std::size_t found = 0;
    for (auto _ : state)
        found = state.range(0) ? static_cast<std::size_t>(QSerialPortInfo::availablePorts().size())
                               : tq::GetSerialPortNames().entries.size();
    state.counters["entries"] = static_cast<double>(found);
}
BENCHMARK(BM_PortScan)->Arg(0)->Arg(1)->ArgName("qt_list")->Unit(benchmark::kMicrosecond);

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
