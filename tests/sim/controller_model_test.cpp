#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "params/crc.h"
#include "params/param_record.h"
#include "sim/controller_model.h"

namespace tq::sim {
namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

std::uint8_t at(const std::string& s, std::size_t i) { return static_cast<std::uint8_t>(s.at(i)); }

// A record with parameter n (1..54) set to value, sealed with its CRC.
ParamImage setupWith(const std::vector<std::pair<int, int>>& params)
{
    ParamImage image;
    for (auto [number, value] : params)
        image.record[number - 1] = static_cast<std::uint8_t>(value);
    image.sealCrc();
    image.texts = std::string("ABCDEFGHIJ") + std::string(110, '-');
    return image;
}

std::string loadFrame(const ParamImage& image) { return "L" + image.bytes(); }

TEST(ControllerAnswers, RecordCarriesTheCrcOfItsParameters)
{
    ControllerModel c;
    const std::string record = c.receive("H", 0);
    ASSERT_EQ(record.size(), 56u);
    const std::uint16_t crc = crc16(reinterpret_cast<const std::uint8_t*>(record.data()), 54);
    EXPECT_EQ(at(record, 54), crc >> 8);
    EXPECT_EQ(at(record, 55), crc & 0xFF);
    // Two boards with output protection: the tool offers outputs 1..16.
    EXPECT_EQ(channelCountFor(at(record, 3)), 16);
    EXPECT_TRUE(at(record, 3) & kOutputProtection);
}

TEST(ControllerAnswers, MenuTextsAreTwelveItalianTextsOfTenCharacters)
{
    ControllerModel c;
    const std::string texts = c.receive("J", 0);
    ASSERT_EQ(texts.size(), 120u);
    EXPECT_EQ(texts.substr(0, 10), "SELEZIONA ");
    EXPECT_EQ(texts.substr(10, 10), "CARTELLA  ");
    EXPECT_EQ(texts.find('\0'), std::string::npos);
}

struct LoadCase {
    const char* name;
    bool corruptCrc;
    std::vector<std::size_t> splits;  // the frame arrives in pieces ending at these offsets
};

class LoadRoundTrip : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadRoundTrip, ReadBackShowsWhatWasWritten)
{
    const LoadCase& tc = GetParam();
    ParamImage sent = setupWith({{1, 1}, {4, 3}, {7, 5 + 64}, {54, 24 + 128}});
    if (tc.corruptCrc)
        sent.record[kCrcLow] ^= 0x5A;
    const std::string frame = loadFrame(sent);

    ControllerModel c;
    std::size_t from = 0;
    std::int64_t ms = 0;
    for (std::size_t to : tc.splits) {
        EXPECT_EQ(c.receive(std::string_view(frame).substr(from, to - from), ms++), "");
        from = to;
    }
    EXPECT_EQ(c.receive(std::string_view(frame).substr(from), ms), "");

    const std::string record = c.receive("H", ms);
    EXPECT_EQ(record, sent.bytes().substr(0, 56));
    EXPECT_EQ(c.receive("J", ms), sent.texts);
    EXPECT_EQ(c.working().crcMatches(), !tc.corruptCrc);
    // The display announces a configuration it cannot trust.
    EXPECT_EQ(c.receive("M", ms).find("ERRORE CRC PARAMETRI") != std::string::npos, tc.corruptCrc);
}

INSTANTIATE_TEST_SUITE_P(Frames, LoadRoundTrip,
                         ::testing::Values(LoadCase{"whole", false, {}},
                                           LoadCase{"bytewise_pieces", false, {1, 2, 57, 100, 176}},
                                           LoadCase{"bad_crc", true, {}},
                                           LoadCase{"bad_crc_in_pieces", true, {1, 57}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ControllerFrames, AnInterruptedWriteIsDroppedAndTheNextByteIsACommand)
{
    ControllerModel c;
    const ParamImage before = c.working();
    const std::string frame = loadFrame(setupWith({{1, 1}}));
    c.receive(frame.substr(0, 100), 0);
    // More than half a second later the controller has given up the frame.
    EXPECT_EQ(c.receive("H", 0 + kFrameTimeoutMs + 1).size(), 56u);
    EXPECT_EQ(c.working(), before);
}

struct CommitCase {
    const char* name;
    std::vector<std::string> writes;
    bool committed;
};

class EepromCommit : public ::testing::TestWithParam<CommitCase> {};

TEST_P(EepromCommit, OnlyThePasswordCommitsAndZReloads)
{
    const CommitCase& tc = GetParam();
    ControllerModel c;
    const ParamImage factory = c.eeprom();
    int eepromWrites = 0;
    c.onEepromWritten = [&] { ++eepromWrites; };

    const ParamImage written = setupWith({{2, 1}, {4, 1}, {9, 2}});
    c.receive(loadFrame(written), 0);
    for (const std::string& w : tc.writes)
        c.receive(w, 1);

    EXPECT_EQ(c.eeprom(), tc.committed ? written : factory);
    EXPECT_EQ(eepromWrites, tc.committed ? 1 : 0);

    // Another write into working memory only, then "z": back to what the EEPROM holds.
    c.receive(loadFrame(setupWith({{3, 2}})), 2);
    c.receive("z", 3);
    EXPECT_EQ(c.receive("H", 3), (tc.committed ? written : factory).bytes().substr(0, 56));
    EXPECT_EQ(c.receive("J", 3), (tc.committed ? written : factory).texts);
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, EepromCommit,
    ::testing::Values(CommitCase{"as_the_tool_sends_it", {"W", "Vorela\r"}, true},
                      CommitCase{"in_one_piece", {"WVorela\r"}, true},
                      CommitCase{"lower_case", {"W", "vorela\r"}, false},
                      CommitCase{"cut", {"W", "Vorel\r"}, false},
                      CommitCase{"longer", {"W", "Vorelaa\r"}, false},
                      CommitCase{"without_w", {"Vorela\r"}, false},
                      CommitCase{"endless", {"W", "VorelaVorelaVorelaVorela\r"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EepromError, ForcedErrorShowsAfterReinitialisation)
{
    ControllerModel c;
    const std::string good = c.receive("H", 0);
    int eepromWrites = 0;
    c.onEepromWritten = [&] { ++eepromWrites; };

    c.receive("@", 1);
    EXPECT_EQ(eepromWrites, 1);
    EXPECT_EQ(c.receive("H", 2), good) << "the working memory is not touched before \"z\"";

    c.receive("z", 3);
    const std::string damaged = c.receive("H", 4);
    ASSERT_EQ(damaged.size(), 56u);
    const std::uint16_t crc = crc16(reinterpret_cast<const std::uint8_t*>(damaged.data()), 54);
    EXPECT_NE((at(damaged, 54) << 8) | at(damaged, 55), crc);
    EXPECT_NE(damaged.substr(0, 54), good.substr(0, 54));
    // The stored CRC is the old one: only the parameters changed.
    EXPECT_EQ(damaged.substr(54), good.substr(54));
}

// Address as the controller writes it after the data byte.
int stepAddress(const std::string& answer) { return std::stoi(answer.substr(1)); }

struct PointerCase {
    char command;
    int address;
    std::string firstBytes;  // what stepping reads from there
};

class MemoryPointer : public ::testing::TestWithParam<PointerCase> {};

TEST_P(MemoryPointer, CommandSetsThePointerAndStepsAdvance)
{
    const PointerCase& tc = GetParam();
    ControllerModel c;
    c.receive(std::string(1, tc.command), 0);
    std::string data;
    for (std::size_t i = 0; i < tc.firstBytes.size(); ++i) {
        const std::string answer = c.receive("&", 1);
        ASSERT_GE(answer.size(), 2u);
        EXPECT_EQ(stepAddress(answer), tc.address + static_cast<int>(i));
        EXPECT_EQ(answer.substr(1), std::to_string(tc.address + static_cast<int>(i)));
        data += answer[0];
    }
    EXPECT_EQ(data, tc.firstBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, MemoryPointer,
    ::testing::Values(PointerCase{'R', 0x2000, "DAVANTI 01"},
                      PointerCase{'/', 0x0001, bytes({3}) + "GIACCHE   "},
                      PointerCase{'y', 0x1000, bytes({5}) + "GIACCA 01 "}));

TEST(MemoryPointer, WrapsFromTheLastAddressToZero)
{
    ControllerModel c;
    c.receive("R", 0);
    std::string answer;
    for (int address = 0x2000; address < 0x8000; ++address)
        answer = c.receive("&", 1);
    EXPECT_EQ(stepAddress(answer), 32767);
    EXPECT_EQ(stepAddress(c.receive("&", 1)), 0);
    EXPECT_EQ(stepAddress(c.receive("&", 1)), 1);
}

TEST(MemoryPointer, SimulationStepsLeaveThePointerAlone)
{
    ControllerModel c;
    c.receive("y", 0);
    c.receive("&&", 0);
    c.receive("SSS", 0);
    EXPECT_EQ(stepAddress(c.receive("&", 0)), 0x1002);
}

// Output n as the answer bytes of a simulation row: bit n-1 of the 32-bit pattern, low byte first.
std::string row(std::initializer_list<int> outputs)
{
    std::uint32_t pattern = 0;
    for (int o : outputs)
        pattern |= 1u << (o - 1);
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((pattern >> (8 * i)) & 0xFF);
    return s;
}

TEST(ProductionSimulation, CoursesFollowTheKnitAndTheOutputAssignment)
{
    ControllerModel c;
    // The loaded knit starts with the left comb, the right comb (both on output 14), two courses
    // of stripe 1 (output 11), two of stripe 2 (output 12), the centre mark (output 10) and a
    // plain course.
    const std::vector<std::string> expected = {row({14}), row({14}), row({11}), row({11}),
                                               row({12}), row({12}), row({10}), row({})};
    EXPECT_EQ(c.receive("R", 0), expected[0]);
    for (std::size_t i = 1; i < expected.size(); ++i)
        EXPECT_EQ(c.receive("S", 0), expected[i]) << "course " << i;

    EXPECT_EQ(c.receive("R", 0), expected[0]) << "R restarts the knit";
    EXPECT_EQ(c.receive("S", 0), expected[1]);

    // Stripe 1 moved to output 3: the third course fires output 3.
    ParamImage moved = c.working();
    moved.record[19 - 1] = 3;
    moved.sealCrc();
    c.receive(loadFrame(moved), 1);
    c.receive("RS", 1);
    EXPECT_EQ(c.receive("S", 1), row({3}));
}

TEST(ProductionSimulation, TheKnitStartsAgainAfterItsLastCourse)
{
    ControllerModel c;
    const std::string first = c.receive("R", 0);
    int courses = 1;
    while (c.receive("S", 0) != first || c.simulationCourse() != 0)
        ASSERT_LT(++courses, 1000);
    EXPECT_EQ(courses, 17);
}

struct PhaseCase {
    const char* name;
    std::vector<std::pair<int, int>> params;
    std::vector<std::pair<int, int>> expected;  // output, phase; every other output 0
};

class OutputPhases : public ::testing::TestWithParam<PhaseCase> {};

TEST_P(OutputPhases, FollowTheTimingOfTheAssignedCommands)
{
    const PhaseCase& tc = GetParam();
    ControllerModel c;
    c.receive(loadFrame(setupWith(tc.params)), 0);
    const std::string phases = c.receive("Y", 0);
    ASSERT_EQ(phases.size(), 32u);
    std::string expected(32, '\0');
    for (auto [output, phase] : tc.expected)
        expected[output - 1] = static_cast<char>(phase);
    EXPECT_EQ(phases, expected);
}

// Timing bits: none = with the count (0), 64 = with the count reset (1), 128 = 500 ms pulse (2).
INSTANTIATE_TEST_SUITE_P(
    Timings, OutputPhases,
    ::testing::Values(
        PhaseCase{"count_reset_and_pulse", {{7, 1}, {8, 2 + 64}, {9, 3 + 128}}, {{2, 1}, {3, 2}}},
        PhaseCase{"pulse_wins_over_phase_bit", {{20, 5 + 128 + 64}}, {{5, 2}}},
        PhaseCase{"highest_outputs", {{30, 24 + 64}, {31, 32 + 128}}, {{24, 1}, {32, 2}}},
        // Scollo +2 (9) is not in the loaded knit, stripe 1 (19) is: the knit's command decides.
        PhaseCase{"command_of_the_knit_wins", {{9, 6 + 128}, {19, 6 + 64}}, {{6, 1}}},
        PhaseCase{"first_unused_command_when_none_is_knitted", {{48, 9 + 128}, {49, 9 + 64}}, {{9, 2}}},
        PhaseCase{"selectors_assign_nothing", {{1, 1}, {2, 1}, {3, 2}, {4, 2 + 64}}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct InputCase {
    std::int64_t ms;
    int expected;
};

class Inputs : public ::testing::TestWithParam<InputCase> {};

// Bits: 1 count, 2 count reset, 4 machine reset, 8 work selector, 16 +24 V.
TEST_P(Inputs, ChangeAsOnARunningMachine)
{
    ControllerModel c;
    c.receive("H", 0);  // the controller starts with the first byte it sees
    EXPECT_EQ(at(c.receive("K", GetParam().ms), 0), GetParam().expected) << GetParam().ms << " ms";
}

INSTANTIATE_TEST_SUITE_P(Times, Inputs,
                         ::testing::Values(InputCase{0, 4 | 8 | 16}, InputCase{1499, 4 | 8 | 16},
                                           InputCase{1500, 1 | 2 | 8 | 16}, InputCase{1749, 1 | 2 | 8 | 16},
                                           InputCase{1750, 8 | 16}, InputCase{2600, 1 | 8 | 16},
                                           InputCase{3000, 8 | 16}, InputCase{9600, 1 | 2 | 8 | 16}));

TEST(Inputs, ReinitialisationResetsTheMachine)
{
    ControllerModel c;
    c.receive("H", 0);
    EXPECT_FALSE(at(c.receive("K", 5000), 0) & 4);
    c.receive("z", 6000);
    EXPECT_TRUE(at(c.receive("K", 6100), 0) & 4);
}

struct OutputCase {
    const char* name;
    int boardsByte;
    int shorted;
    std::string frame;
    std::string expected;
};

class OutputTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputTest, AnswersTheDrivenOutputsAndTheFault)
{
    const OutputCase& tc = GetParam();
    ControllerModel c;
    c.setShortedOutput(tc.shorted);
    c.receive(loadFrame(setupWith({{4, tc.boardsByte}})), 0);
    // The tool sends "!" and then each byte in its own write.
    std::string answer = c.receive("!", 1);
    for (char b : tc.frame)
        answer += c.receive(std::string(1, b), 1);
    EXPECT_EQ(answer, tc.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, OutputTest,
    ::testing::Values(
        OutputCase{"protected_all_on", 2 + 16, 0, bytes({255, 255, 255, 0, 0}), bytes({255, 255, 0, 0})},
        OutputCase{"protected_short_switched_off", 2 + 16, 3, bytes({0x05, 0, 0, 0, 0}), bytes({0x01, 0, 0, 3})},
        OutputCase{"protected_short_not_asked", 2 + 16, 3, bytes({0x81, 0x01, 0, 0, 0}), bytes({0x81, 0x01, 0, 0})},
        OutputCase{"unprotected_short_stays_on", 3, 3, bytes({0x05, 0x80, 0x80, 0, 0}), bytes({0x05, 0x80, 0x80})},
        OutputCase{"one_board", 1, 0, bytes({0xFF, 0xFF, 0xFF, 0, 0}), bytes({0xFF, 0, 0})},
        OutputCase{"no_board", 0, 0, bytes({0xFF, 0, 0, 0, 0}), bytes({0, 0, 0})}),
    [](const auto& info) { return std::string(info.param.name); });

struct PanelCase {
    const char* keys;
    std::string lastAnswerStart;
};

class PanelKeys : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelKeys, AnswerWhatTheDisplayShows)
{
    ControllerModel c;
    std::string answer;
    for (const char* k = GetParam().keys; *k; ++k)
        answer = c.receive(std::string(1, *k), 0);
    EXPECT_EQ(answer.substr(0, GetParam().lastAnswerStart.size()), GetParam().lastAnswerStart);
    EXPECT_EQ(answer.substr(answer.size() - 2), "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PanelKeys,
    ::testing::Values(PanelCase{"M", "02 CARTELLA  \r\n   = 0\r\n"},
                      PanelCase{"MMN", "02 CARTELLA  \r\n"},
                      PanelCase{"N", "12 CONTAPEZZI\r\n"},
                      PanelCase{"M22", "02 CARTELLA  \r\n   = 2\r\n"},
                      PanelCase{"M221", "02 CARTELLA  \r\n   = 1\r\n"},
                      PanelCase{"1", "01 SELEZIONA \r\n   = 0\r\n"},
                      PanelCase{"2E", "01 SELEZIONA \r\n   = 1 OK\r\n"},
                      PanelCase{"$", "LUCE DISPLAY OFF\r\n"},
                      PanelCase{"$$", "LUCE DISPLAY ON\r\n"},
                      PanelCase{"C", "Lettura chiave usb...\r\n"}));

TEST(PanelKeys, MenuTextsOnTheDisplayAreTheWorkingOnes)
{
    ControllerModel c;
    ParamImage image = setupWith({});
    image.texts.replace(10, 10, "CARTELLINA");
    c.receive(loadFrame(image), 0);
    EXPECT_EQ(c.receive("M", 0).substr(0, 15), "02 CARTELLINA\r\n");
}

struct FaultCase {
    Fault fault;
    std::size_t recordSize;
    std::size_t rowSize;
    bool recordIntact;
};

class Faults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(Faults, ShapeTheAnswers)
{
    const FaultCase& tc = GetParam();
    ControllerModel healthy;
    const std::string good = healthy.receive("H", 0);

    ControllerModel c;
    c.setFault(tc.fault);
    const std::string record = c.receive("H", 0);
    EXPECT_EQ(record.size(), tc.recordSize);
    EXPECT_EQ(record == good.substr(0, record.size()), tc.recordIntact);
    EXPECT_EQ(c.receive("R", 0).size(), tc.rowSize);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Faults,
    ::testing::Values(FaultCase{Fault::None, 56, 4, true}, FaultCase{Fault::Silent, 0, 0, true},
                      FaultCase{Fault::CutShort, 28, 2, true}, FaultCase{Fault::Garbage, 56, 4, false},
                      FaultCase{Fault::LongRows, 56, 13, true}, FaultCase{Fault::LineDropped, 0, 0, true}),
    [](const auto& info) {
        std::string name(faultName(info.param.fault));
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST(Faults, ASilentControllerTakesNothingIn)
{
    ControllerModel c;
    const ParamImage before = c.working();
    c.setFault(Fault::Silent);
    c.receive(loadFrame(setupWith({{1, 1}})) + "WVorela\r", 0);
    c.setFault(Fault::None);
    EXPECT_EQ(c.working(), before);
    EXPECT_EQ(c.eeprom(), before);
}

TEST(Faults, NamesRoundTrip)
{
    for (Fault f : {Fault::None, Fault::Silent, Fault::CutShort, Fault::Garbage, Fault::LongRows,
                    Fault::LineDropped})
        EXPECT_EQ(faultFromName(faultName(f)), f);
    EXPECT_FALSE(faultFromName("loud"));
}

}  // namespace
}  // namespace tq::sim
