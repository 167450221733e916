// CONTQ310.BIN: the 366 bytes, and how a newly inserted key is found.
#include <gtest/gtest.h>

#include "files/drive_detect.h"
#include "files/usb_file.h"

namespace tq {
namespace {

std::string repeat(const std::string& piece, int times)
{
    std::string out;
    while (times-- > 0)
        out += piece;
    return out;
}

TEST(UsbFile, WorkingCopyInHexadecimalWithTheCrcRecomputed)
{
    const struct {
        const char* name;
        int param;  // index set to value, -1 for none
        std::uint8_t value;
        int text;   // slot set to textValue, -1 for none
        std::string textValue;
        std::size_t offset;  // where the expected pairs start
        std::string pairs;
    } cases[] = {
        // The start-up state holds no CRC: it is computed for the file.
        {"start-up state", -1, 0, -1, "", 0, ">$$>" + std::string(108, '0') + "6647" + repeat("20", 120) + "<$$<<$$<\r\n"},
        {"10", 0, 10, -1, "", 4, "0A"},
        {"255", 53, 255, -1, "", 4 + 53 * 2, "FF"},
        {"AB", -1, 0, 0, "AB", 116, "4142" + repeat("20", 8)},
        {"twelve characters", -1, 0, 3, "ABCDEFGHIJKL", 116 + 3 * 20, "4142434445464748494A" + repeat("20", 10)},
        {"code 0xE0", -1, 0, 11, "\xE0", 116 + 11 * 20, "E0" + repeat("20", 9) + "<$$<"},
    };
    for (const auto& c : cases) {
        Module1 m;
        if (c.param >= 0)
            m.FileParams[c.param] = c.value;
        if (c.text >= 0)
            m.FileMenuTexts[c.text] = c.textValue;
        const std::string content = compileUsbFile(m, QStringLiteral("x")).content;
        ASSERT_EQ(content.size(), 366u) << c.name;
        EXPECT_EQ(content.substr(c.offset, c.pairs.size()), c.pairs) << c.name;
    }
}

TEST(DriveDetector, SequencesOfRoots)
{
    const QString c = QStringLiteral("C:\\"), d = QStringLiteral("D:\\"), f = QStringLiteral("F:\\"),
                  g = QStringLiteral("G:\\");
    struct Tick { QStringList roots; QString found; };
    const struct { const char* name; std::vector<Tick> ticks; } cases[] = {
        {"a key inserted", {{{c, d}, {}}, {{c, d}, {}}, {{c, d, f}, f}}},
        {"a key in at the first tick must be reinserted", {{{c, d, f}, {}}, {{c, d, f}, {}}, {{c, d}, {}}, {{c, d, f}, f}}},
        {"found again while it stays in", {{{c, d}, {}}, {{c, d, f}, f}, {{c, d, f}, f}}},
        {"two keys in one tick: the first listed", {{{c, d}, {}}, {{c, d, g, f}, g}}},
        {"a removed drive is forgotten at once", {{{c, d, f}, {}}, {{c}, {}}, {{c, d}, d}}},
        {"a key swapped between ticks is not new", {{{c, f}, {}}, {{c, g}, {}}, {{c, g, f}, f}}},
    };
    for (const auto& sequence : cases) {
        DriveDetector detector;
        for (std::size_t i = 0; i < sequence.ticks.size(); ++i)
            EXPECT_EQ(detector.tick(sequence.ticks[i].roots), sequence.ticks[i].found) << sequence.name << ", tick " << i;
    }
}

TEST(DriveDetector, MountedRootsIncludeTheRootOfThisSystem)
{
    EXPECT_TRUE(mountedRoots().contains(QStringLiteral("/")));
}

}  // namespace
}  // namespace tq
