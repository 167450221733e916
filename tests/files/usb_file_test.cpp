// CONTQ310.BIN: the 366 bytes, and how a newly inserted key is found.
#include <gtest/gtest.h>

#include <QDir>

#include <functional>

#include "files/drive_detect.h"
#include "files/usb_file.h"

namespace tq {
namespace {

TEST(UsbFile, WorkingCopyInHexadecimalWithTheCrcRecomputed)
{
    const auto blanks = [](int n) { std::string pairs; while (n-- > 0) pairs += "20"; return pairs; };  // n blanks in hex
    const struct {
        std::function<void(Module1&)> change;
        std::size_t offset;  // where the expected pairs start
        std::string pairs;
    } cases[] = {
        // The start-up state holds no CRC: it is computed for the file.
        {[](Module1&) {}, 0, ">$$>" + std::string(108, '0') + "6647" + blanks(120) + "<$$<<$$<\r\n"},
        {[](Module1& m) { m.FileParams[0] = 10; }, 4, "0A"},
        {[](Module1& m) { m.FileParams[53] = 255; }, 4 + 53 * 2, "FF"},
        {[](Module1& m) { m.FileMenuTexts[0] = "AB"; }, 116, "4142" + blanks(8)},
        {[](Module1& m) { m.FileMenuTexts[3] = "ABCDEFGHIJKL"; }, 116 + 3 * 20, "4142434445464748494A" + blanks(10)},
        {[](Module1& m) { m.FileMenuTexts[11] = "\xE0"; }, 116 + 11 * 20, "E0" + blanks(9) + "<$$<"},
    };
    for (const auto& c : cases) {
        Module1 m;
        c.change(m);
        const std::string content = compileUsbFile(m, QStringLiteral("x")).content;
        ASSERT_EQ(content.size(), 366u) << c.pairs;
        EXPECT_EQ(content.substr(c.offset, c.pairs.size()), c.pairs);
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

TEST(DriveDetector, DriveLettersComparedCharacterByCharacter)
{
    const struct { const char* known; const char* current; char letter; } cases[] = {
        {"C:\\D:\\", "C:\\D:\\F:\\", 'F'},
        {"C:\\D:\\", "C:\\G:\\F:\\", 'G'},  // two at once: the one listed first
        {"C:\\D:\\F:\\", "C:\\D:\\F:\\", 0},
        {"C:\\F:\\", "C:\\D:\\", 'D'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(firstNewCharacter(QString::fromLatin1(c.known), QString::fromLatin1(c.current)), QChar(c.letter))
            << c.known << " -> " << c.current;
}

TEST(UsbFile, TargetPathUnderTheRootOfTheKey)
{
    const struct { const char* root; const char* path; } cases[] = {
        {"F:\\", "F:\\tq310\\contq310.bin"},
        {"/media/usb0", "/media/usb0/tq310/contq310.bin"},
        {"/", "/tq310/contq310.bin"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(usbTargetPath(QString::fromLatin1(c.root)), QString::fromLatin1(c.path));
}

TEST(DriveDetector, MountedRootsIncludeTheRootOfThisSystem)
{
    EXPECT_TRUE(mountedRoots().contains(QDir::rootPath())) << QDir::rootPath().toStdString();
}

}  // namespace
}  // namespace tq
