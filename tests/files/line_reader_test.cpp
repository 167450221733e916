// Line ends and the cap on a line's length, over files on disk and over a device that never ends.
#include <gtest/gtest.h>

#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <cstring>

#include "files/line_reader.h"

namespace tq {
namespace {

// Bytes without end and without a line end: a reader that looked for the end would never return.
class EndlessDevice : public QIODevice {
public:
    qint64 delivered = 0;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        std::memset(data, 'x', std::size_t(max));
        delivered += max;
        return max;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

std::vector<std::string> readAll(const QByteArray& bytes, std::vector<bool>* endsAfter = nullptr)
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("lines")));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    LineReader reader(f);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line) == LineReader::Status::Line) {
        lines.push_back(line);
        if (endsAfter)
            endsAfter->push_back(reader.atEnd());
    }
    return lines;
}

TEST(LineReader, EveryLineEndEndsALine)
{
    const struct { QByteArray bytes; std::vector<std::string> lines; } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},   // LF then CR: two line ends
        {"a\r\rb", {"a", "", "b"}},
        {"", {}},
        {"\r\n", {""}},
        {QByteArray("a\0b\r\n", 5), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readAll(c.bytes), c.lines) << c.bytes.toStdString();
}

TEST(LineReader, EndIsReachedOnceNothingFollowsTheLastLine)
{
    std::vector<bool> ends;
    readAll("a\r\nb\r\n", &ends);
    EXPECT_EQ(ends, (std::vector<bool>{false, true}));
    ends.clear();
    readAll("a\r\nb\r\n\r\n", &ends);
    EXPECT_EQ(ends, (std::vector<bool>{false, false, true}));
    ends.clear();
    readAll("a\rb\r", &ends);
    EXPECT_EQ(ends, (std::vector<bool>{false, true}));
}

TEST(LineReader, CrLfSplitAcrossReadsIsOneLineEnd)
{
    // The reader takes the file in pieces; put the CR at the end of every likely piece size.
    for (int length : {4095, 8191, 16383, 32767, 65535}) {
        QByteArray bytes(length, 'y');
        bytes += "\r\nnext\r\n";
        const std::vector<std::string> lines = readAll(bytes);
        ASSERT_EQ(lines.size(), 2u) << length;
        EXPECT_EQ(lines[0].size(), std::size_t(length));
        EXPECT_EQ(lines[1], "next");
    }
}

TEST(LineReader, LineBeyondTheCapIsRefusedWithoutReadingOn)
{
    EndlessDevice device;
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    LineReader reader(device);
    std::string line;
    EXPECT_EQ(reader.next(line), LineReader::Status::TooLong);
    EXPECT_LE(line.size(), std::size_t(kMaxLineLength));
    EXPECT_LT(device.delivered, 2 * kMaxLineLength);
}

TEST(LineReader, LineOfExactlyTheCapIsALine)
{
    const std::vector<std::string> lines = readAll(QByteArray(kMaxLineLength, 'z') + "\r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), std::size_t(kMaxLineLength));
    EXPECT_TRUE(readAll(QByteArray(kMaxLineLength + 1, 'z')).empty());
}

}  // namespace
}  // namespace tq
