// The lines of the main list that differ from the controller, and the status line that counts
// them. The faults they guard against: marks before the controller sent anything (the device copy
// is unknown, not zero), a difference the commit refuses that the status line calls none, and a
// count that does not match the marked lines.
#include <gtest/gtest.h>

#include <functional>

#include "operations/transfers.h"
#include "params/crc.h"
#include "params/differences.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

// Both copies equal and read: what a "Trasferisci parametri da  TQ310 al buffer" leaves.
Module1 agreed()
{
    Module1 m;
    for (int i = 0; i < kParamCount; ++i)
        m.FileParams[i] = static_cast<std::uint8_t>(i * 5);
    Crcgen(m.FileParams);
    m.ChipParams = m.FileParams;
    for (int k = 0; k < kDeviceMenuTexts; ++k)
        m.FileMenuTexts[k] = m.ChipMenuTexts[k] = "TESTO " + std::to_string(k + 10) + "  ";
    m.ChipParamsRead = m.ChipMenuTextsRead = true;
    return m;
}

// One parameter changed in the working copy, with its CRC recomputed as every list refresh does.
void edit(Module1& m, int index, std::uint8_t value)
{
    m.FileParams[index] = value;
    Crcgen(m.FileParams);
}

struct Case {
    const char* name;
    std::function<void(Module1&)> change;
    std::vector<int> lines;
    std::string caption;
};

const Case kCases[] = {
    {"nothing read: zero is not the controller's value",
     [](Module1& m) {
         m.ChipParams = {};
         m.ChipParamsRead = m.ChipMenuTextsRead = false;
         m.FileParams[4] = 9;
         m.FileMenuTexts[0] = "X";
     },
     {}, "nessuna lettura dal TQ310"},
    {"copies agree", [](Module1&) {}, {}, "nessuna riga diversa dal TQ310"},
    {"one parameter edited", [](Module1& m) { edit(m, 30, 7); }, {30}, "1 riga diversa dal TQ310"},
    {"first and last parameter, last listed text",
     [](Module1& m) { edit(m, 0, 1); edit(m, 53, 200); m.FileMenuTexts[10] = "RANGHI    "; }, {0, 53, 65},
     "3 righe diverse dal TQ310"},
    {"a short text from a file", [](Module1& m) { m.FileMenuTexts[2] = "TESTO 12"; }, {57}, "1 riga diversa dal TQ310"},
    {"record read, texts not yet",
     [](Module1& m) { m.ChipMenuTextsRead = false; edit(m, 3, 17); m.FileMenuTexts[0] = "X"; }, {3},
     "1 riga diversa dal TQ310"},
    {"texts read alone (menu list)",
     [](Module1& m) { m.ChipParamsRead = false; edit(m, 3, 17); m.FileMenuTexts[0] = "X"; }, {55},
     "1 riga diversa dal TQ310"},
    {"text 11 is not a line", [](Module1& m) { m.FileMenuTexts[11] = "ALTRO"; }, {},
     "nessuna riga diversa dal TQ310 + 1 testo non in lista"},
    {"texts beyond the controller's twelve",
     [](Module1& m) { m.FileMenuTexts[12] = "da file"; m.FileMenuTexts[20] = "anche"; edit(m, 8, 1); }, {8},
     "1 riga diversa dal TQ310 + 2 testi non in lista"},
    {"the controller's CRC went wrong", [](Module1& m) { m.ChipParams[kCrcLow] ^= 1; }, {},
     "nessuna riga diversa dal TQ310 + CRC diverso"},
    {"a wrong CRC under a different parameter says the parameter",
     [](Module1& m) { m.ChipParams[kCrcLow] ^= 1; edit(m, 8, 1); }, {8}, "1 riga diversa dal TQ310"},
};

TEST(Differences, MarkedLinesAndTheirCount)
{
    for (const Case& c : kCases) {
        Module1 m = agreed();
        c.change(m);
        const Differences d = compareCopies(m);
        std::vector<int> lines;
        for (const LineDifference& l : d.lines)
            lines.push_back(l.line);
        EXPECT_EQ(lines, c.lines) << c.name;
        EXPECT_EQ(differencesCaption(m, d), c.caption) << c.name;
    }
}

TEST(Differences, TheTooltipSaysBothValuesBlanksIncluded)
{
    Module1 m = agreed();
    edit(m, 30, 7);
    m.ChipParams[31] = 255;
    m.FileMenuTexts[1] = "pi\xF9";
    const Differences d = compareCopies(m);
    ASSERT_EQ(d.lines.size(), 3u);
    EXPECT_EQ(d.lines[0].toolTip, "buffer [7]  TQ310 [150]");
    EXPECT_EQ(d.lines[1].toolTip, "buffer [155]  TQ310 [255]");
    EXPECT_EQ(d.lines[2].toolTip, "buffer [pi\xF9]  TQ310 [TESTO 11  ]");
}

// Once both halves are read, the status line says nothing differs exactly when the commit goes
// through: a refused commit always has something in sight.
TEST(Differences, NothingDiffersExactlyWhenTheCommitGoesThrough)
{
    for (const Case& c : kCases) {
        Module1 m = agreed();
        c.change(m);
        if (!m.ChipParamsRead || !m.ChipMenuTextsRead)
            continue;
        test::ScriptedPort port;
        test::FakeHost host;
        const bool agree = compareForCommit(LinkContext{m, port, host}) == CommitCheck::Agree;
        EXPECT_EQ(differencesCaption(m, compareCopies(m)) == "nessuna riga diversa dal TQ310", agree) << c.name;
    }
}

}  // namespace
}  // namespace tq
