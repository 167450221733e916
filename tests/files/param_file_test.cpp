// The parameter file read from real files on disk: line ends, the numbers on parameter lines,
// and what an Open leaves in the working copy.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "files/line_reader.h"
#include "files/param_file.h"

namespace tq {
namespace {

void writeFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), qint64(bytes.size()));
}

// Bytes without end and without a line end: a reader that looked for the end would never return.
struct EndlessDevice : QIODevice {
    qint64 delivered = 0;
    bool isSequential() const override { return true; }
    qint64 readData(char* data, qint64 max) override
    {
        std::memset(data, 'x', std::size_t(max));
        delivered += max;
        return max;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

TEST(LineReader, EveryLineEndEndsALine)
{
    struct Case { std::string bytes; std::vector<std::string> lines; };
    std::vector<Case> cases = {
        {"a\r\nb\r\n", {"a", "b"}}, {"a\nb\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}}, {"a\r\rb", {"a", "", "b"}}, {"", {}},
        {std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
    };
    // The file is read in pieces: a CR at the end of any likely piece, its LF at the start of the next.
    for (int length : {4095, 8191, 16383, 32767, 65535})
        cases.push_back({std::string(length, 'y') + "\r\nz", {std::string(length, 'y'), "z"}});

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lines"));
    for (const Case& c : cases) {
        writeFile(path, c.bytes);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        LineReader reader(f);
        std::vector<std::string> lines;
        for (std::string line; reader.next(line) == LineReader::Status::Line;)
            lines.push_back(line);
        EXPECT_EQ(lines, c.lines) << c.bytes.substr(0, 12);
    }
}

TEST(LineReader, LineWithoutEndIsRefusedWithoutReadingOn)
{
    EndlessDevice device;
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    LineReader reader(device);
    std::string line;
    EXPECT_EQ(reader.next(line), LineReader::Status::TooLong);
    EXPECT_LT(device.delivered, 2 * kMaxLineLength);
}

TEST(ParameterValue, NumberAtTheStartRoundedHalfToEven)
{
    const struct { const char* line; std::optional<int> value; } cases[] = {
        {"255", 255}, {"  7", 7}, {"\t9", 9}, {"+5", 5}, {"7abc", 7}, {"1 2", 1}, {"0000000000000000000012", 12},
        {"12.5", 12}, {"13.5", 14}, {".5", 0}, {"254.5", 254}, {"12.51", 13}, {"12.500000001", 13}, {"12.50000", 12},
        {"-0.5", 0}, {"abc", 0}, {"", 0}, {"-", 0}, {".", 0}, {"256", std::nullopt}, {"-1", std::nullopt},
        {"255.5", std::nullopt}, {"-0.6", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<std::uint8_t> got = parameterValue(c.line);
        EXPECT_EQ(got ? std::optional<int>(*got) : std::nullopt, c.value) << '"' << c.line << '"';
    }
}

// Lines joined, each followed by the line end.
std::string joined(const std::vector<std::string>& lines, const std::string& eol = "\r\n")
{
    std::string out;
    for (const std::string& line : lines)
        out += line + eol;
    return out;
}

std::vector<int> numbered(int count)
{
    std::vector<int> values(static_cast<std::size_t>(count));
    std::iota(values.begin(), values.end(), 1);
    return values;
}

std::vector<std::string> texts(int count)
{
    std::vector<std::string> out;
    for (int k = 0; k < count; ++k)
        out.push_back("TEXT" + std::to_string(k));
    return out;
}

// The version line, parameter n holding n, then the texts.
std::vector<std::string> goodLines(const std::vector<std::string>& textLines)
{
    std::vector<std::string> lines{"122013"};
    for (int n : numbered(54))
        lines.push_back(std::to_string(n));
    lines.insert(lines.end(), textLines.begin(), textLines.end());
    return lines;
}

TEST(ReadParamFile, TableOfFiles)
{
    const std::string failure = "Errore nel  file oppure  file non trovato  ";
    const std::string startUp = "122013\r\n" + joined(std::vector<std::string>(54, "0")) + joined(std::vector<std::string>(12));
    std::vector<std::string> decimals = goodLines(texts(12)), wrongVersion = decimals, tooBig = decimals, negative = decimals;
    wrongVersion[0] = "122013 ";
    decimals[1] = "12.5", decimals[2] = "13.5", decimals[3] = "abc";
    std::vector<int> decimalValues = numbered(54);
    decimalValues[0] = 12, decimalValues[1] = 14, decimalValues[2] = 0;
    tooBig[5] = "256";
    negative[9] = " -1";

    const struct {
        const char* name;
        std::optional<std::string> bytes;    // nothing: no file at all
        std::optional<std::string> message;  // nothing: the Open succeeds
        std::vector<int> params;             // parameters 1.. afterwards, the rest keep 200
        std::vector<std::string> texts;      // texts 0.. afterwards, the rest keep "OLD<k>"
        qint64 zeros = 0;                    // a file of that many zero bytes, none of them written
    } cases[] = {
        {"saved from the start-up state", startUp, std::nullopt, std::vector<int>(54, 0), std::vector<std::string>(12)},
        {"decimals and letters", joined(decimals), std::nullopt, decimalValues, texts(12)},
        {"LF only", joined(goodLines(texts(12)), "\n"), std::nullopt, numbered(54), texts(12)},
        {"CR only", joined(goodLines(texts(12)), "\r"), std::nullopt, numbered(54), texts(12)},
        {"a single text line", joined(goodLines({"ONE"})), std::nullopt, numbered(54), {"ONE"}},
        {"texts as read, the last without a line end", joined(goodLines({"  blanks  ", "\xE0 la carte"})) + "longer than ten",
         std::nullopt, numbered(54), {"  blanks  ", "\xE0 la carte", "longer than ten"}},
        {"an empty last line is a text", joined(goodLines(texts(2))) + "\r\n", std::nullopt, numbered(54),
         {"TEXT0", "TEXT1", ""}},
        {"21 texts", joined(goodLines(texts(21))), std::nullopt, numbered(54), texts(21)},
        {"22 texts", joined(goodLines(texts(22))), failure + "TEXT21", numbered(54), texts(21)},
        {"wrong version", joined(wrongVersion), failure + "  (VERSIONE DEL FILE NON CORRETTA)", {}, {}},
        {"256", joined(tooBig), failure + "256", numbered(4), {}},
        {"-1", joined(negative), failure + " -1", numbered(8), {}},
        {"ends right after the 54th parameter", joined(goodLines({})), failure + "54", numbered(54), {}},
        {"empty", "", failure, {}, {}},
        {"missing", std::nullopt, failure, {}, {}},
        {"a gigabyte of one line", "", failure, {}, {}, qint64(1) << 30},
    };

    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (c.bytes)
            writeFile(path, *c.bytes);
        if (c.zeros)
            ASSERT_TRUE(QFile(path).resize(c.zeros));  // sparse: no block is written

        Module1 m;
        m.FileParams.fill(200);
        for (int k = 0; k < kMenuTextSlots; ++k)
            m.FileMenuTexts[k] = "OLD" + std::to_string(k);
        m.CurrentFileName = "previous.ini";

        EXPECT_EQ(readParamFile(m, path), c.message);
        EXPECT_EQ(m.CurrentFileName, path.toStdString());
        for (int i = 0; i < kParamCount; ++i)
            EXPECT_EQ(m.FileParams[i], i < int(c.params.size()) ? c.params[i] : 200) << "parameter " << i + 1;
        for (int k = 0; k < kMenuTextSlots; ++k)
            EXPECT_EQ(m.FileMenuTexts[k], k < int(c.texts.size()) ? c.texts[k] : "OLD" + std::to_string(k)) << "text " << k;
    }
}

}  // namespace
}  // namespace tq
