// The receive engine driven by a byte program of four kinds of step: bytes arrive (some of them
// between the engine's count of what waits and its take), a tick, a sender runs, the mode or one
// of the engine's flags is set, over all eight modes, an unknown one and both values of every
// flag. Whatever the program:
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

#include "byte_program.h"
#include "check.h"
#include "link/commands.h"
#include "link/receive_engine.h"
#include "operations/simulation_rows.h"
#include "operations/transfers.h"
#include "params/list_view.h"

namespace {

using tq::Module1;

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
        taken = std::move(waiting);
        waiting.clear();
        return taken;
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

    void arriveLate()
    {
        waiting += late;
        late.clear();
    }

    std::string waiting;
    std::string late;
    std::string sent;   // written during the current step
    std::string taken;  // handed out by the last take of the current step
};

class ProgramHost : public tq::EngineHost {
public:
    explicit ProgramHost(Module1& m) : m(m), text(kTerminalBound) {}

    tq::TerminalText& terminal() override { return text; }
    void setTimerInterval(int ms) override { interval = ms; }
    void ListInit() override { tq::ListInit(m); }
    void setLabel1(const std::string&) override {}
    void setLabel4(const std::string&) override {}
    void enableParUsb() override { parUsb = true; }
    void conta() override
    {
        tq::drawCourse(m, rows);
        ++courses;
    }
    void menuTextsTaken(bool recordTaken) override
    {
        ++textsTaken;
        recordBefore = recordTaken;
    }

    Module1& m;
    tq::TerminalText text;
    tq::SimulationRows rows;
    int interval = 100;
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

// The engine's flags and the mode, set to any of the values they take (and the mode to values
// no sender sets).
void setState(Module1& m, tq::fuzz::ByteProgram& p)
{
    switch (p.below(6)) {
    case 0: {
        const unsigned mode = p.below(10);
        tq::setReceiveMode(m, static_cast<std::uint8_t>(mode == 9 ? 255 : mode));
        break;
    }
    case 1: m.ChipToBuffer = p.byte() & 1; break;
    case 2: m.PhaseToggle = (p.byte() & 1) ? -1 : 0; break;
    case 3: m.SeqReadActive = (p.byte() & 1) ? -1 : 0; break;
    case 4: m.RowCounter = static_cast<std::int16_t>(p.word()); break;
    default: m.OutputBytes[p.below(6)] = p.byte(); break;
    }
}

// The first n bytes of a record or a buffer are the first n characters of what was taken.
template <std::size_t N>
bool holds(const std::array<std::uint8_t, N>& bytes, const std::string& s, std::size_t n)
{
    return n <= N && n <= s.size()
        && std::equal(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n), bytes.begin(),
                      [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

bool modeMoveAllowed(std::uint8_t from, std::uint8_t to)
{
    switch (from) {
    case tq::ParamRead: return to == tq::ParamRead || to == tq::MenuRead;
    case tq::MenuRead:
    case tq::PhaseRead:
    case tq::MemoryStep: return to == from || to == tq::Terminal;
    default: return to == from;
    }
}

// One tick, held against the protocol. recordPending: a record was taken and no tick of another
// mode than the menu texts' came since.
void tick(tq::ReceiveEngine& engine, Module1& m, ProgramPort& port, ProgramHost& host, bool& recordPending)
{
    const Module1 before = m;
    const int coursesBefore = host.courses;
    const int textsBefore = host.textsTaken;
    if (before.ReceiveMode != tq::MenuRead)
        recordPending = false;
    port.sent.clear();
    port.taken.clear();
    engine.tick();
    port.arriveLate();

    const std::uint8_t mode = before.ReceiveMode;
    FUZZ_CHECK(host.text.text().size() <= kTerminalBound);
    FUZZ_CHECK(modeMoveAllowed(mode, m.ReceiveMode));
    const std::string& s = port.taken;
    switch (mode) {
    case tq::ParamRead:
        if (m.ReceiveMode == tq::ParamRead) {
            FUZZ_CHECK(port.sent.empty() && m.ChipParams == before.ChipParams);
            break;
        }
        FUZZ_CHECK(port.sent == "J" && holds(m.ChipParams, s, tq::kParamAnswerBytes));
        FUZZ_CHECK(m.ChipToBuffer == before.ChipToBuffer && (before.ChipToBuffer == 1 || host.parUsb));
        FUZZ_CHECK(m.ChipParamsRead);
        recordPending = true;
        break;
    case tq::MenuRead:
        FUZZ_CHECK(port.sent.empty());
        if (m.ReceiveMode == tq::MenuRead) {
            FUZZ_CHECK(m.ChipMenuTexts == before.ChipMenuTexts);
            break;
        }
        FUZZ_CHECK(s.size() >= std::size_t(tq::kMenuAnswerMinBytes) && m.ChipMenuTextsRead);
        FUZZ_CHECK(host.textsTaken == textsBefore + 1 && host.recordBefore == recordPending);
        recordPending = false;
        for (std::size_t k = 0; k < std::size_t(tq::kDeviceMenuTexts); ++k)
            FUZZ_CHECK(m.ChipMenuTexts[k] == (10 * k < s.size() ? s.substr(10 * k, 10) : std::string()));
        if (before.ChipToBuffer == 1) {
            FUZZ_CHECK(std::equal(m.FileParams.begin(), m.FileParams.begin() + tq::kParamCount, m.ChipParams.begin()));
            FUZZ_CHECK(std::equal(m.FileMenuTexts.begin(), m.FileMenuTexts.begin() + 13, m.ChipMenuTexts.begin()));
            FUZZ_CHECK(m.CurrentFileName.empty() && m.ChipToBuffer == 0);
        } else {
            FUZZ_CHECK(m.FileParams == before.FileParams && m.CurrentFileName == before.CurrentFileName);
        }
        break;
    case tq::SimStep:
        if (s.size() < std::size_t(tq::kRowMinBytes) || s.size() > std::size_t(tq::kRowMaxBytes)) {
            FUZZ_CHECK(port.sent.empty() && host.courses == coursesBefore);
            break;
        }
        FUZZ_CHECK(holds(m.RowBuffer, s, s.size()));
        FUZZ_CHECK(host.courses == coursesBefore + 1);
        FUZZ_CHECK(port.sent == (before.RowCounter < 6 ? "S" : ""));
        break;
    case tq::InputPoll:
        FUZZ_CHECK(port.sent == (before.PhaseToggle == -1 ? "K" : ""));
        break;
    case tq::OutputTest: {
        std::string request;
        if (before.PhaseToggle == -1) {
            request = "!";
            request.append(before.OutputBytes.begin(), before.OutputBytes.begin() + 5);
        }
        FUZZ_CHECK(port.sent == request);
        break;
    }
    case tq::MemoryStep:
        FUZZ_CHECK(port.sent == (before.PhaseToggle == 0 ? "&" : ""));
        if (before.PhaseToggle != 0)
            FUZZ_CHECK(host.text.text().ends_with("\r\n"));
        FUZZ_CHECK(host.interval == tq::interval::MemoryStep);
        break;
    default:
        FUZZ_CHECK(port.sent.empty());
        break;
    }
    if (!(mode == tq::MenuRead && m.ReceiveMode == tq::Terminal))
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
        default:
            setState(m, p);
            break;
        }
    }
    return 0;
}
