// The receive engine driven by a byte program of four kinds of step: bytes arrive (some of them
// between the engine's count of what waits and its take), a tick, a sender runs (the only way,
// as in the windows, that the mode and the engine's flags move; together the senders and the
// ticks reach all eight modes and both values of every flag), the simulation's course count or
// the output pattern is set. Whatever the program:
// - nothing crashes and nothing is read past what arrived (the standard library's index checks
//   and the address sanitizer watch every access);
// - the terminal text stays within its bound;
// - a tick moves the mode only as the protocol does (1 on to 2; 2, 4 and 7 back to 0; the others
//   stay) and sends only its own mode's request: "J" once a record is complete, "K" on the
//   request tick of the input poll, "!" and OutputBytes 0-4 on that of the output test, "&" on
//   that of memory stepping, "S" while the first courses of the simulation come in;
// - what it decodes is what arrived: the record, the menu texts, a course; a read-back asked to
//   become the working copy becomes it, and the file name is emptied;
// - the host hears once per menu-text answer whether the record came just before it, with no
//   tick of another mode in between.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "link/commands.h"
#include "link/receive_engine.h"
#include "operations/simulation_rows.h"
#include "operations/transfers.h"
#include "params/list_view.h"
#include "target.h"

namespace {

using tq::Module1;
using tq::ReceiveMode;

constexpr std::size_t kTerminalBound = 512;  // small, so that a trim happens often

// A line whose bytes come from the program. Bytes that arrive "late" join the waiting ones at
// the next take, as bytes that come in between the engine's count and its take do, or at the end
// of the tick.
class ProgramPort : public tq::SerialPort {
public:
    void setPortNumber(std::uint8_t) override {}
    bool open(QString*) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }

    void write(std::string_view bytes) override { sent.append(bytes); }
    int bytesWaiting() override { return static_cast<int>(waiting.size()); }
    std::string takeAll() override
    {
        arriveLate();
        return taken = std::exchange(waiting, {});
    }
    // The terminal's take: as many bytes as it counted; the late ones wait for the next.
    void take(char* into, std::size_t size) override
    {
        size = std::min(size, waiting.size());
        waiting.copy(into, size);
        taken = waiting.substr(0, size);
        waiting.erase(0, size);
        arriveLate();
    }
    void discardAll() override { waiting.clear(); }

    void arriveLate() { waiting += std::exchange(late, {}); }

    std::string waiting;
    std::string late;
    std::string sent;   // written during the current step
    std::string taken;  // handed out by the last take of the current step
};

class ProgramHost : public tq::EngineHost {
public:
    explicit ProgramHost(Module1& m) : m(m), text(kTerminalBound) {}

    tq::TerminalText& terminal() override { return text; }
    void copiesChanged() override { tq::ListInit(m); }
    void usbCompilerAvailable() override { parUsb = true; }
    void simulationCourseTaken() override { ++courses; tq::drawCourse(m, rows); }
    void menuTextsTaken(bool recordTaken) override { ++textsTaken; recordBefore = recordTaken; }

    Module1& m;
    tq::TerminalText text;
    tq::SimulationRows rows;
    bool parUsb = false;
    int courses = 0;
    int textsTaken = 0;
    bool recordBefore = false;
};

void runSender(unsigned which, const tq::LinkContext& c, tq::fuzz::ByteProgram& p)
{
    switch (which) {
    case 0: tq::sendReadBack(c, false); break;
    case 1: tq::sendReadBack(c, true); break;
    case 2: tq::sendMenuListRequest(c); break;
    case 3: tq::sendPhaseRequest(c); break;
    case 4: tq::sendRepeatInit(c); break;
    case 5: tq::sendForceEepromError(c); break;
    case 6: tq::sendPanelKey(c, static_cast<tq::PanelKey>(p.below(6))); break;
    case 7: tq::clearTerminal(c); break;
    case 8: tq::startVdipTest(c); break;
    case 9: tq::sendRereadUsbKey(c); break;
    case 10: tq::startInputPolling(c); break;
    case 11: tq::sendMemoryAddress(c, static_cast<tq::MemoryAddress>(p.below(3))); break;
    case 12: tq::startMemoryStep(c, false); break;
    case 13: tq::startMemoryStep(c, true); break;
    case 14: tq::stopMemoryStep(c); break;
    case 15: tq::startSimulation(c); break;
    case 16: tq::requestSimulationStep(c); break;
    case 17: tq::startOutputTest(c.m, {p.byte(), p.byte(), p.byte()}); break;
    case 18: tq::stopOutputTest(c.m); break;
    default: tq::writeWorkingCopy(c, [](const std::string&) {}); break;
    }
}
constexpr unsigned kSenders = 20;

// The first n bytes of a record or a buffer are the first n characters of what was taken.
template <std::size_t N>
bool holds(const std::array<std::uint8_t, N>& bytes, const std::string& s, std::size_t n)
{
    return n <= N && n <= s.size() && std::string(bytes.begin(), bytes.begin() + n) == s.substr(0, n);
}

bool modeMoveAllowed(ReceiveMode from, ReceiveMode to)
{
    const bool ends = from == ReceiveMode::MenuRead || from == ReceiveMode::PhaseRead || from == ReceiveMode::MemoryStep;
    return to == from || (from == ReceiveMode::ParamRead && to == ReceiveMode::MenuRead) || (ends && to == ReceiveMode::Terminal);
}

// One tick, held against the protocol. recordPending: a record was taken and no tick of another
// mode than the menu texts' came since.
void tick(tq::ReceiveEngine& engine, Module1& m, ProgramPort& port, ProgramHost& host, bool& recordPending)
{
    const Module1 before = m;
    const int coursesBefore = host.courses;
    const int textsBefore = host.textsTaken;
    if (before.Engine.mode() != ReceiveMode::MenuRead)
        recordPending = false;
    port.sent.clear();
    port.taken.clear();
    engine.tick();
    port.arriveLate();

    const ReceiveMode mode = before.Engine.mode();
    FUZZ_CHECK(host.text.text().size() <= kTerminalBound);
    FUZZ_CHECK(modeMoveAllowed(mode, m.Engine.mode()));
    const std::string& s = port.taken;
    switch (mode) {
    case ReceiveMode::ParamRead:
        if (m.Engine.mode() == ReceiveMode::ParamRead) {
            FUZZ_CHECK(port.sent.empty() && m.ChipParams == before.ChipParams);
            break;
        }
        FUZZ_CHECK(port.sent == "J" && holds(m.ChipParams, s, tq::kParamAnswerBytes));
        FUZZ_CHECK(m.Engine.ChipToBuffer() == before.Engine.ChipToBuffer());
        FUZZ_CHECK(before.Engine.ChipToBuffer() == 1 || host.parUsb);
        FUZZ_CHECK(m.ChipParamsRead);
        recordPending = true;
        break;
    case ReceiveMode::MenuRead:
        FUZZ_CHECK(port.sent.empty());
        if (m.Engine.mode() == ReceiveMode::MenuRead) {
            FUZZ_CHECK(m.ChipMenuTexts == before.ChipMenuTexts);
            break;
        }
        FUZZ_CHECK(s.size() >= std::size_t(tq::kMenuAnswerMinBytes) && m.ChipMenuTextsRead);
        FUZZ_CHECK(host.textsTaken == textsBefore + 1 && host.recordBefore == recordPending);
        recordPending = false;
        for (std::size_t k = 0; k < std::size_t(tq::kDeviceMenuTexts); ++k)
            FUZZ_CHECK(m.ChipMenuTexts[k] == (10 * k < s.size() ? s.substr(10 * k, 10) : std::string()));
        if (before.Engine.ChipToBuffer() == 1) {
            FUZZ_CHECK(std::equal(m.FileParams.begin(), m.FileParams.begin() + tq::kParamCount, m.ChipParams.begin()));
            FUZZ_CHECK(std::equal(m.FileMenuTexts.begin(), m.FileMenuTexts.begin() + 13, m.ChipMenuTexts.begin()));
            FUZZ_CHECK(m.CurrentFileName.empty() && m.Engine.ChipToBuffer() == 0);
        } else {
            FUZZ_CHECK(m.FileParams == before.FileParams && m.CurrentFileName == before.CurrentFileName);
        }
        break;
    case ReceiveMode::SimStep:
        if (s.size() < std::size_t(tq::kRowMinBytes) || s.size() > std::size_t(tq::kRowMaxBytes)) {
            FUZZ_CHECK(port.sent.empty() && host.courses == coursesBefore);
            break;
        }
        FUZZ_CHECK(holds(m.RowBuffer, s, s.size()));
        FUZZ_CHECK(host.courses == coursesBefore + 1);
        FUZZ_CHECK(port.sent == (before.RowCounter < 6 ? "S" : ""));
        break;
    case ReceiveMode::InputPoll:
        FUZZ_CHECK(port.sent == (before.Engine.PhaseToggle() == -1 ? "K" : ""));
        break;
    case ReceiveMode::OutputTest: {
        const std::string pattern(before.OutputBytes.begin(), before.OutputBytes.begin() + 5);
        FUZZ_CHECK(port.sent == (before.Engine.PhaseToggle() == -1 ? "!" + pattern : ""));
        break;
    }
    case ReceiveMode::MemoryStep:
        FUZZ_CHECK(port.sent == (before.Engine.PhaseToggle() == 0 ? "&" : ""));
        if (before.Engine.PhaseToggle() != 0)
            FUZZ_CHECK(host.text.text().ends_with("\r\n"));
        FUZZ_CHECK(m.Engine.interval() == tq::interval::MemoryStep);
        break;
    default:
        FUZZ_CHECK(port.sent.empty());
        break;
    }
    if (!(mode == ReceiveMode::MenuRead && m.Engine.mode() == ReceiveMode::Terminal))
        FUZZ_CHECK(host.textsTaken == textsBefore);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tq::fuzz::ByteProgram p(data, size);
    Module1 m;
    m.NoAnswerText = tq::BuildNoAnswerText();
    m.CurrentFileName = "banco.ini";
    ProgramPort port;
    ProgramHost host(m);
    tq::ReceiveEngine engine(m, host);
    engine.setPort(&port);
    const tq::LinkContext context{m, port, host};
    bool recordPending = false;

    while (!p.done()) {
        switch (p.below(6)) {
        case 0:
            port.waiting += p.bytes(1 + p.below(130));
            break;
        case 1:
            port.late += p.bytes(1 + p.below(16));
            break;
        case 2:
        case 3:
            tick(engine, m, port, host, recordPending);
            break;
        case 4:
            port.sent.clear();
            runSender(p.below(kSenders), context, p);
            FUZZ_CHECK(host.text.text().size() <= kTerminalBound);
            break;
        default:  // what the windows set beside the senders: the course count, the output pattern
            if (p.below(2) == 0)
                m.RowCounter = static_cast<std::int16_t>(p.word());
            else
                m.OutputBytes[p.below(6)] = p.byte();
            break;
        }
    }
    return 0;
}
