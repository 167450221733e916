// The parameter file: numbers on parameter lines, the reader over real files on disk, the writer.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <optional>
#include <string>
#include <vector>

#include "files/param_file.h"

namespace tq {
namespace {

TEST(ParameterValue, NumberAtTheStartRoundedHalfToEven)
{
    const struct { const char* line; std::optional<int> value; } cases[] = {
        {"0", 0}, {"255", 255}, {"  7", 7}, {"\t9", 9}, {"+5", 5}, {"7abc", 7}, {"1 2", 1},
        {"0000000000000000000012", 12}, {"12.", 12},
        {"12.5", 12}, {"13.5", 14}, {"0.5", 0}, {"1.5", 2}, {".5", 0}, {"254.5", 254},
        {"12.49", 12}, {"12.51", 13}, {"12.500000001", 13}, {"12.50000", 12}, {"-0.4", 0}, {"-0.5", 0},
        {"abc", 0}, {"", 0}, {"-", 0}, {".", 0},
        {"256", std::nullopt}, {"-1", std::nullopt}, {"255.5", std::nullopt}, {"-0.6", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<std::uint8_t> got = parameterValue(c.line);
        ASSERT_EQ(got.has_value(), c.value.has_value()) << '"' << c.line << '"';
        if (got)
            EXPECT_EQ(*got, *c.value) << '"' << c.line << '"';
    }
}

// A file of the given lines, each followed by the given line end.
std::string fileOf(const std::vector<std::string>& lines, const std::string& eol = "\r\n")
{
    std::string out;
    for (const std::string& line : lines)
        out += line + eol;
    return out;
}

std::vector<std::string> paramLines(int count)
{
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(std::to_string(i + 1));  // parameter n holds n
    return lines;
}

std::vector<std::string> textLines(int count)
{
    std::vector<std::string> lines;
    for (int k = 0; k < count; ++k)
        lines.push_back("TEXT" + std::to_string(k));
    return lines;
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// What the working copy held before the Open: 200 in every parameter, "OLD<k>" in every text.
Module1 previousState()
{
    Module1 m;
    m.FileParams.fill(200);
    m.FileParams[56] = 0;
    for (int k = 0; k < kMenuTextSlots; ++k)
        m.FileMenuTexts[k] = "OLD" + std::to_string(k);
    m.CurrentFileName = "previous.ini";
    return m;
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::optional<std::string> message;  // nothing: the Open succeeds
    int paramsReplaced;                  // parameters 1..n hold n afterwards, the rest 200
    std::vector<std::string> texts;      // texts 0.. afterwards, the rest keep "OLD<k>"
};

TEST(ReadParamFile, TableOfFiles)
{
    const std::string failure = "Errore nel  file oppure  file non trovato  ";
    const auto good = [](int texts) { return concat({{"122013"}, paramLines(54), textLines(texts)}); };
    std::vector<std::string> tooBig = good(12);
    tooBig[5] = "256";
    std::vector<std::string> negative = good(12);
    negative[9] = " -1";

    const std::vector<ReadCase> cases = {
        {"twelve texts", fileOf(good(12)), std::nullopt, 54, textLines(12)},
        {"LF only", fileOf(good(12), "\n"), std::nullopt, 54, textLines(12)},
        {"CR only", fileOf(good(12), "\r"), std::nullopt, 54, textLines(12)},
        {"mixed line ends", "122013\r" + fileOf(paramLines(54), "\n") + "A\r\nB\rC", std::nullopt, 54, {"A", "B", "C"}},
        {"a single text line", fileOf(good(1)), std::nullopt, 54, {"TEXT0"}},
        {"last line without line end", fileOf(good(2)) + "LAST", std::nullopt, 54, {"TEXT0", "TEXT1", "LAST"}},
        {"an empty line after the texts is a text", fileOf(good(2)) + "\r\n", std::nullopt, 54, {"TEXT0", "TEXT1", ""}},
        {"texts stored as read", fileOf(concat({{"122013"}, paramLines(54), {"  blanks  ", "\xE0 la carte", "longer than ten"}})),
         std::nullopt, 54, {"  blanks  ", "\xE0 la carte", "longer than ten"}},
        {"21 texts", fileOf(good(21)), std::nullopt, 54, textLines(21)},
        {"22 texts", fileOf(good(22)), failure + "TEXT21", 54, textLines(21)},
        {"wrong version", fileOf(concat({{"122014"}, paramLines(54), textLines(12)})),
         failure + "  (VERSIONE DEL FILE NON CORRETTA)", 0, {}},
        {"version with a blank", fileOf(concat({{"122013 "}, paramLines(54), textLines(12)})),
         failure + "  (VERSIONE DEL FILE NON CORRETTA)", 0, {}},
        {"empty file", "", failure, 0, {}},
        {"version only", fileOf({"122013"}), failure + "122013", 0, {}},
        {"ends before the 54th parameter", fileOf(concat({{"122013"}, paramLines(10)})), failure + "10", 10, {}},
        {"ends right after the 54th parameter", fileOf(concat({{"122013"}, paramLines(54)})), failure + "54", 54, {}},
        {"256", fileOf(tooBig), failure + "256", 4, {}},
        {"-1", fileOf(negative), failure + " -1", 8, {}},
    };

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QLatin1String(".ini"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes.data(), qint64(c.bytes.size()));
        f.close();

        Module1 m = previousState();
        const ParamRecord crcBefore = m.FileParams;
        EXPECT_EQ(readParamFile(m, path), c.message);
        EXPECT_EQ(m.CurrentFileName, path.toStdString());
        for (int i = 0; i < kParamCount; ++i)
            EXPECT_EQ(m.FileParams[i], i < c.paramsReplaced ? i + 1 : 200) << "parameter " << i + 1;
        EXPECT_EQ(m.FileParams[kCrcHigh], crcBefore[kCrcHigh]);
        EXPECT_EQ(m.FileParams[kCrcLow], crcBefore[kCrcLow]);
        for (int k = 0; k < kMenuTextSlots; ++k)
            EXPECT_EQ(m.FileMenuTexts[k], k < int(c.texts.size()) ? c.texts[k] : "OLD" + std::to_string(k)) << "text " << k;
    }
}

TEST(ReadParamFile, DecimalsAndLettersOnParameterLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("decimals.ini"));
    std::vector<std::string> lines = concat({{"122013"}, paramLines(54), textLines(12)});
    lines[1] = "12.5";
    lines[2] = "13.5";
    lines[3] = "abc";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(fileOf(lines)));
    f.close();

    Module1 m = previousState();
    EXPECT_EQ(readParamFile(m, path), std::nullopt);
    EXPECT_EQ(m.FileParams[0], 12);
    EXPECT_EQ(m.FileParams[1], 14);
    EXPECT_EQ(m.FileParams[2], 0);
    EXPECT_EQ(m.FileParams[3], 4);
}

TEST(ReadParamFile, MissingFileKeepsTheNewNameAndNothingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("absent.ini"));
    Module1 m = previousState();
    EXPECT_EQ(readParamFile(m, path), std::string("Errore nel  file oppure  file non trovato  "));
    EXPECT_EQ(m.CurrentFileName, path.toStdString());
    EXPECT_EQ(m.FileParams, previousState().FileParams);
    EXPECT_EQ(m.FileMenuTexts, previousState().FileMenuTexts);
}

TEST(ReadParamFile, GigabyteOfOneLineIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(qint64(1) << 30));  // sparse: no block is written
    f.close();

    Module1 m = previousState();
    EXPECT_EQ(readParamFile(m, path), std::string("Errore nel  file oppure  file non trovato  "));
    EXPECT_EQ(m.FileParams, previousState().FileParams);
}

TEST(ReadParamFile, TextLineLongerThanTheCapIsRefused)
{
    QTemporaryDir dir;
    const auto tryText = [&](qsizetype length) {
        const QString path = dir.filePath(QStringLiteral("long%1.ini").arg(length));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(fileOf(concat({{"122013"}, paramLines(54), {std::string(length, 'x')}}))));
        f.close();
        Module1 m = previousState();
        const std::optional<std::string> message = readParamFile(m, path);
        return std::pair(message, m.FileMenuTexts[0].size());
    };
    const auto [accepted, storedLength] = tryText(60000);
    EXPECT_EQ(accepted, std::nullopt);
    EXPECT_EQ(storedLength, 60000u);
    EXPECT_EQ(tryText(70000).first, std::string("Errore nel  file oppure  file non trovato  54"));
}

TEST(ParamFileContent, StartUpStateIs67Lines)
{
    std::string expected = "122013\r\n";
    for (int i = 0; i < 54; ++i)
        expected += "0\r\n";
    for (int k = 0; k < 12; ++k)
        expected += "\r\n";
    EXPECT_EQ(paramFileContent(Module1{}), expected);
}

TEST(ParamFileContent, BytesAsHeldAndOnlyTwelveTexts)
{
    Module1 m;
    m.FileParams[0] = 255;
    m.FileParams[53] = 7;
    m.FileParams[kCrcHigh] = 99;  // the CRC is not stored
    m.FileMenuTexts[0] = "AB";
    m.FileMenuTexts[1] = "longer than ten";
    m.FileMenuTexts[2] = "\xE0\xE8 ok    ";
    m.FileMenuTexts[12] = "NOT SAVED";
    const std::string content = paramFileContent(m);

    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(content.substr(start, end - start));
    EXPECT_EQ(start, content.size());  // the last line ends with CR LF too
    ASSERT_EQ(lines.size(), 67u);
    EXPECT_EQ(lines[1], "255");
    EXPECT_EQ(lines[54], "7");
    EXPECT_EQ(lines[55], "AB");
    EXPECT_EQ(lines[56], "longer than ten");
    EXPECT_EQ(lines[57], "\xE0\xE8 ok    ");
    EXPECT_EQ(lines[66], "");
}

TEST(ParamFileContent, SavedFileReadsBackUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("round.ini"));
    Module1 saved;
    for (int i = 0; i < kParamCount; ++i)
        saved.FileParams[i] = std::uint8_t(i * 5);
    for (int k = 0; k < 12; ++k)
        saved.FileMenuTexts[k] = std::string(k, char('a' + k));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(paramFileContent(saved)));
    f.close();

    Module1 loaded = previousState();
    EXPECT_EQ(readParamFile(loaded, path), std::nullopt);
    for (int i = 0; i < kParamCount; ++i)
        EXPECT_EQ(loaded.FileParams[i], saved.FileParams[i]);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(loaded.FileMenuTexts[k], saved.FileMenuTexts[k]);
    EXPECT_EQ(loaded.FileMenuTexts[12], "OLD12");
}

}  // namespace
}  // namespace tq
