// The simulated controller fed arbitrary host bytes, at arbitrary moments, in every fault mode:
// it never crashes and never answers out of protocol. In protocol means, byte by byte, for a
// healthy controller:
// - "H": the 56 bytes of its working record; "J": its 120 bytes of menu texts;
// - "Y": 32 phase bytes, each 0, 1 or 2; "K": one input byte with bit 7 clear;
// - "&": the data byte at the memory pointer, then the pointer in decimal; the pointer starts at
//   the knitting data (&H2000), "R" sets it there, "/" to the folders (&H0001), "y" to the file
//   list (&H1000), and every "&" moves it on by one, wrapping after &H7FFF;
// - "R" and "S": one simulation row of 4 bytes;
// - the panel keys "M" "N" "2" "1" "E" "$" and "C": text that ends with CR LF;
// - "L" and the 176 bytes after it: nothing, then the working record and texts are those bytes;
//   "W", "Vorela" and CR: nothing, then the EEPROM holds the working copy, a wrong password
//   leaves it; "z": nothing, the working copy is the EEPROM's again; "@": nothing, one EEPROM cell
//   of the last parameter erased; "!" and five bytes: after the fifth the outputs asked for that
//   the installed boards can drive, three bytes, and a fourth with output protection on: 0 or the
//   shorted output, if it was asked for;
// - every other byte: nothing. A frame that stops for more than 500 ms is dropped.
// A controller in a fault mode answers what the healthy one would, shaped by the fault: "short"
// the first half, "garbage" as many bytes, "long-rows" rows of 13 bytes, "silent" and "drop"
// nothing at all (and it takes nothing in). Bytes that arrive together are answered as the same
// bytes one at a time.

#include <algorithm>
#include <cstdint>
#include <string>

#include "sim/controller_model.h"
#include "sim/memory_image.h"
#include "target.h"

namespace {

using tq::sim::ControllerModel;
using tq::sim::Fault;
using tq::sim::ParamImage;

constexpr Fault kFaults[] = {Fault::None, Fault::Silent, Fault::CutShort, Fault::Garbage, Fault::LongRows,
                             Fault::LineDropped};

const tq::sim::Memory& memory()
{
    static const tq::sim::Memory m = tq::sim::factoryMemory();
    return m;
}

// The host's view of the protocol: which bytes are commands and which belong to a frame, and
// where the memory pointer stands.
class Protocol {
public:
    // The healthy controller's working copy and EEPROM before a byte.
    struct Images {
        ParamImage working;
        ParamImage eeprom;
    };

    // Checks the healthy controller's answer to one byte that arrived at nowMs. Returns whether
    // the byte asked for a simulation row.
    bool check(const Images& before, const ControllerModel& after, char c, std::int64_t nowMs,
               const std::string& answer, int shortedOutput)
    {
        if (m_frame != Frame::None && nowMs - m_lastByteMs > tq::sim::kFrameTimeoutMs)
            m_frame = Frame::None;
        m_lastByteMs = nowMs;
        if (m_frame != Frame::None) {
            frameByte(before, after, c, answer, shortedOutput);
            return false;
        }
        const bool working = after.working() == before.working;
        const bool eeprom = after.eeprom() == before.eeprom;
        switch (c) {
        case 'H':
            FUZZ_CHECK(answer == std::string(before.working.record.begin(), before.working.record.end()));
            break;
        case 'J':
            FUZZ_CHECK(answer == before.working.texts && answer.size() == 120);
            break;
        case 'Y':
            FUZZ_CHECK(answer.size() == 32 && std::all_of(answer.begin(), answer.end(), [](char b) { return b >= 0 && b <= 2; }));
            break;
        case 'K':
            FUZZ_CHECK(answer.size() == 1 && (static_cast<std::uint8_t>(answer[0]) & 0x80) == 0);
            break;
        case '&':
            FUZZ_CHECK(answer.size() >= 2);
            FUZZ_CHECK(static_cast<std::uint8_t>(answer[0]) == memory()[m_pointer]);
            FUZZ_CHECK(answer.substr(1) == std::to_string(m_pointer));
            m_pointer = static_cast<std::uint16_t>((m_pointer + 1) % tq::sim::kMemorySize);
            break;
        case 'R':
        case 'S':
            m_pointer = c == 'R' ? tq::sim::kKnitData : m_pointer;
            FUZZ_CHECK(answer.size() == 4 && working && eeprom);
            return true;
        case 'M': case 'N': case '2': case '1': case 'E': case '$': case 'C':
            FUZZ_CHECK(answer.ends_with("\r\n"));
            break;
        case '/':
        case 'y':
            m_pointer = c == '/' ? tq::sim::kFolderSection : tq::sim::kFileList;
            FUZZ_CHECK(answer.empty());
            break;
        case 'z':
            FUZZ_CHECK(answer.empty() && after.working() == before.eeprom && eeprom);
            return false;
        case '@': {
            FUZZ_CHECK(answer.empty() && working);
            ParamImage damaged = before.eeprom;
            std::uint8_t& cell = damaged.record[tq::kParamCount - 1];
            FUZZ_CHECK(after.eeprom().record[tq::kParamCount - 1] != cell);
            cell = after.eeprom().record[tq::kParamCount - 1];
            FUZZ_CHECK(after.eeprom() == damaged);
            return false;
        }
        case 'L':
        case 'W':
        case '!':
            m_frame = c == 'L' ? Frame::Load : c == 'W' ? Frame::Password : Frame::Outputs;
            m_frameBytes.clear();
            FUZZ_CHECK(answer.empty());
            break;
        default:
            FUZZ_CHECK(answer.empty());
            break;
        }
        FUZZ_CHECK(working && eeprom);
        return false;
    }

private:
    enum class Frame { None, Load, Password, Outputs };

    void frameByte(const Images& before, const ControllerModel& after, char c, const std::string& answer,
                   int shortedOutput)
    {
        m_frameBytes += c;
        FUZZ_CHECK(after.eeprom() == before.eeprom || (m_frame == Frame::Password && c == '\r'));
        switch (m_frame) {
        case Frame::Load:
            FUZZ_CHECK(answer.empty());
            if (m_frameBytes.size() < std::size_t(tq::sim::kImageSize)) {
                FUZZ_CHECK(after.working() == before.working);
                return;
            }
            FUZZ_CHECK(after.working().bytes() == m_frameBytes);
            break;
        case Frame::Password:
            FUZZ_CHECK(answer.empty() && after.working() == before.working);
            if (c == '\r') {
                const bool right = m_frameBytes == std::string(tq::sim::kPassword) + '\r';
                FUZZ_CHECK(after.eeprom() == (right ? before.working : before.eeprom));
                break;
            }
            if (m_frameBytes.size() <= 16)
                return;
            break;
        case Frame::Outputs:
            FUZZ_CHECK(after.working() == before.working);
            if (m_frameBytes.size() < 5) {
                FUZZ_CHECK(answer.empty());
                return;
            }
            checkOutputs(before.working, answer, shortedOutput);
            break;
        case Frame::None:
            break;
        }
        m_frame = Frame::None;
    }

    // Output n (1..24) in three bytes, output 1 in bit 0 of the first.
    static bool on(const std::string& bytes, int n) { return static_cast<std::uint8_t>(bytes[(n - 1) / 8]) >> ((n - 1) % 8) & 1; }

    void checkOutputs(const ParamImage& setup, const std::string& answer, int shortedOutput)
    {
        const bool protection = setup.outputProtection();
        FUZZ_CHECK(answer.size() == (protection ? 4u : 3u));
        const int installed = setup.boards() * 8;
        for (int output = 1; output <= 24; ++output)
            FUZZ_CHECK(on(answer, output) == (on(m_frameBytes, output) && output <= installed && !(protection && output == shortedOutput)));
        const bool askedShorted = shortedOutput >= 1 && shortedOutput <= installed && on(m_frameBytes, shortedOutput);
        FUZZ_CHECK(!protection || static_cast<std::uint8_t>(answer[3]) == (askedShorted ? shortedOutput : 0));
    }

    Frame m_frame = Frame::None;
    std::string m_frameBytes;
    std::int64_t m_lastByteMs = 0;
    std::uint16_t m_pointer = tq::sim::kKnitData;
};

// What a fault makes of the healthy answer to a byte.
void checkShaped(Fault fault, bool row, const std::string& healthy, const std::string& got)
{
    if (fault == Fault::Garbage)  // noise: an answer of four bytes or more never the healthy one by chance
        return FUZZ_CHECK(got.size() == healthy.size() && (healthy.size() < 4 || got != healthy));
    const std::string expected = fault == Fault::None ? healthy
        : fault == Fault::CutShort                    ? healthy.substr(0, healthy.size() / 2)
        : fault == Fault::LongRows                    ? (row ? healthy + std::string(9, '\0') : healthy)
                                                      : std::string();  // silent, or the line dropped
    FUZZ_CHECK(got == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Kept from one input to the next and set back to the factory state by assignment, which
    // reuses their memory: a fresh controller per input would spend most of the time allocating.
    static const ControllerModel factory;
    static ControllerModel oneByOne;  // in the fault mode of the program, fed a byte at a time
    static ControllerModel together;  // the same, fed each arrival at once
    static ControllerModel healthy;   // never in a fault, fed what the other two take in
    static Protocol::Images before;
    oneByOne = factory;
    together = factory;
    healthy = factory;
    tq::fuzz::ByteProgram p(data, size);
    Protocol protocol;
    std::int64_t now = 0;
    int shorted = 0;

    while (!p.done()) {
        const std::uint8_t op = p.byte();
        if (op % 8 == 6) {
            oneByOne.setFault(kFaults[p.below(6)]);
            together.setFault(oneByOne.fault());
            continue;
        }
        if (op % 8 == 7) {
            shorted = static_cast<int>(p.below(25));
            oneByOne.setShortedOutput(shorted);
            together.setShortedOutput(shorted);
            healthy.setShortedOutput(shorted);
            continue;
        }
        // Some bytes arrive, after a pause long enough, now and then, to drop a frame.
        const std::uint8_t pause = p.byte();
        now += pause < 128 ? pause : (pause - 128) * 8;
        const std::string bytes = p.bytes(1 + p.below(24));
        const Fault fault = oneByOne.fault();
        const bool takesIn = fault != Fault::Silent && fault != Fault::LineDropped;
        std::string all;
        for (char c : bytes) {
            before.working = healthy.working();
            before.eeprom = healthy.eeprom();
            const std::string normal = healthy.receive(takesIn ? std::string_view(&c, 1) : std::string_view(), now);
            const bool row = takesIn && protocol.check(before, healthy, c, now, normal, shorted);
            const std::string got = oneByOne.receive(std::string_view(&c, 1), now);
            checkShaped(fault, row, normal, got);
            all += got;
            FUZZ_CHECK(oneByOne.working() == healthy.working() && oneByOne.eeprom() == healthy.eeprom());
        }
        FUZZ_CHECK(together.receive(bytes, now) == all);
        FUZZ_CHECK(together.working() == oneByOne.working() && together.eeprom() == oneByOne.eeprom());
    }
    return 0;
}
