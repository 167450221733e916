#include "files/param_file.h"

#include <QFile>

#include <algorithm>

#include "files/line_reader.h"
#include "files/system_file.h"

namespace tq {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::uint8_t> parameterValue(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        negative = line[i++] == '-';

    // Held exactly in decimal, so a half is a half and not the nearest binary fraction.
    unsigned value = 0;
    for (; i < line.size() && isDigit(line[i]); ++i)
        value = std::min(value * 10 + unsigned(line[i] - '0'), 256u);

    if (i < line.size() && line[i] == '.' && i + 1 < line.size() && isDigit(line[i + 1])) {
        const int first = line[++i] - '0';
        bool beyondHalf = false;
        for (++i; i < line.size() && isDigit(line[i]); ++i)
            beyondHalf = beyondHalf || line[i] != '0';
        if (first > 5 || (first == 5 && (beyondHalf || value % 2 == 1)))
            ++value;
    }
    if (value > 255 || (negative && value != 0))
        return std::nullopt;
    return std::uint8_t(value);
}

std::optional<std::string> readParamFile(Module1& m, const QString& path)
{
    m.CurrentFileName = systemName(path).toStdString();
    QFile file;
    if (!openRegularFile(file, path))
        return std::string(kOpenFailure);
    return readParamFile(m, file);
}

std::optional<std::string> readParamFile(Module1& m, QIODevice& device)
{
    std::string detail;  // the last line read: the failure message ends with it
    const auto failure = [&detail] { return std::string(kOpenFailure) + detail; };

    LineReader reader(device);
    std::string line;
    if (reader.next(line) != LineReader::Status::Line)
        return failure();
    if (line != kFileVersion) {
        detail = kWrongVersion;
        return failure();
    }
    detail = line;

    for (int i = 0; i < kParamCount; ++i) {
        if (reader.next(line) != LineReader::Status::Line)
            return failure();
        detail = line;
        const std::optional<std::uint8_t> value = parameterValue(line);
        if (!value)
            return failure();
        m.FileParams[i] = *value;
    }
    for (int k = 0;; ++k) {
        if (reader.next(line) != LineReader::Status::Line)
            return failure();
        detail = line;
        if (k >= kMenuTextSlots)
            return failure();
        m.FileMenuTexts[k] = line;
        if (reader.atEnd())
            return std::nullopt;
    }
}

std::string paramFileContent(const ParamRecord& params, const MenuTexts& texts)
{
    std::string out = std::string(kFileVersion) + "\r\n";
    for (int i = 0; i < kParamCount; ++i)
        out += std::to_string(params[i]) + "\r\n";
    for (int k = 0; k < kSavedTexts; ++k)
        out += texts[k] + "\r\n";
    return out;
}

std::string paramFileContent(const Module1& m)
{
    return paramFileContent(m.FileParams, m.FileMenuTexts);
}

}  // namespace tq
