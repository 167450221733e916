#include "trace/trace_file.h"

#include <QFile>

#include <cstdio>

namespace tq {

namespace {

constexpr const char* kHeading =
    "# tq310-test: registro della linea\r\n"
    "# tempo in secondi dall'apertura della porta; TX dal PC al TQ310, RX dal TQ310 al PC\r\n"
    "#      tempo  dir byte (esadecimale) | decodifica\r\n";

constexpr std::string_view kSent = "TX";
constexpr std::string_view kReceived = "RX";
constexpr std::string_view kDecodedMark = " | ";

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads one line into frame, or says what is wrong with it.
std::optional<std::string> parseLine(std::string_view line, TraceFrame& frame)
{
    std::size_t i = 0;
    auto skipBlanks = [&] {
        const std::size_t from = i;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        return i > from;
    };
    skipBlanks();

    std::int64_t seconds = 0;
    const std::size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i - digits < 12)
        seconds = seconds * 10 + (line[i++] - '0');
    if (i == digits || i >= line.size() || line[i] != '.')
        return "tempo non valido";
    ++i;
    std::int64_t micro = 0;
    for (int d = 0; d < 6; ++d, ++i) {
        if (i >= line.size() || line[i] < '0' || line[i] > '9')
            return "tempo non valido (servono sei decimali)";
        micro = micro * 10 + (line[i] - '0');
    }
    frame.us = seconds * 1'000'000 + micro;

    if (!skipBlanks())
        return "tempo non valido";
    const std::string_view direction = line.substr(i, 2);
    if (direction == kSent)
        frame.direction = LineDirection::Sent;
    else if (direction == kReceived)
        frame.direction = LineDirection::Received;
    else
        return "direzione non valida (TX o RX)";
    i += 2;

    frame.bytes.clear();
    while (skipBlanks() && i < line.size() && line[i] != '|') {
        const int high = hexDigit(line[i]);
        const int low = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
        if (high < 0 || low < 0 || (i + 2 < line.size() && !isBlank(line[i + 2])))
            return "byte non valido (due cifre esadecimali)";
        frame.bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (i < line.size() && line[i] != '|')
        return "byte non valido (due cifre esadecimali)";
    if (frame.bytes.empty())
        return "nessun byte";
    return std::nullopt;
}

}  // namespace

std::string traceLine(const TraceFrame& frame, std::string_view decoded)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    char time[32];
    std::snprintf(time, sizeof time, "%12lld.%06lld", static_cast<long long>(frame.us / 1'000'000),
                  static_cast<long long>(frame.us % 1'000'000));
    std::string line = time;
    line += "  ";
    line += frame.direction == LineDirection::Sent ? kSent : kReceived;
    line.reserve(line.size() + 3 * frame.bytes.size() + kDecodedMark.size() + decoded.size());
    for (char c : frame.bytes) {
        const auto b = static_cast<unsigned char>(c);
        line += ' ';
        line += digits[b >> 4];
        line += digits[b & 0xF];
    }
    line += kDecodedMark;
    line += decoded;
    return line;
}

std::string traceText(const TraceFrames& frames)
{
    std::string text = kHeading;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        text += traceLine(frames.frame(i), frames.describe(i));
        text += "\r\n";
    }
    return text;
}

std::optional<std::vector<TraceFrame>> parseTraceText(std::string_view text, QString* error)
{
    std::vector<TraceFrame> frames;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#')
            continue;
        TraceFrame frame;
        std::optional<std::string> wrong = parseLine(line, frame);
        if (!wrong && !frames.empty() && frame.us < frames.back().us)
            wrong = "il tempo torna indietro";
        if (wrong) {
            if (error)
                *error = QStringLiteral("riga %1: %2").arg(number).arg(QString::fromLatin1(wrong->c_str()));
            return std::nullopt;
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::optional<std::vector<TraceFrame>> readTraceFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    const QByteArray all = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return parseTraceText(std::string_view(all.constData(), static_cast<std::size_t>(all.size())), error);
}

SaveStatus saveTrace(const QString& path, const TraceFrames& frames)
{
    return saveBytes(path, traceText(frames));
}

void loadTrace(LineTrace& trace, const std::vector<TraceFrame>& frames)
{
    trace.restart();
    for (const TraceFrame& frame : frames)
        trace.recordAt(frame.direction, frame.us, frame.bytes);
}

}  // namespace tq
