// The simulated controller without a line: command family by command family, the bytes the tool
// writes and the answers the tool relies on; the in-process port at 9600 baud on a clock the test
// moves; and the controller of a saved trace, where a replay that answers a command with another
// command's answer, loses the order of recording or stops answering what the trace never saw would
// show the engineer on the bench something other than what happened at the machine.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "sim/controller_model.h"
#include "sim/eeprom_file.h"
#include "sim/simulated_port.h"
#include "sim/trace_replay.h"

namespace tq::sim {
namespace {

std::string bytes(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

// A record holding only these (parameter number, value) pairs, sealed, with the factory texts.
ParamImage setupWith(const std::vector<std::pair<int, int>>& params)
{
    ParamImage image;
    image.texts = factorySetup().texts;
    for (auto [number, value] : params)
        image.record[number - 1] = static_cast<std::uint8_t>(value);
    image.sealCrc();
    return image;
}

// Output n as a simulation row carries it: bit n-1 of the 32-bit pattern, low byte first.
std::string row(std::initializer_list<int> outputs)
{
    std::string s(4, '\0');
    for (int o : outputs)
        s[(o - 1) / 8] = static_cast<char>(s[(o - 1) / 8] | 1 << (o - 1) % 8);
    return s;
}

// The answer to "Y" with these (output, phase) pairs and every other output 0.
std::string phases(std::initializer_list<std::pair<int, int>> set)
{
    std::string s(32, '\0');
    for (auto [output, phase] : set)
        s[output - 1] = static_cast<char>(phase);
    return s;
}

// A missing EEPROM file is a factory start; one of another size is refused with its name.
TEST(EepromFile, MissingMeansFactoryAndAnotherSizeIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("eeprom.bin");
    QString error;
    EXPECT_EQ(loadEepromFile(path, &error), factorySetup());
    for (int size : {0, 175, 177}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
        EXPECT_FALSE(loadEepromFile(path, &error).has_value()) << size;
        EXPECT_TRUE(error.contains(path) && error.contains("176")) << error.toStdString();
    }
}

TEST(Controller, AnswersEachCommandFamily)
{
    // A frame is taken as received, and a CRC that does not match shows on the display.
    ParamImage sent = setupWith({{1, 1}, {7, 5 + 64}, {54, 24 + 128}});
    sent.texts.replace(10, 10, "CARTELLINA");
    const std::string loaded = "L" + sent.bytes();
    sent.record[kCrcLow] ^= 0x5A;
    const std::string badCrc = "L" + sent.bytes();
    // Only "W" with the password commits; "z" brings back what the EEPROM holds over a later "L".
    const ParamImage committed = setupWith({{2, 1}, {9, 2}});
    const std::string factory = factorySetup().bytes();
    // "@" erases the last parameter's cell in the EEPROM: the stored CRC no longer covers it.
    std::string erased = factory.substr(0, 56);
    erased[kParamCount - 1] = '\xFF';
    auto commit = [&](std::string w) { return "L" + committed.bytes() + w + "L" + setupWith({{3, 2}}).bytes() + "z"; };
    // The loaded knit opens with both combs (output 14), two courses of stripe 1 (11), two of
    // stripe 2 (12), the centre mark (10) and a plain course.
    const std::string opening = row({14}) + row({14}) + row({11}) + row({11}) + row({12}) + row({12}) +
                                row({10}) + row({});
    const struct {
        std::vector<std::pair<int, int>> setup;  // loaded as the only parameters; empty: the factory's
        std::string before;                      // sent first, its answer not looked at
        std::string sent, answer;
        int shorted = 0;                         // the output shorted to ground
        std::int64_t ms = 0;                     // when `sent` comes
    } cases[] = {
        // "&": the byte at the pointer and its address, then the pointer steps on.
        {{}, "R", "&&&", "D8192A8193V8194"},
        {{}, "/", "&&", "\x03" "1G2"},
        {{}, "y", "&&", "\x05" "4096G4097"},
        {{}, "y&&SSS", "&&", "I4098A4099"},  // the simulation's steps leave the pointer alone
        {{}, "R" + std::string(0x7FFF - 0x2000, '&'), "&&", "\xFF" "32767" "\xFF" "0"},  // unused: 0xFF
        // The production simulation: one row per course, "R" from the start.
        {{}, "", "RSSSSSSS", opening},
        {{}, "RSSS", "RS", opening.substr(0, 8)},
        {{}, "R" + std::string(16, 'S'), "SSS", opening.substr(0, 12)},  // after the 17th course
        {{{19, 3}}, "", "RSSS", row({}) + row({}) + row({3}) + row({3})},  // stripe 1 on output 3
        // Output phases. Timing bits: none = with the count (0), 64 = with the count reset (1),
        // 128 = a 500 ms pulse (2).
        {{{7, 1}, {8, 2 + 64}, {9, 3 + 128}}, "", "Y", phases({{2, 1}, {3, 2}})},
        {{{20, 5 + 128 + 64}}, "", "Y", phases({{5, 2}})},
        {{{30, 24 + 64}, {31, 32 + 128}}, "", "Y", phases({{24, 1}, {32, 2}})},
        // Scollo +2 (9) is not in the loaded knit, stripe 1 (19) is: the knit's command decides;
        // when neither is knitted, the first.
        {{{9, 6 + 128}, {19, 6 + 64}}, "", "Y", phases({{6, 1}})},
        {{{48, 9 + 128}, {49, 9 + 64}}, "", "Y", phases({{9, 2}})},
        {{{1, 1}, {2, 1}, {3, 2}, {4, 2 + 64}}, "", "Y", phases({})},  // selectors assign nothing
        // The output test on two boards with protection (18), two without (3), one, none.
        {{{4, 18}}, "", "!" + bytes({255, 255, 255, 0, 0}), bytes({255, 255, 0, 0})},
        {{{4, 18}}, "", "!" + bytes({0x05, 0, 0, 0, 0}), bytes({0x01, 0, 0, 3}), 3},
        {{{4, 18}}, "", "!" + bytes({0x81, 0x01, 0, 0, 0}), bytes({0x81, 0x01, 0, 0}), 3},
        {{{4, 3}}, "", "!" + bytes({0x05, 0x80, 0x80, 0, 0}), bytes({0x05, 0x80, 0x80}), 3},
        {{{4, 1}}, "", "!" + bytes({0xFF, 0xFF, 0xFF, 0, 0}), bytes({0xFF, 0, 0})},
        {{{4, 0}}, "", "!" + bytes({0xFF, 0, 0, 0, 0}), bytes({0, 0, 0})},
        // "L", "W" and "z", then "H" and "J".
        {{}, loaded, "HJ", loaded.substr(1)},
        {{}, badCrc, "HJ", badCrc.substr(1)},
        {{}, commit("WVorela\r"), "HJ", committed.bytes()},  // a wrong password: the controller fuzz target
        // Working memory is untouched by "@" until "z" reloads it; a frame that stops for more
        // than 500 ms is dropped, and the next byte is a command.
        {{}, "@", "H", factory.substr(0, 56)},
        {{}, "@z", "H", erased},
        {{}, ("L" + setupWith({{1, 1}}).bytes()).substr(0, 100), "H", factory.substr(0, 56), 0, kFrameTimeoutMs + 1},
        // The panel keys: what the display shows.
        {{}, loaded, "M", "02 CARTELLINA\r\n   = 0\r\n"},
        {{}, badCrc, "M", "02 CARTELLINA\r\n   = 0\r\nERRORE CRC PARAMETRI\r\n"},
        {{}, "", "N", "12 CONTAPEZZI\r\n   = 0\r\n"},
        {{}, "M22", "1", "02 CARTELLA  \r\n   = 1\r\n"},
        {{}, "", "1", "01 SELEZIONA \r\n   = 0\r\n"},
        {{}, "2", "E", "01 SELEZIONA \r\n   = 1 OK\r\n"},
        {{}, "", "$", "LUCE DISPLAY OFF\r\n"},
        {{}, "$", "$", "LUCE DISPLAY ON\r\n"},
        {{}, "", "C", "Lettura chiave usb...\r\nNessuna chiave inserita\r\nD:\\>\r\n"},
    };
    for (const auto& tc : cases) {
        ControllerModel c;
        c.setShortedOutput(tc.shorted);
        if (!tc.setup.empty())
            c.receive("L" + setupWith(tc.setup).bytes(), 0);
        c.receive(tc.before, 0);
        EXPECT_EQ(c.receive(tc.sent, tc.ms), tc.answer) << "case " << &tc - cases;
    }
}

TEST(Controller, InputsChangeAsOnARunningMachine)
{
    // Bits: 1 count, 2 count reset, 4 machine reset, 8 work selector, 16 +24 V.
    const struct { std::int64_t ms; int input; } cases[] = {
        {0, 4 | 8 | 16}, {1499, 4 | 8 | 16}, {1500, 1 | 2 | 8 | 16}, {1750, 8 | 16}, {2600, 1 | 8 | 16},
        {9600, 1 | 2 | 8 | 16}};
    ControllerModel c;
    c.receive("H", 0);  // the controller starts with the first byte it sees
    for (const auto& tc : cases)
        EXPECT_EQ(c.receive("K", tc.ms), bytes({tc.input})) << tc.ms << " ms";
    c.receive("z", 10'000);  // a re-initialisation resets the machine
    EXPECT_EQ(c.receive("K", 10'100), bytes({4 | 8 | 16}));
}

// What each fault mode makes of the answers, and that a silent or unplugged controller takes
// nothing in: the controller fuzz target and its seed corpus.

// The in-process port, with a clock the test moves by hand.
struct SimulatedPortTest : ::testing::Test {
    std::int64_t m_now = 1'000'000'000;

    std::unique_ptr<SimulatedPort> openPort()
    {
        auto port = std::make_unique<SimulatedPort>(nullptr, [this] { return m_now; });
        port->open(nullptr);
        return port;
    }
};

// At 9600 baud 8N1 a byte takes 1.0417 ms each way: an answer is all there once the request
// has gone out and its last byte has come back, and no earlier.
TEST_F(SimulatedPortTest, AnswersArriveAtNineThousandSixHundredBaud)
{
    const std::string zero(1, '\0');
    const struct { std::vector<std::string> writes; int request, answer; } cases[] = {
        {{"H"}, 1, 56},
        {{"HJ"}, 1, 176},  // the texts queue behind the record
        {{"!", "\x01", zero, zero, zero, zero}, 6, 4},
    };
    for (const auto& tc : cases) {
        auto port = openPort();
        const std::int64_t start = m_now;
        for (const std::string& w : tc.writes)
            port->write(w);
        m_now = start + (tc.request + tc.answer) * kByteNs - 1;
        EXPECT_EQ(port->bytesWaiting(), tc.answer - 1);
        m_now += 1;
        EXPECT_EQ(port->takeAll().size(), std::size_t(tc.answer));
    }
}

TEST_F(SimulatedPortTest, TakeAllGivesWhatHasArrivedDiscardSparesWhatIsStillOnTheLineAndClosingLosesIt)
{
    auto port = openPort();
    port->write("J");
    m_now += 11 * kByteNs;
    EXPECT_EQ(port->takeAll(), std::string("SELEZIONA "));
    // The input poll writes "K" and empties the receive buffer at once: what is still on
    // the line, the rest of the texts and the input byte, is waiting at the next tick.
    port->write("K");
    port->discardAll();
    EXPECT_EQ(port->bytesWaiting(), 0);
    m_now += 200'000'000;
    EXPECT_EQ(port->bytesWaiting(), 110 + 1);

    // Closing loses the answer on its way. (A dropped line, lost once and refused until plugged
    // in again: the port opener's test.)
    port->write("H");
    port->close();
    port->write("J");
    EXPECT_TRUE(port->open(nullptr));
    m_now += 1'000'000'000;
    EXPECT_EQ(port->bytesWaiting(), 0);
}

using Dir = LineDirection;

// The controller of a saved trace. Each command gets its recorded answers in order, then they start
// over. A command with data is matched whole: the five output bytes may come one write at a time, as
// the engine sends them, and past the controller's 500 ms a command whose data stopped coming is
// dropped ("H" is a command again). What the trace never saw, the simulated controller answers; it
// keeps up with every byte, so that a write the trace did not hold still reaches its memory.
TEST(TraceReplay, AnswersAsRecordedInOrderAndLeavesTheRestToTheSimulatedController)
{
    const std::string on("!\x01\x00\x00\x00\x00", 6), zero(1, '\0');
    const std::string factoryRecord = ControllerModel().receive("H", 0);
    ParamImage written = factorySetup();
    written.record[0] = 1;
    written.sealCrc();
    struct Step { std::string write; std::int64_t ms; std::string answer; };
    const struct { std::vector<TraceFrame> trace; std::size_t commands, answers; std::vector<Step> steps; } cases[] = {
        {{{0, Dir::Received, "spoken before any command"}, {10, Dir::Sent, "K"}, {20, Dir::Received, "\x1C"},
          {30, Dir::Sent, "H"}, {40, Dir::Received, "first half "}, {50, Dir::Received, "second half"},
          {60, Dir::Sent, "K"}, {70, Dir::Received, "\x1B"},
          {80, Dir::Sent, "K"},  // the controller did not answer this one
          {90, Dir::Sent, "&"}, {95, Dir::Received, "D8192"}},
         3, 5,
         {{"K", 1000, "\x1C"}, {"K", 2000, "\x1B"}, {"K", 3000, ""}, {"K", 4000, "\x1C"},
          {"H", 5000, "first half second half"}, {"&", 6000, "D8192"}, {"&", 7000, "D8192"},
          {"H", 8000, "first half second half"}}},
        {{{0, Dir::Sent, on}, {1, Dir::Received, "echo on"}, {2, Dir::Sent, "!" + zero + zero + zero + zero + zero},
          {3, Dir::Received, "echo off"}, {4, Dir::Sent, "H"}, {5, Dir::Received, "recorded"}},
         3, 3,
         {{"!", 1, ""}, {zero, 2, ""}, {zero, 3, ""}, {zero, 4, ""}, {zero, 5, ""}, {zero, 6, "echo off"},
          {on, 7, "echo on"}, {"!\x01", 1000, ""}, {"H", 1501, "recorded"}, {"!\x01", 2000, ""},
          {"H", 2400, ""} /* still the outputs' data */}},
        {{{0, Dir::Sent, "J"}, {1, Dir::Received, "recorded texts"}},
         1, 1,
         {{"H", 1000, factoryRecord}, {"J", 2000, "recorded texts"}, {"L" + written.bytes(), 3000, ""},
          {"H", 4000, std::string(written.record.begin(), written.record.end())}}},
    };
    for (const auto& tc : cases) {
        ControllerModel model;
        TraceReplay replay(tc.trace, model);
        EXPECT_EQ(replay.commandCount(), tc.commands);
        EXPECT_EQ(replay.answerCount(), tc.answers);
        for (const Step& step : tc.steps)
            EXPECT_EQ(replay.receive(step.write, step.ms), step.answer) << &tc - cases << ": " << step.ms << " ms";
        model.setFault(Fault::Silent);  // a fault mode is the simulated controller's: no recording then
        EXPECT_EQ(replay.receive("J", 100'000), "");
    }
}

}  // namespace
}  // namespace tq::sim
