// The line trace, from the ring to what the engineer reads. The faults they guard against: a ring
// that loses bytes in the middle, reorders them, lets time run backwards or grows past its bound;
// a tracing port that changes what the tool sees or misses bytes it threw away unread; a frame that
// swallows its answer or an answer split at a gap the line never had; a wrong word in the decoding
// (a record called correct whose CRC does not match, an answer called complete that is short); a
// table row announced that is not there; a saved trace that does not read back byte for byte, or
// a failed save that destroys the previous file.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTemporaryDir>

#include <random>

#include "link/commands.h"
#include "link/receive_engine.h"
#include "operations/transfers.h"
#include "sim/simulated_port.h"
#include "support/file_bytes.h"
#include "support/engine_on_line.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"
#include "trace/line_trace.h"
#include "trace/trace_decoder.h"
#include "trace/trace_file.h"
#include "trace/trace_frames.h"
#include "trace/trace_table.h"
#include "trace/tracing_port.h"

namespace tq {
namespace {

using Dir = LineDirection;
constexpr Dir TX = Dir::Sent;
constexpr Dir RX = Dir::Received;
using Frames = std::vector<TraceFrame>;

// The entries the ring holds, each as a frame of its own.
Frames held(const LineTrace& trace)
{
    Frames all;
    for (std::uint64_t e = trace.firstEntry(); e < trace.endEntry(); ++e) {
        all.push_back({trace.timeUs(e), trace.direction(e), {}});
        trace.appendBytes(e, all.back().bytes);
        EXPECT_EQ(all.back().bytes.size(), trace.size(e));
    }
    return all;
}

// The frames of a trace.
Frames framesOf(const TraceFrames& frames)
{
    Frames all;
    for (std::size_t i = 0; i < frames.size(); ++i)
        all.push_back(frames.frame(i));
    return all;
}

void recordAll(LineTrace& trace, const Frames& entries)
{
    for (const TraceFrame& e : entries)
        trace.recordAt(e.direction, e.us, e.bytes);
}

TEST(LineTrace, EntriesComeBackInOrderWithTheirDirectionAndATimeSinceTheRestartThatNeverGoesBack)
{
    std::int64_t now = 5'000'000'000;  // ns
    LineTrace trace(LineTrace::kCapacityBytes, [&] { return now; });
    trace.record(TX, "stale");
    now += 1'000'000;
    trace.restart();
    EXPECT_TRUE(trace.empty());

    // After each advance of the clock, an entry; its time in microseconds, rounded down.
    const struct { std::int64_t advanceNs; TraceFrame entry; } steps[] = {
        {0, {0, TX, "H"}},
        {1'999, {1, RX, std::string("\x00\x01", 2)}},
        {59'000'001, {59'002, RX, std::string(54, '\xFF')}},
        {1'000, {59'003, TX, "J"}},
        {-1'000'000, {59'003, RX, "x"}},  // a clock that stepped back: the time holds
        {(LineTrace::kMaxTimeUs + 5) * 1000, {LineTrace::kMaxTimeUs, RX, "y"}},  // twelve days on: it saturates
    };
    Frames expected;
    for (const auto& s : steps) {
        now += s.advanceNs;
        trace.record(s.entry.direction, s.entry.bytes);
        expected.push_back(s.entry);
    }
    trace.record(TX, "");  // nothing went over the line: no entry
    EXPECT_EQ(held(trace), expected);
    EXPECT_EQ(trace.firstEntry(), 0u);
    EXPECT_EQ(trace.byteCount(), 1u + 2 + 54 + 1 + 1 + 1);
}

// A flood of entries of every size through a small ring: it never holds more than its bound, it
// always holds exactly the newest entries that fit, whole, and their bytes across the wrap.
TEST(LineTrace, AFloodDropsTheOldestWholeEntriesAndStaysWithinTheBound)
{
    constexpr std::size_t capacity = 1000;
    LineTrace trace(capacity);
    std::mt19937 random(17);
    Frames all;
    for (int i = 0; i < 20'000; ++i) {
        const std::size_t size = 1 + random() % (i % 100 == 0 ? 400 : 12);
        all.push_back({i, random() % 2 ? TX : RX, std::string(size, '\0')});
        for (char& c : all.back().bytes)
            c = static_cast<char>(random());
        recordAll(trace, {all.back()});
        ASSERT_LE(trace.byteCount(), capacity);
    }
    // The newest entries that fit, counted from the end.
    std::size_t keep = 0, bytes = 0;
    while (keep < all.size() && bytes + all[all.size() - 1 - keep].bytes.size() <= capacity)
        bytes += all[all.size() - 1 - keep++].bytes.size();
    EXPECT_EQ(held(trace), Frames(all.end() - std::ptrdiff_t(keep), all.end()));
    EXPECT_EQ(trace.firstEntry(), all.size() - keep);
    EXPECT_EQ(trace.byteCount(), bytes);
}

TEST(LineTrace, TheFullSizeRingHoldsFourMebibytesOfSingleBytes)
{
    LineTrace trace;
    const std::size_t flood = LineTrace::kCapacityBytes + 12345;
    for (std::size_t i = 0; i < flood; ++i) {
        const char byte = static_cast<char>(i);
        trace.recordAt(i % 2 ? RX : TX, static_cast<std::int64_t>(i), std::string_view(&byte, 1));
    }
    EXPECT_EQ(trace.byteCount(), LineTrace::kCapacityBytes);
    EXPECT_EQ(trace.endEntry() - trace.firstEntry(), LineTrace::kCapacityBytes);
    EXPECT_EQ(trace.firstEntry(), 12345u);
    for (std::uint64_t e : {trace.firstEntry(), trace.firstEntry() + 777, trace.endEntry() - 1}) {
        std::string b;
        trace.appendBytes(e, b);
        EXPECT_EQ(b, std::string(1, static_cast<char>(e)));
        EXPECT_EQ(trace.timeUs(e), static_cast<std::int64_t>(e));
        EXPECT_EQ(trace.direction(e), e % 2 ? RX : TX);
    }
}

TEST(LineTrace, AnEntryLongerThanTheRingKeepsItsNewestBytes)
{
    LineTrace trace(8);
    recordAll(trace, {{0, TX, "old"}, {1, RX, "0123456789AB"}});
    EXPECT_EQ(held(trace), (Frames{{1, RX, "456789AB"}}));
    EXPECT_EQ(trace.firstEntry(), 1u);
}

struct Fixture {
    Fixture()
    {
        auto owned = std::make_unique<test::ScriptedPort>();
        line = owned.get();
        port = std::make_unique<TracingPort>(std::move(owned), trace);
    }
    std::int64_t now = 0;
    LineTrace trace{LineTrace::kCapacityBytes, [this] { return now += 250'000; }};  // 250 µs a call
    test::ScriptedPort* line = nullptr;
    std::unique_ptr<TracingPort> port;
};

// What the tool does to the port, and what the controller has sent by then.
struct Step {
    std::string feed;   // arrives at the line before the step
    char action;        // w write, c count, t take, p take the first 4, d discard
    std::string write;
};

TEST(TracingPort, EveryByteBothWaysIsRecordedInOrderAndTheToolSeesThePortUnchanged)
{
    const std::string record(56, '\x21');
    const std::vector<Step> session = {
        {"", 'w', "H"},
        {record.substr(0, 30), 'c', ""},   // the engine counts 30 of 56
        {record.substr(30), 't', ""},      // and takes the whole record
        {"", 'w', "J"},
        {std::string(120, 'T'), 't', ""},
        {"", 'w', "K"},
        {"stale", 'd', ""},                // the input poll empties the buffer unread
        {"\x19", 't', ""},
        {"", 'w', "M"},
        {" 1 SELEZIONA\r\n", 'p', ""},   // the terminal takes what waits, part by part
        {"", 't', ""},
        {"", 'w', "L"},
        {"", 'w', std::string(56, '\0')},
        {"", 'w', std::string(120, ' ')},
    };

    Fixture f;
    ASSERT_TRUE(f.port->open(nullptr));
    std::string sent;
    std::vector<std::string> takes;
    for (const Step& s : session) {
        f.line->feed(s.feed);
        switch (s.action) {
        case 'w': f.port->write(s.write); sent += s.write; break;
        case 'c': EXPECT_EQ(f.port->bytesWaiting(), static_cast<int>(s.feed.size())); break;
        case 't': takes.push_back(f.port->takeAll()); break;
        case 'p': {
            std::string part(4, '\0');
            f.port->take(part.data(), part.size());
            takes.push_back(part);
            break;
        }
        case 'd': f.port->discardAll(); EXPECT_EQ(f.port->bytesWaiting(), 0); break;
        }
    }
    EXPECT_EQ(takes, (std::vector<std::string>{record, std::string(120, 'T'), "\x19", " 1 S", "ELEZIONA\r\n"}));
    EXPECT_EQ(f.line->sent(), sent);
    EXPECT_EQ(f.line->writes.size(), 7u);  // one write of the line per write of the tool

    // Every entry later than the one before; at 250 µs a call, each direction's run is one frame.
    std::int64_t last = -1;
    for (const TraceFrame& e : held(f.trace))
        EXPECT_GT(e.us, std::exchange(last, e.us));
    TraceFrames frames(f.trace);
    frames.update();
    std::vector<std::pair<Dir, std::string>> exchange;
    for (const TraceFrame& frame : framesOf(frames))
        exchange.emplace_back(frame.direction, frame.bytes);
    EXPECT_EQ(exchange, (std::vector<std::pair<Dir, std::string>>{{TX, "H"}, {RX, record}, {TX, "J"}, {RX, std::string(120, 'T')},
        {TX, "K"}, {RX, "stale\x19"}, {TX, "M"}, {RX, " 1 SELEZIONA\r\n"}, {TX, "L" + std::string(56, '\0') + std::string(120, ' ')}}));
}

TEST(TracingPort, OpeningRestartsTheTraceAClosedPortRecordsNothingAndALossIsPassedOn)
{
    Fixture f;
    f.port->write("lost");  // not open: nothing goes over the line
    EXPECT_TRUE(f.trace.empty());
    ASSERT_TRUE(f.port->open(nullptr));
    f.port->write("H");
    const std::uint64_t session = f.trace.session();
    f.port->close();
    f.line->failOpen = true;
    EXPECT_FALSE(f.port->open(nullptr));
    EXPECT_EQ(f.trace.session(), session);  // a failed open keeps the last session's trace
    EXPECT_EQ(f.trace.byteCount(), 1u);
    f.line->failOpen = false;
    ASSERT_TRUE(f.port->open(nullptr));
    EXPECT_TRUE(f.trace.empty());
    std::vector<QString> lost;
    QObject::connect(f.port.get(), &SerialPort::deviceLost, [&](const QString& r) { lost.push_back(r); });
    emit f.line->deviceLost(QStringLiteral("scollegato"));
    EXPECT_EQ(lost, std::vector<QString>{QStringLiteral("scollegato")});

    // A line opened beforehand starts the trace as the tracing port takes it.
    LineTrace trace;
    trace.recordAt(TX, 0, "earlier session");
    auto line = std::make_unique<test::ScriptedPort>();
    ASSERT_TRUE(line->open(nullptr));
    TracingPort port(std::move(line), trace);
    EXPECT_TRUE(trace.empty());
}

// 54 parameters 1..54 and their CRC-16 (0x1021, preset 0xFFFF), worked out by hand once:
// 0x41 0x4F.
std::string record(char crcHigh = '\x41', char crcLow = '\x4F')
{
    std::string r;
    for (int i = 1; i <= 54; ++i)
        r += static_cast<char>(i);
    return r + crcHigh + crcLow;
}

// Twelve menu texts as the decoding lists them.
std::string listed(const std::string& texts)
{
    std::string listing = "12 voci del menu:";
    for (std::size_t k = 0; k < 12; ++k)
        listing += " \"" + texts.substr(10 * k, 10) + "\"";
    return listing;
}

TEST(TraceDecoder, NamesEveryCommandSentWithItsData)
{
    const std::string texts(120, 'A');
    const struct { std::string sent; std::string text; char last; } cases[] = {  // last: the command the answers follow
        {"H", "H lettura parametri", 'H'},
        {"J", "J lettura voci del menu", 'J'},
        {"L" + record() + texts, "L scrittura 177 byte, CRC 65-79 corretto", 'L'},
        {"L" + record('\0', '\0') + texts, "L scrittura 177 byte, CRC 0-0 errato (calcolato 65-79)", 'L'},
        {"L" + record(), "L scrittura 57 byte, incompleta (177 attesi)", 'L'},
        {"WVorela\r", "W salvataggio EEPROM", 'W'},
        {"Wvorela\r", "W salvataggio EEPROM, password errata", 'W'},
        {"WVorela", "W salvataggio EEPROM, password senza CR", 'W'},
        // A password that runs on without CR ends at its 17th byte: the rest are commands again.
        {"W0123456789ABCDEFGH", "W salvataggio EEPROM, password errata; H lettura parametri", 'H'},
        {std::string("!\x05\x00\x80\x00\x01", 6), "! prova uscite: 1 3 24 33", '!'},
        {std::string("!\x00\x00\x00\x00\x00", 6), "! prova uscite: nessuna", '!'},
        {"!\x01", "! prova uscite, incompleta", '!'},
        {"z@YK&", "z ripeti inizializzazione; @ forza errore nella EEPROM; Y lettura fase uscite; "
                  "K lettura ingressi; & lettura passo memoria", '&'},
        {"RS/yC", "R avvio simulazione, indirizzo dati (&H2000); S passo simulazione; "
                  "/ indirizzo cartelle (&H0001); y indirizzo lista file (&H1000); C rilettura chiave USB", 'C'},
        {"MN21E$", "M tasto Menu +; N tasto Menu -; 2 tasto freccia su; 1 tasto freccia gi\xF9; E tasto ENT; "
                   "$ tasto luce", '$'},
        {"\rx", "0D non \xE8 un comando; 78 non \xE8 un comando", 'x'},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describeSent(c.sent), c.text) << c.sent;
        EXPECT_EQ(lastCommand(c.sent), c.last) << c.sent;
    }
    // The filter offers each of the controller's 21 commands once.
    std::string codes(commandCodes());
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, "!$&/12@CEHJKLMNRSWYyz");
}

// An answer is read against its request. One that comes in several frames is decoded where it is
// complete (`offset` bytes of it came `earlier`); what comes after it is named as surplus, and a
// frame whose start is no longer known is not guessed at.
TEST(TraceDecoder, ReadsAnAnswerAgainstItsRequestWhereItIsComplete)
{
    const std::string texts = "SELEZIONA CARTELLA  PARTE     NUOVA LETTDISCO     TIPO----- TAGLIA--  PARTE 2   "
                              "CARRO     SCOLLO    RANGHI    CONTAPEZZI";
    std::string phases(32, '\0');
    phases[0] = 1;
    phases[31] = 2;
    const std::string r = record();
    const struct { char request; std::string answer, text; std::size_t offset = 0; std::string earlier; } cases[] = {
        {'H', r, "record di 56 byte, CRC 65-79 corretto"},
        {'H', record('\x41', '\x50'), "record di 56 byte, CRC 65-80 errato (calcolato 65-79)"},
        {'H', r + "xyz", "record di 56 byte, CRC 65-79 corretto, e 3 byte in pi\xF9"},
        {'H', r.substr(0, 55), "risposta a H: 55 di 56 byte"},
        {'J', texts, listed(texts)},
        {'J', texts.substr(0, 88), "risposta a J: 88 di 120 byte"},
        {'J', "\x01\n" + texts.substr(2), listed("\xB7\xB7" + texts.substr(2))},  // control bytes shown as dots
        {'Y', phases, "fasi uscite: 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 2"},
        {'K', "\x05", "stato ingressi 05: Mor.12(conteggio), Mor.14(reset macchina) ON"},
        {'K', "\x80", "stato ingressi 80: tutti OFF"},  // bit 7 is no input
        {'K', "\x7F\x01", "stato ingressi 7F: Mor.12(conteggio), Mor.13(cancella conteggio), Mor.14(reset macchina), "
                          "scheda(selettore lavoro), Mor.11(segnale power +24), Mor.13(selettore parametri), "
                          "Mor.15(ingresso libero) ON, e 1 byte in pi\xF9"},
        {'&', "D8192", "memoria AH= 2000 DH = 44 : D"},
        {'&', std::string("\x00" "1", 2), "memoria AH= 0001 DH = FF : \xFF"},
        {'&', "\n4096", "memoria AH= 1000 DH = 0A : \xB7"},
        {'R', std::string("\x01\x00\x00\x80", 4), "riga simulazione, uscite: 1 32"},
        {'S', std::string("\x00\x20\x00\x00\x00\x00", 6), "riga simulazione, uscite: 14"},
        {'S', std::string("\x00\x00\x00\x00", 4), "riga simulazione, uscite: nessuna"},
        {'S', std::string(13, '\0'), "riga di 13 byte, scartata (oltre 12)"},
        {'S', "ab", "riga simulazione incompleta: 2 byte"},
        {'!', std::string("\x03\x00\x00\x05\x09", 5), "uscite rilette: 3 0 0 5"},
        {'M', " 1 SELEZIONA\r\n", "testo per il terminale"},
        {0, "VDIP1 pronto", "testo per il terminale"},
        {'H', r.substr(20, 20), "risposta a H: 40 di 56 byte", 20, r.substr(0, 20)},
        {'H', r.substr(40), "record di 56 byte, CRC 65-79 corretto", 40, r.substr(0, 40)},
        {'H', r.substr(40) + "!", "record di 56 byte, CRC 65-79 corretto, e 1 byte in pi\xF9", 40, r.substr(0, 40)},
        {'H', "zz", "oltre la risposta a H: 2 byte", 56, r},
        {'H', r.substr(40), "seguito della risposta a H: 16 byte", 40, ""},  // its start was dropped
        {'&', "8192", "seguito della risposta a &: 4 byte", 1, "D"},
        {'S', std::string(4, '\0'), "seguito della risposta a S: 4 byte", 4, std::string(4, '\0')},
        {'C', " chiave letta", "testo per il terminale", 10, "USB pronto"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(describeAnswer(c.request, c.offset, c.earlier, c.answer), c.text) << c.request << c.offset;
    // Latin-1 as shown: accents kept, control bytes as dots.
    EXPECT_EQ(printableLatin1(std::string("a\x00\x1F\x7F\x80\x9F\xA0\xE8\xFF", 9)), "a\xB7\xB7\xB7\xB7\xB7\xA0\xE8\xFF");
}

TEST(TraceFrames, DirectionChangesAndPausesLongerThanFortyMillisecondsEndAFrame)
{
    const struct { const char* name; Frames entries, frames; } cases[] = {
        {"one write, its answer in pieces",
         {{0, TX, "H"}, {2'000, RX, "ab"}, {20'000, RX, "cd"}, {60'000, RX, "ef"}},
         {{0, TX, "H"}, {2'000, RX, "abcdef"}}},
        {"a pause of exactly 40 ms continues, a longer one does not",
         {{0, RX, "a"}, {40'000, RX, "b"}, {80'001, RX, "c"}},
         {{0, RX, "ab"}, {80'001, RX, "c"}}},
        {"the writes of one handler are one frame",
         {{10, TX, "W"}, {11, TX, "Vorela\r"}, {200'000, TX, "!"}, {200'001, TX, "\x01"}},
         {{10, TX, "WVorela\r"}, {200'000, TX, "!\x01"}}},
        {"ping-pong",
         {{0, TX, "K"}, {1, RX, "\x1C"}, {2, TX, "K"}, {3, RX, "\x1B"}},
         {{0, TX, "K"}, {1, RX, "\x1C"}, {2, TX, "K"}, {3, RX, "\x1B"}}},
    };
    for (const auto& c : cases) {
        LineTrace trace;
        recordAll(trace, c.entries);
        TraceFrames frames(trace);
        frames.update();
        EXPECT_EQ(framesOf(frames), c.frames) << c.name;
    }
}

// Entry by entry, as a live session records them: the window learns which rows to add, which to
// redraw and which to drop, and when a new connection (a restart of the trace) empties it.
TEST(TraceFrames, UpdatesReportWhatChanged)
{
    LineTrace trace(10);
    TraceFrames frames(trace);
    // reset: the trace restarts before the entries.
    const struct { Frames entries; bool reset; std::size_t dropped; bool lastGrew; std::size_t added; Frames frames; } steps[] = {
        {{{0, TX, "H"}}, false, 0, false, 1, {{0, TX, "H"}}},
        {{{1'000, RX, "12"}}, false, 0, false, 1, {{0, TX, "H"}, {1'000, RX, "12"}}},
        {{{2'000, RX, "34"}, {100'000, TX, "J"}}, false, 0, true, 1,
         {{0, TX, "H"}, {1'000, RX, "1234"}, {100'000, TX, "J"}}},
        {{}, false, 0, false, 0, {{0, TX, "H"}, {1'000, RX, "1234"}, {100'000, TX, "J"}}},
        // Six more bytes: the ring of ten drops "H" and the first piece of the answer.
        {{{101'000, RX, "abcdef"}}, false, 1, false, 1, {{2'000, RX, "34"}, {100'000, TX, "J"}, {101'000, RX, "abcdef"}}},
        // Ten at once: all that was held goes, also the frame still growing.
        {{{102'000, RX, "0123456789"}}, false, 3, false, 1, {{102'000, RX, "0123456789"}}},
        {{{5, TX, "K"}}, true, 0, false, 1, {{5, TX, "K"}}},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const auto& s = steps[i];
        if (s.reset)
            trace.restart();
        recordAll(trace, s.entries);
        const TraceFrames::Change change = frames.update();
        EXPECT_EQ(change.reset, s.reset) << i;
        EXPECT_EQ(change.dropped, s.dropped) << i;
        EXPECT_EQ(change.lastGrew, s.lastGrew) << i;
        EXPECT_EQ(change.added, s.added) << i;
        EXPECT_EQ(framesOf(frames), s.frames) << i;
        for (std::size_t f = 0; f < frames.size(); ++f)
            EXPECT_EQ(frames.byteCount(f), s.frames[f].bytes.size()) << i << " " << f;
    }
}

// Each answer is read against the last command sent before it, across frames, and a frame is
// filed under the command it belongs to.
TEST(TraceFrames, AnswersAreDecodedAgainstTheirRequest)
{
    const std::string r = record();
    LineTrace trace;
    recordAll(trace, {{0, TX, "H"}, {10'000, RX, r.substr(0, 30)},
                      {100'000, RX, r.substr(30)},  // after a pause: a frame of its own
                      {200'000, TX, "J"}, {210'000, RX, std::string(120, 'V')}, {400'000, TX, "K"},
                      {401'000, RX, "\x1C"}, {500'000, RX, "MENU"}});
    TraceFrames frames(trace);
    frames.update();
    const struct { std::string text; char command; } want[] = {
        {"H lettura parametri", 'H'},
        {"risposta a H: 30 di 56 byte", 'H'},
        {"record di 56 byte, CRC 65-79 corretto", 'H'},
        {"J lettura voci del menu", 'J'},
        {listed(std::string(120, 'V')), 'J'},
        {"K lettura ingressi", 'K'},
        {"stato ingressi 1C: Mor.14(reset macchina), scheda(selettore lavoro), Mor.11(segnale power +24) ON", 'K'},
        {"oltre la risposta a K: 4 byte", 'K'},
    };
    ASSERT_EQ(frames.size(), std::size(want));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames.describe(i), want[i].text) << i;
        EXPECT_EQ(frames.command(i), want[i].command) << i;
    }
}

QString cell(const TraceTable& table, int row, int column)
{
    return table.data(table.index(row, column)).toString();
}

// A long frame shows its first bytes and says there is more.
TEST(TraceTable, ARowShowsTimeDirectionSizeHexLatin1AndMeaning)
{
    LineTrace trace;
    recordAll(trace, {{1'500'000, TX, "K"}, {1'502'001, RX, "\x1C\xE8z"}, {2'000'000, RX, std::string(TraceTable::kShownBytes + 1, 'A')}});
    TraceTable table(trace);
    ASSERT_EQ(table.rowCount(), 3);
    const struct { int row; int column; QString text; } cells[] = {
        {0, TraceTable::Time, QStringLiteral("1.500000")},
        {1, TraceTable::Time, QStringLiteral("1.502001")},
        {0, TraceTable::Direction, QStringLiteral("TX")},
        {1, TraceTable::Direction, QStringLiteral("RX")},
        {1, TraceTable::Size, QStringLiteral("3")},
        {1, TraceTable::Hex, QStringLiteral("1C E8 7A")},
        {1, TraceTable::Latin1, QStringLiteral("\u00B7\u00E8z")},
        {0, TraceTable::Decoded, QStringLiteral("K lettura ingressi")},
        {1, TraceTable::Decoded, QStringLiteral("stato ingressi 1C: Mor.14(reset macchina), scheda(selettore lavoro), "
                                                "Mor.11(segnale power +24) ON, e 2 byte in pi\u00F9")},
        {2, TraceTable::Size, QString::number(TraceTable::kShownBytes + 1)},
        {2, TraceTable::Hex, QStringLiteral("41 ").repeated(TraceTable::kShownBytes) + QStringLiteral("\u2026")},
        {2, TraceTable::Latin1, QString(TraceTable::kShownBytes, QLatin1Char('A')) + QStringLiteral("\u2026")},
    };
    for (const auto& c : cells)
        EXPECT_EQ(cell(table, c.row, c.column), c.text) << c.row << " " << c.column;
    EXPECT_EQ(table.headerData(TraceTable::Decoded, Qt::Horizontal).toString(), QStringLiteral("Decodifica"));
}

// A live session through a small ring, with and without a filter, checked at every step:
// the rows are always exactly the frames held that pass the filter, in order; a new connection
// empties the table. (The filters' rows as the engineer reads them: the trace window's test.)
TEST(TraceTable, ALiveFloodKeepsTheRowsAndTheFramesInStep)
{
    const struct { bool sent, received; char command; } filters[] = {
        {true, true, 0}, {true, false, 0}, {true, true, 'K'},
    };
    for (const auto& filter : filters) {
        LineTrace trace(64);
        TraceTable table(trace);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::Fatal);
        table.setFilter(filter.sent, filter.received, filter.command);
        std::mt19937 random(3);
        std::int64_t us = 0;
        for (int step = 0; step < 400; ++step) {
            const int entries = static_cast<int>(random() % 4);
            for (int e = 0; e < entries; ++e) {
                const bool sent = random() % 2;
                us += random() % 3 ? 1'000 : 50'000;
                trace.recordAt(sent ? TX : RX, us, sent ? std::string(1, "KHJS"[random() % 4]) : std::string(1 + random() % 20, 'r'));
            }
            table.refresh();
            const TraceFrames& frames = table.frames();
            int expected = 0;
            for (std::size_t f = 0; f < frames.size(); ++f) {
                const bool shown = (frames.direction(f) == TX ? filter.sent : filter.received)
                    && (filter.command == 0 || frames.command(f) == filter.command);
                if (!shown)
                    continue;
                ASSERT_LT(expected, table.rowCount());
                EXPECT_EQ(table.frameOf(expected), f);
                ++expected;
            }
            EXPECT_EQ(table.rowCount(), expected);
        }
        trace.restart();
        EXPECT_FALSE(table.refresh());
        EXPECT_EQ(table.rowCount(), 0);
        trace.record(TX, "K");
        EXPECT_TRUE(table.refresh());
        EXPECT_EQ(cell(table, 0, TraceTable::Decoded), QStringLiteral("K lettura ingressi"));
    }
}

TEST(TraceFile, OneFrameALineWithTimeDirectionHexAndMeaning)
{
    LineTrace trace;
    recordAll(trace, {{61'250, TX, "H"}, {124'875, RX, std::string(56, '\0')}, {3'600'000'001, TX, "WVorela\r"}});
    TraceFrames frames(trace);
    frames.update();
    const std::string zeros = " " + QByteArray(56, '\0').toHex(' ').toStdString();
    const std::string expected =
        "# tq310-test: registro della linea\r\n"
        "# tempo in secondi dall'apertura della porta; TX dal PC al TQ310, RX dal TQ310 al PC\r\n"
        "#      tempo  dir byte (esadecimale) | decodifica\r\n"
        "           0.061250  TX 48 | H lettura parametri\r\n"
        "           0.124875  RX" + zeros + " | record di 56 byte, CRC 0-0 errato (calcolato 102-71)\r\n"
        "        3600.000001  TX 57 56 6F 72 65 6C 61 0D | W salvataggio EEPROM\r\n";
    EXPECT_EQ(traceText(frames), expected);
}

TEST(TraceFile, WhatIsSavedReadsBackByteForByteWithItsOrigin)
{
    LineTrace trace;
    const TraceOrigin origin{"07/12/2026 15:30:12", "Com.3 /dev/ttyUSB0", "tq310-test 12.13"};
    trace.restart(origin);
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    const Frames session = {{0, TX, "H"}, {999'999, RX, every}, {1'000'000, TX, "\r\n|#"}, {86'400'000'000, RX, "\xE8"}};
    recordAll(trace, session);
    TraceFrames frames(trace);
    frames.update();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registro.txt"));
    ASSERT_EQ(saveTrace(path, frames), SaveStatus::Saved);
    EXPECT_TRUE(test::fileBytes(path).toStdString().starts_with("# tq310-test: registro della linea\r\n"
                                          "# connessione: 07/12/2026 15:30:12, porta Com.3 /dev/ttyUSB0\r\n"
                                          "# registrato da: tq310-test 12.13\r\n"));
    QString error;
    const auto back = readTraceFile(path, &error);
    ASSERT_TRUE(back) << error.toStdString();
    EXPECT_EQ(*back, session);
    EXPECT_FALSE(readTraceFile(dir.filePath(QStringLiteral("assente.txt")), &error));  // as tq310-sim --replay reads it
    EXPECT_FALSE(error.isEmpty());

    // Into a trace of its own, the file gives the same origin, frames and lines again.
    LineTrace reopened;
    EXPECT_EQ(loadTraceFile(reopened, path, &error), std::size_t(0));
    EXPECT_EQ(reopened.origin(), origin);
    TraceFrames again(reopened);
    again.update();
    EXPECT_EQ(traceText(again), test::fileBytes(path).toStdString());
}

// Lines that are no frame are refused with their number; line ends, blanks and the decoded text
// are the writer's business.
TEST(TraceFile, ReadsEveryFrameOrRefusesTheFirstLineThatIsNone)
{
    const struct { std::string text; QString error; Frames frames; } cases[] = {
        {"# a trace written by hand\n\t 0.000010\tTX  48  4a\r\n0.000020 RX 41 | anything at all, 00 11\r\n0.000020 RX 42",
         {}, {{10, TX, "HJ"}, {20, RX, "A"}, {20, RX, "B"}}},
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
        EXPECT_EQ(parseTraceText(c.text, &error), c.error.isEmpty() ? std::optional(c.frames) : std::nullopt) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

// The tool on the in-process simulated controller, the trace and the line on one clock, which
// comes first, as the line reads it.
struct Clock {
    std::int64_t now = 1'000'000'000;
    LineTrace trace{LineTrace::kCapacityBytes, [this] { return now; }};
};
struct Session : Clock, test::EngineOnLine {
    Session()
        : EngineOnLine(std::make_unique<TracingPort>(std::make_unique<sim::SimulatedPort>(nullptr, [this] { return now; }), trace))
    {
        EXPECT_TRUE(port->open(nullptr));
    }
    void tickAfter(int ms)
    {
        now += std::int64_t(ms) * 1'000'000;
        engine.tick();
    }
    void readBack(bool toBuffer)
    {
        sendReadBack(ctx(), toBuffer);
        tickAfter(interval::ParamRead);
        tickAfter(interval::ParamRead);
    }
    std::vector<std::string> decoded()
    {
        TraceFrames frames(trace);
        frames.update();
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < frames.size(); ++i)
            lines.push_back((frames.direction(i) == TX ? "TX " : "RX ") + frames.describe(i));
        return lines;
    }
};

// What the engineer reads in the trace of a write, its read-back and the commit, on the simulated
// controller: the new CRC, worked out by the controller's side (every other command and answer is
// in the decoder's tables above).
TEST(TraceSessions, AWriteItsReadBackAndTheCommitAsTheTraceDecodesThem)
{
    sim::ParamImage written = sim::factorySetup();
    written.record[0] = 1;
    written.texts.replace(0, 10, "SCEGLI    ");
    written.sealCrc();
    const std::string crc = std::to_string(written.record[kCrcHigh]) + "-" + std::to_string(written.record[kCrcLow]);
    Session s;
    s.readBack(true);  // the controller's copy becomes the working copy
    s.m.FileParams[0] = 1;
    s.m.FileMenuTexts[0] = "SCEGLI    ";
    writeWorkingCopy(s.ctx(), {});
    s.tickAfter(interval::Start);
    s.readBack(false);
    EXPECT_EQ(commitToEeprom(s.ctx()), CommitCheck::Agree);
    s.tickAfter(interval::Start);
    EXPECT_EQ(s.decoded(), (std::vector<std::string>{
        "TX H lettura parametri", "RX record di 56 byte, CRC 251-88 corretto", "TX J lettura voci del menu",
        "RX " + listed(sim::factorySetup().texts), "TX L scrittura 177 byte, CRC " + crc + " corretto",
        "TX H lettura parametri", "RX record di 56 byte, CRC " + crc + " corretto", "TX J lettura voci del menu",
        "RX " + listed(written.texts), "TX W salvataggio EEPROM"}));
}

}  // namespace
}  // namespace tq
