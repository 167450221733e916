// The parameter-file reader on arbitrary bytes. Every input is opened twice, once from a buffer
// and once from a device that hands out a few bytes per read (as a pipe or a network share may),
// and both opens must leave exactly what the file's lines say:
// - a refused file keeps the values read before the failing line, the rest untouched, and the
//   message ends with the last line read (the version note, or nothing before any line);
// - an accepted file, saved and opened again into a different working copy, gives the same
//   54 parameters and 12 menu texts.
// Each parameter line read is also held against a plain floating-point reading of the number at
// its start, wherever that number is not within a hair of a half.

#include <QBuffer>
#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/line_reader.h"
#include "files/param_file.h"
#include "target.h"

namespace {

using tq::Module1;

// A device that never gives more than `step` bytes per read.
class TrickleDevice : public QIODevice {
public:
    TrickleDevice(const QByteArray& data, qint64 step) : m_data(data), m_step(step) {}

protected:
    qint64 readData(char* to, qint64 max) override
    {
        const qint64 n = std::min({max, m_step, qint64(m_data.size()) - m_pos});
        std::copy_n(m_data.constData() + m_pos, n, to);
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_step;
    qint64 m_pos = 0;
};

// The lines of a file: CR LF, LF and a lone CR each end one; bytes after the last end are a line.
std::vector<std::string> linesOf(std::string_view data)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t end = std::min(data.find_first_of("\r\n", at), data.size());
        lines.emplace_back(data.substr(at, end - at));
        at = end + (data.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

struct Outcome {
    std::optional<std::string> message;  // nothing: accepted
    Module1 m;
};

// What opening a file of these lines must give, starting from `before`.
Outcome expected(const std::vector<std::string>& lines, const Module1& before)
{
    // A line beyond the cap is refused when it is reached, as if the file ended before it.
    std::size_t readable = 0;
    while (readable < lines.size() && lines[readable].size() <= std::size_t(tq::kMaxLineLength))
        ++readable;
    const bool cutShort = readable < lines.size();

    Outcome out{std::nullopt, before};
    const auto refuse = [&out](const std::string& detail) {
        out.message = std::string(tq::kOpenFailure) + detail;
        return out;
    };
    if (readable == 0)
        return refuse("");
    if (lines[0] != tq::kFileVersion)
        return refuse(tq::kWrongVersion);
    for (std::size_t i = 1; i <= std::size_t(tq::kParamCount); ++i) {
        if (i >= readable)
            return refuse(lines[i - 1]);
        const auto value = tq::parameterValue(lines[i]);
        if (!value)
            return refuse(lines[i]);
        out.m.FileParams[i - 1] = *value;
    }
    const std::size_t first = tq::kParamCount + 1;
    const std::size_t texts = readable - std::min(readable, first);
    for (std::size_t k = 0; k < texts && k < std::size_t(tq::kMenuTextSlots); ++k)
        out.m.FileMenuTexts[k] = lines[first + k];
    if (texts > std::size_t(tq::kMenuTextSlots))
        return refuse(lines[first + tq::kMenuTextSlots]);
    if (texts == 0 || cutShort)
        return refuse(lines[readable - 1]);
    return out;
}

Outcome open(QIODevice& device, const Module1& before)
{
    Outcome out{std::nullopt, before};
    FUZZ_CHECK(device.open(QIODevice::ReadOnly));
    out.message = tq::readParamFile(out.m, device);
    return out;
}

// The number at the start of a parameter line read as a double: blanks and tabs, a sign, digits,
// a point and digits; no number reads as 0.
double plainReading(std::string_view line)
{
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string_view::npos)
        return 0;
    std::string number;
    if (line[i] == '+' || line[i] == '-')
        number += line[i++];
    while (i < line.size() && ((line[i] >= '0' && line[i] <= '9') || line[i] == '.')) {
        if (line[i] == '.' && number.find('.') != std::string::npos)
            break;
        number += line[i++];
    }
    return std::strtod(number.c_str(), nullptr);
}

void checkNumber(const std::string& line)
{
    const double x = plainReading(line);
    if (std::abs(std::abs(x - std::trunc(x)) - 0.5) < 1e-6)
        return;  // a half, or near enough that a double cannot tell
    const double rounded = std::round(x);
    const auto value = tq::parameterValue(line);
    if (rounded < 0 || rounded > 255)
        FUZZ_CHECK(!value);
    else
        FUZZ_CHECK(value && *value == rounded);
}

Module1 workingCopy(std::uint8_t seed, const char* textPrefix)
{
    Module1 m;
    for (int i = 0; i < tq::kRecordSize; ++i)
        m.FileParams[i] = static_cast<std::uint8_t>(i * 37 + seed);
    for (int k = 0; k < tq::kMenuTextSlots; ++k)
        m.FileMenuTexts[k] = textPrefix + std::to_string(k);
    m.CurrentFileName = "prima.ini";
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<std::string> lines = linesOf(std::string_view(bytes.constData(), size));
    const Module1 before = workingCopy(11, "PRIMA ");
    const Outcome want = expected(lines, before);

    QBuffer whole;
    whole.setData(bytes);
    TrickleDevice trickle(bytes, 1 + qint64(size % 13));
    for (QIODevice* device : {static_cast<QIODevice*>(&whole), static_cast<QIODevice*>(&trickle)}) {
        const Outcome got = open(*device, before);
        FUZZ_CHECK(got.message == want.message && got.m.FileParams == want.m.FileParams);
        FUZZ_CHECK(got.m.FileMenuTexts == want.m.FileMenuTexts && got.m.CurrentFileName == want.m.CurrentFileName);
    }

    for (std::size_t i = 1; i < lines.size() && i <= std::size_t(tq::kParamCount); ++i)
        if (lines[i].size() <= std::size_t(tq::kMaxLineLength))
            checkNumber(lines[i]);

    if (want.message)
        return 0;
    const std::string saved = tq::paramFileContent(want.m);
    FUZZ_CHECK(linesOf(saved).size() == std::size_t(1 + tq::kParamCount + tq::kSavedTexts));
    QBuffer again;
    again.setData(QByteArray::fromStdString(saved));
    const Outcome reread = open(again, workingCopy(200, "DOPO "));
    FUZZ_CHECK(!reread.message);
    FUZZ_CHECK(std::equal(want.m.FileParams.begin(), want.m.FileParams.begin() + tq::kParamCount,
                          reread.m.FileParams.begin()));
    FUZZ_CHECK(std::equal(want.m.FileMenuTexts.begin(), want.m.FileMenuTexts.begin() + tq::kSavedTexts,
                          reread.m.FileMenuTexts.begin()));
    return 0;
}
