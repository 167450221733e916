// Sessions of the tool with the simulated controller, recorded through the tracing port and read
// back frame by frame: what an engineer sees in the trace window for each device function.
#include <gtest/gtest.h>

#include "link/commands.h"
#include "link/receive_engine.h"
#include "operations/transfers.h"
#include "sim/simulated_port.h"
#include "support/fake_host.h"
#include "trace/trace_frames.h"
#include "trace/tracing_port.h"

namespace tq {
namespace {

// The tool on the in-process simulated controller, the trace and the line on one clock.
struct Session {
    Session()
    {
        m.NoAnswerText = BuildNoAnswerText();
        host.module = &m;
        EXPECT_TRUE(port.open(nullptr));
        engine.setPort(&port);
    }
    LinkContext ctx() { return {m, port, host}; }
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
        std::int64_t last = 0;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_GE(frames.timeUs(i), last);
            last = frames.timeUs(i);
            lines.push_back((frames.direction(i) == LineDirection::Sent ? "TX " : "RX ") + frames.describe(i));
        }
        return lines;
    }

    std::int64_t now = 1'000'000'000;
    LineTrace trace{LineTrace::kCapacityBytes, [this] { return now; }};
    TracingPort port{std::make_unique<sim::SimulatedPort>(nullptr, [this] { return now; }), trace};
    Module1 m;
    test::FakeHost host;
    ReceiveEngine engine{m, host};
};

// The factory menu texts as the trace lists them.
std::string factoryTexts()
{
    const std::string texts = sim::factorySetup().texts;
    std::string listed = "RX 12 voci del menu:";
    for (std::size_t k = 0; k < 12; ++k)
        listed += " \"" + texts.substr(10 * k, 10) + "\"";
    return listed;
}

using Lines = std::vector<std::string>;

TEST(TraceSessions, AReadBack)
{
    Session s;
    s.readBack(false);
    EXPECT_EQ(s.decoded(), (Lines{"TX H lettura parametri", "RX record di 56 byte, CRC 251-88 corretto",
                                  "TX J lettura voci del menu", factoryTexts()}));
}

TEST(TraceSessions, AWriteItsReadBackAndTheCommit)
{
    Session s;
    s.readBack(true);  // the controller's copy becomes the working copy
    s.m.FileParams[0] = 1;
    s.m.FileMenuTexts[0] = "SCEGLI    ";
    writeWorkingCopy(s.ctx(), {});
    const std::string crc = std::to_string(s.m.FileParams[kCrcHigh]) + "-" + std::to_string(s.m.FileParams[kCrcLow]);
    s.tickAfter(interval::Start);
    s.readBack(false);
    ASSERT_EQ(commitToEeprom(s.ctx()), CommitCheck::Agree);
    s.tickAfter(interval::Start);

    std::string texts = factoryTexts();
    texts.replace(texts.find("SELEZIONA "), 10, "SCEGLI    ");
    const Lines lines = s.decoded();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(Lines(lines.begin() + 4, lines.end()),
              (Lines{"TX L scrittura 177 byte, CRC " + crc + " corretto", "TX H lettura parametri",
                     "RX record di 56 byte, CRC " + crc + " corretto", "TX J lettura voci del menu", texts,
                     "TX W salvataggio EEPROM"}));
}

TEST(TraceSessions, AForcedEepromErrorShowsInTheRecordsCrc)
{
    Session s;
    sendForceEepromError(s.ctx());
    s.tickAfter(interval::Start);
    sendRepeatInit(s.ctx());
    s.tickAfter(interval::Start);
    s.readBack(false);
    const Lines lines = s.decoded();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
              (Lines{"TX @ forza errore nella EEPROM", "TX z ripeti inizializzazione", "TX H lettura parametri",
                     // the last parameter's cell is erased: the stored CRC no longer covers it
                     "RX record di 56 byte, CRC 251-88 errato (calcolato 229-168)"}));
}

TEST(TraceSessions, TheInputMonitor)
{
    Session s;
    startInputPolling(s.ctx());
    s.tickAfter(interval::InputPoll);  // a reply tick first: nothing was asked yet
    s.tickAfter(interval::InputPoll);  // "K"
    s.tickAfter(interval::InputPoll);  // the controller has just started: its reset input is on
    s.now += 1'600'000'000;            // past the reset the count input pulses
    s.tickAfter(interval::InputPoll);
    s.tickAfter(interval::InputPoll);
    EXPECT_EQ(s.decoded(),
              (Lines{"TX K lettura ingressi",
                     "RX stato ingressi 1C: Mor.14(reset macchina), scheda(selettore lavoro), Mor.11(segnale power +24) ON",
                     "TX K lettura ingressi",
                     "RX stato ingressi 1B: Mor.12(conteggio), Mor.13(cancella conteggio), scheda(selettore lavoro), "
                     "Mor.11(segnale power +24) ON"}));
}

TEST(TraceSessions, AMemoryStep)
{
    Session s;
    sendMemoryAddress(s.ctx(), MemoryAddress::KnitData);
    s.tickAfter(interval::Start);  // "R" answers with a course, which the terminal shows
    startMemoryStep(s.ctx(), false);
    s.tickAfter(interval::MemoryStep);  // "&"
    s.tickAfter(interval::MemoryStep);  // the knit's name, "DAVANTI 01", letter by letter
    startMemoryStep(s.ctx(), false);
    s.tickAfter(interval::MemoryStep);
    s.tickAfter(interval::MemoryStep);
    EXPECT_EQ(s.decoded(), (Lines{"TX R avvio simulazione, indirizzo dati (&H2000)",
                                  "RX riga simulazione, uscite: 14", "TX & lettura passo memoria",
                                  "RX memoria AH= 2000 DH = 44 : D", "TX & lettura passo memoria",
                                  "RX memoria AH= 2001 DH = 41 : A"}));
}

TEST(TraceSessions, ASimulationStart)
{
    Session s;
    startSimulation(s.ctx());
    for (int tick = 0; tick < 3; ++tick)
        s.tickAfter(interval::Simulation);  // each course taken, the next asked for
    EXPECT_EQ(s.decoded(), (Lines{"TX R avvio simulazione, indirizzo dati (&H2000)", "RX riga simulazione, uscite: 14",
                                  "TX S passo simulazione", "RX riga simulazione, uscite: 14",
                                  // the third course of the knit marks a stripe: "Rigato 1", output 11
                                  "TX S passo simulazione", "RX riga simulazione, uscite: 11",
                                  "TX S passo simulazione"}));
}

}  // namespace
}  // namespace tq
