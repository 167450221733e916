// The parameter file read from real files on disk: line ends, the numbers on parameter lines,
// and what an Open leaves in the working copy.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <map>
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
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("huge")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(qint64(1) << 30));  // sparse: no block is written
    LineReader reader(f);
    std::string line;
    EXPECT_EQ(reader.next(line), LineReader::Status::TooLong);
    EXPECT_LT(f.pos(), 2 * kMaxLineLength);
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

// The version line, parameter n holding n, then the text lines "TEXT0"...; each line ended by
// eol, with the lines of `changed` (0 the version line, n parameter n) in place of those.
std::string goodFile(int texts, const std::map<int, std::string>& changed = {}, const std::string& eol = "\r\n")
{
    std::string out;
    for (int n = 0; n <= 54 + texts; ++n) {
        const std::string line = n == 0 ? "122013" : n <= 54 ? std::to_string(n) : "TEXT" + std::to_string(n - 55);
        out += (changed.contains(n) ? changed.at(n) : line) + eol;
    }
    return out;
}

TEST(ReadParamFile, TableOfFiles)
{
    const std::string failure = "Errore nel  file oppure  file non trovato  ";
    // What goodFile holds: parameter n holding n, and its texts.
    const auto numbered = [](int n) {
        std::vector<int> v(std::size_t(n), 0);
        std::iota(v.begin(), v.end(), 1);
        return v;
    };
    const auto texts = [](int n) {
        std::vector<std::string> v;
        while (int(v.size()) < n)
            v.push_back("TEXT" + std::to_string(v.size()));
        return v;
    };
    std::string startUp = "122013\r\n";
    for (int n = 0; n < 54 + 12; ++n)
        startUp += n < 54 ? "0\r\n" : "\r\n";
    std::vector<int> decimalValues = numbered(54);
    decimalValues[0] = 12, decimalValues[1] = 14, decimalValues[2] = 0;

    const struct {
        const char* name;
        std::optional<std::string> bytes;    // nothing: no file at all
        std::optional<std::string> message;  // nothing: the Open succeeds
        std::vector<int> params;             // parameters 1.. afterwards, the rest keep 200
        std::vector<std::string> texts;      // texts 0.. afterwards, the rest keep "OLD<k>"
        qint64 zeros = 0;                    // a file of that many zero bytes, none of them written
    } cases[] = {
        {"saved from the start-up state", startUp, std::nullopt, std::vector<int>(54, 0), std::vector<std::string>(12)},
        {"decimals and letters", goodFile(12, {{1, "12.5"}, {2, "13.5"}, {3, "abc"}}), std::nullopt, decimalValues,
         texts(12)},
        {"LF only", goodFile(12, {}, "\n"), std::nullopt, numbered(54), texts(12)},
        {"CR only", goodFile(12, {}, "\r"), std::nullopt, numbered(54), texts(12)},
        {"a single text line", goodFile(0) + "ONE\r\n", std::nullopt, numbered(54), {"ONE"}},
        {"texts as read, the last without a line end", goodFile(0) + "  blanks  \r\n\xE0 la carte\r\nlonger than ten",
         std::nullopt, numbered(54), {"  blanks  ", "\xE0 la carte", "longer than ten"}},
        {"an empty last line is a text", goodFile(2) + "\r\n", std::nullopt, numbered(54), {"TEXT0", "TEXT1", ""}},
        {"21 texts", goodFile(21), std::nullopt, numbered(54), texts(21)},
        {"22 texts", goodFile(22), failure + "TEXT21", numbered(54), texts(21)},
        {"wrong version", goodFile(12, {{0, "122013 "}}), failure + "  (VERSIONE DEL FILE NON CORRETTA)", {}, {}},
        {"256", goodFile(12, {{5, "256"}}), failure + "256", numbered(4), {}},
        {"-1", goodFile(12, {{9, " -1"}}), failure + " -1", numbered(8), {}},
        {"ends right after the 54th parameter", goodFile(0), failure + "54", numbered(54), {}},
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
