// The parameter record and the main list built from it. The faults they guard against: a CRC
// that is not the controller's (CCITT, x16 + x12 + x5 + 1) or counts its own bytes, a list line
// out of its columns, and difference marks before the controller sent anything, or a status line
// that calls none where the commit refuses.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "operations/transfers.h"
#include "params/crc.h"
#include "params/differences.h"
#include "params/list_view.h"
#include "params/param_record.h"
#include "params/param_table.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

TEST(Crc, CheckValueAndCrcgenStoresBothBytesAndCaptionsThem)
{
    const char* digits = "123456789";
    EXPECT_EQ(crc16(reinterpret_cast<const std::uint8_t*>(digits), std::strlen(digits)), 0x29B1);

    // All zero, then parameter 1 = 1; whatever the CRC and spare bytes held before must not count.
    for (const auto [first, caption] : {std::pair{0, "102-71"}, {1, "250-32"}}) {
        ParamRecord r{};
        r[0] = std::uint8_t(first);
        r[kCrcHigh] = 0xAA, r[kCrcLow] = 0x55, r[56] = 0x77;
        EXPECT_EQ(Crcgen(r), caption + std::string(" File"));
        EXPECT_EQ(std::to_string(r[kCrcHigh]) + "-" + std::to_string(r[kCrcLow]), caption);
        EXPECT_EQ(chipCrcCaption(r), caption + std::string(" Chip "));
    }
}

TEST(ParamRecord, ChannelCountFollowsBoardsLessProtection)
{
    const struct { std::uint8_t boards; std::uint16_t channels; } cases[] = {
        {0, 0}, {1, 8}, {3, 24}, {16, 0}, {18, 16}, {19, 24}, {4, 32}, {47, 248}, {48, 256}, {255, 1912},
    };
    for (const auto& c : cases)
        EXPECT_EQ(channelCountFor(c.boards), c.channels) << "boards byte " << int(c.boards);
}

TEST(ListInit, StartUpStateShowsEachLabelNumberedWithZerosTheHeaderAndEmptyTexts)
{
    Module1 m;
    m.CurrentFileName = "Dati di default";
    const ListContent c = ListInit(m);
    ASSERT_EQ(c.lines.size(), 66u);
    for (int i = 0; i < kParamCount; ++i) {
        const std::string& line = c.lines[i];
        ASSERT_EQ(line.size(), 38u) << line;
        EXPECT_EQ(std::stoi(line.substr(25, 2)), i + 1) << line;
        EXPECT_EQ(line.compare(0, ParamNames[i].size(), ParamNames[i]), 0) << line;
        EXPECT_EQ(line.substr(27), "[0  ] [0  ]") << line;
    }
    EXPECT_EQ(c.label1 + "|" + c.label5 + "|" + c.lines[0] + "|" + c.lines[54],
              " File = Dati di default|102-71 File|Lato di inizio conteggio  1[0  ] [0  ]|======== VOCI MENU ===========");
    // An empty text leaves its caption and the bar alone on the line.
    for (int k = 0; k < 11; ++k)
        EXPECT_TRUE(c.lines[55 + k].size() == 17 && c.lines[55 + k].ends_with("| ")) << c.lines[55 + k];
    EXPECT_EQ(m.ChannelCount + m.FileParams[56], 0);
}

TEST(ListInit, ShowsWorkingAndDeviceValuesSideBySideLeftJustified)
{
    Module1 m;
    m.FileParams[33] = 7;
    m.ChipParams[33] = 135;
    m.FileParams[3] = 19;
    m.FileMenuTexts[10] = "ABCDEFGHIJKLMN";  // longer than 10 only from a file: shown in full
    m.FileMenuTexts[11] = "not listed";
    m.CurrentFileName = "";
    const ListContent c = ListInit(m);
    EXPECT_EQ(c.lines[33] + "|" + c.lines[65] + "|" + c.label1,
              "P9 Filetto destro        34[7  ] [135]|ranghi         | ABCDEFGHIJKLMN| File = ");
    EXPECT_EQ(m.ChannelCount, 24);
    // Crcgen ran last: the stored CRC matches the caption.
    EXPECT_EQ(c.label5, std::to_string(m.FileParams[54]) + "-" + std::to_string(m.FileParams[55]) + " File");
    EXPECT_NE(c.label5, "102-71 File");
    const struct { std::uint8_t file, chip; const char* tail; } cases[] = {
        {5, 12, "5  ] [12 ]"}, {255, 255, "255] [255]"}, {10, 0, "10 ] [0  ]"},
    };
    for (const auto& v : cases)
        EXPECT_EQ(parameterLine(0, v.file, v.chip), std::string("Lato di inizio conteggio  1[") + v.tail);
}

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

const struct DifferenceCase {
    const char* name;
    std::function<void(Module1&)> change;
    std::vector<std::string> lines;  // each marked line with its tooltip, blanks included
    std::string caption;
} kDifferences[] = {
    {"nothing read: zero is not the controller's value",
     [](Module1& m) {
         m.ChipParams = {};
         m.ChipParamsRead = m.ChipMenuTextsRead = false;
         m.FileParams[4] = 9;
         m.FileMenuTexts[0] = "X";
     },
     {}, "nessuna lettura dal TQ310"},
    {"copies agree", [](Module1&) {}, {}, "nessuna riga diversa dal TQ310"},
    {"one parameter edited", [](Module1& m) { edit(m, 30, 7); }, {"30 buffer [7]  TQ310 [150]"},
     "1 riga diversa dal TQ310"},
    {"first and last parameter, last listed text",
     [](Module1& m) { edit(m, 0, 1); m.ChipParams[53] = 255; m.FileMenuTexts[10] = "RANGHI    "; },
     {"0 buffer [1]  TQ310 [0]", "53 buffer [9]  TQ310 [255]", "65 buffer [RANGHI    ]  TQ310 [TESTO 20  ]"},
     "3 righe diverse dal TQ310"},
    {"a short text from a file", [](Module1& m) { m.FileMenuTexts[2] = "TESTO 12"; },
     {"57 buffer [TESTO 12]  TQ310 [TESTO 12  ]"}, "1 riga diversa dal TQ310"},
    {"record read, texts not yet",
     [](Module1& m) { m.ChipMenuTextsRead = false; edit(m, 3, 17); m.FileMenuTexts[0] = "X"; },
     {"3 buffer [17]  TQ310 [15]"}, "1 riga diversa dal TQ310"},
    {"texts read alone (menu list)",
     [](Module1& m) { m.ChipParamsRead = false; edit(m, 3, 17); m.FileMenuTexts[0] = "pi\xF9"; },
     {"55 buffer [pi\xF9]  TQ310 [TESTO 10  ]"}, "1 riga diversa dal TQ310"},
    {"text 11 is not a line", [](Module1& m) { m.FileMenuTexts[11] = "ALTRO"; }, {},
     "nessuna riga diversa dal TQ310 + 1 testo non in lista"},
    {"texts beyond the controller's twelve",
     [](Module1& m) { m.FileMenuTexts[12] = "da file"; m.FileMenuTexts[20] = "anche"; edit(m, 8, 1); },
     {"8 buffer [1]  TQ310 [40]"}, "1 riga diversa dal TQ310 + 2 testi non in lista"},
    {"the controller's CRC went wrong", [](Module1& m) { m.ChipParams[kCrcLow] ^= 1; }, {},
     "nessuna riga diversa dal TQ310 + CRC diverso"},
    {"a wrong CRC under a different parameter says the parameter",
     [](Module1& m) { m.ChipParams[kCrcLow] ^= 1; edit(m, 8, 1); }, {"8 buffer [1]  TQ310 [40]"},
     "1 riga diversa dal TQ310"},
};

// Once both halves are read, the status line says nothing differs exactly when the commit goes
// through: a refused commit always has something in sight.
TEST(Differences, MarkedLinesTheirCountAndTheCommitAgree)
{
    for (const DifferenceCase& c : kDifferences) {
        Module1 m = agreed();
        c.change(m);
        const Differences d = compareCopies(m);
        std::vector<std::string> lines;
        for (const LineDifference& l : d.lines)
            lines.push_back(std::to_string(l.line) + " " + l.toolTip);
        EXPECT_EQ(lines, c.lines) << c.name;
        const std::string caption = differencesCaption(m, d);
        EXPECT_EQ(caption, c.caption) << c.name;
        if (!m.ChipParamsRead || !m.ChipMenuTextsRead)
            continue;
        test::ScriptedPort port;
        test::FakeHost host;
        const bool agree = compareForCommit(LinkContext{m, port, host}) == CommitCheck::Agree;
        EXPECT_EQ(caption == "nessuna riga diversa dal TQ310", agree) << c.name;
    }
}

}  // namespace
}  // namespace tq
