// The lines of the main list as ListInit builds them from the shared state: the 54 parameter
// lines with the working and the device value side by side, the menu-text lines, the captions.
#include <gtest/gtest.h>

#include "params/list_view.h"

namespace tq {
namespace {

TEST(ListInit, StartUpStateShowsZerosHeaderAndEmptyTexts)
{
    Module1 m;
    m.CurrentFileName = "Dati di default";
    const ListContent c = ListInit(m);
    ASSERT_EQ(c.lines.size(), 66u);
    EXPECT_EQ(c.label1, " File = Dati di default");
    EXPECT_EQ(c.label5, "102-71 File");
    EXPECT_EQ(c.lines[0], "Lato di inizio conteggio  1[0  ] [0  ]");
    for (int i = 0; i < 54; ++i) {
        EXPECT_EQ(c.lines[i].size(), 38u);
        EXPECT_EQ(c.lines[i].substr(28), "0  ] [0  ]") << i;
    }
    EXPECT_EQ(c.lines[54], "======== VOCI MENU ===========");
    // An empty text leaves its caption and the bar alone on the line.
    for (int k = 0; k < 11; ++k)
        EXPECT_TRUE(c.lines[55 + k].size() == 17 && c.lines[55 + k].ends_with("| ")) << c.lines[55 + k];
    EXPECT_EQ(m.ChannelCount, 0);
    EXPECT_EQ(m.FileParams[56], 0);
}

TEST(ListInit, FieldsAreLeftJustifiedAndFullWidth)
{
    const struct { std::uint8_t file, chip; const char* tail; } cases[] = {
        {5, 12, "5  ] [12 ]"},
        {255, 255, "255] [255]"},
        {10, 0, "10 ] [0  ]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parameterLine(0, c.file, c.chip), std::string("Lato di inizio conteggio  1[") + c.tail);
}

TEST(ListInit, ShowsWorkingAndDeviceValuesSideBySide)
{
    Module1 m;
    m.FileParams[33] = 7;
    m.ChipParams[33] = 135;
    m.FileParams[3] = 19;
    m.FileMenuTexts[10] = "ABCDEFGHIJKLMN";  // longer than 10 only from a file: shown in full
    m.FileMenuTexts[11] = "not listed";
    m.CurrentFileName = "";
    const ListContent c = ListInit(m);
    EXPECT_EQ(c.lines[33], "P9 Filetto destro        34[7  ] [135]");
    EXPECT_EQ(c.lines[65], "ranghi         | ABCDEFGHIJKLMN");
    EXPECT_EQ(c.label1, " File = ");
    EXPECT_EQ(m.ChannelCount, 24);
    // Crcgen ran last: the stored CRC matches the caption.
    EXPECT_EQ(c.label5, std::to_string(m.FileParams[54]) + "-" + std::to_string(m.FileParams[55]) + " File");
    EXPECT_NE(c.label5, "102-71 File");
}

}  // namespace
}  // namespace tq
