#include "trace/trace_file.h"

#include <QBuffer>
#include <QFile>

#include <cstdio>
#include <utility>

#include "files/line_reader.h"
#include "files/system_file.h"

namespace tq {

namespace {

constexpr const char* kTitle = "# tq310-test: registro della linea\r\n";
constexpr const char* kColumns =
    "# tempo in secondi dall'apertura della porta; TX dal PC al TQ310, RX dal TQ310 al PC\r\n"
    "#      tempo  dir byte (esadecimale) | decodifica\r\n";
constexpr std::string_view kConnectedMark = "# connessione: ";
constexpr std::string_view kPortMark = ", porta ";
constexpr std::string_view kRecorderMark = "# registrato da: ";

// The longest line of a frame: a ring's worth of bytes in hexadecimal, and room for the time and
// the decoded text.
constexpr qsizetype kMaxTraceLine = 3 * qsizetype(LineTrace::kCapacityBytes) + 65536;

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

// A comment line of the heading that names the origin, into origin.
void readHeading(std::string_view line, TraceOrigin& origin)
{
    if (line.substr(0, kConnectedMark.size()) == kConnectedMark) {
        line.remove_prefix(kConnectedMark.size());
        const std::size_t port = line.find(kPortMark);
        origin.connected = line.substr(0, port);
        origin.port = port == std::string_view::npos ? std::string() : std::string(line.substr(port + kPortMark.size()));
    } else if (line.substr(0, kRecorderMark.size()) == kRecorderMark) {
        origin.recorder = line.substr(kRecorderMark.size());
    }
}

std::optional<std::vector<TraceFrame>> collect(QIODevice& device, QString* error)
{
    std::vector<TraceFrame> frames;
    if (!readTrace(device, [&frames](TraceFrame&& frame) { frames.push_back(std::move(frame)); }, nullptr, error))
        return std::nullopt;
    return frames;
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
    const TraceOrigin& origin = frames.trace().origin();
    std::string text = kTitle;
    if (!origin.connected.empty() || !origin.port.empty()) {
        text += std::string(kConnectedMark) + origin.connected;
        if (!origin.port.empty())
            text += std::string(kPortMark) + origin.port;
        text += "\r\n";
    }
    if (!origin.recorder.empty())
        text += std::string(kRecorderMark) + origin.recorder + "\r\n";
    text += kColumns;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        text += traceLine(frames.frame(i), frames.describe(i));
        text += "\r\n";
    }
    return text;
}

bool readTrace(QIODevice& device, const std::function<void(TraceFrame&&)>& take, TraceOrigin* origin, QString* error)
{
    LineReader reader(device, kMaxTraceLine);
    std::string line;
    std::size_t number = 0;
    std::optional<std::int64_t> lastUs;
    const auto wrong = [&number, error](const char* why) {
        if (error)
            *error = QStringLiteral("riga %1: %2").arg(number).arg(QString::fromLatin1(why));
        return false;
    };
    for (;;) {
        const LineReader::Status status = reader.next(line);
        if (status == LineReader::Status::End)
            return true;
        ++number;
        if (status == LineReader::Status::TooLong)
            return wrong("troppo lunga");
        if (status == LineReader::Status::Error) {
            if (error)
                *error = device.errorString();
            return false;
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        if (line[first] == '#') {
            if (origin)
                readHeading(line, *origin);
            continue;
        }
        TraceFrame frame;
        std::optional<std::string> why = parseLine(line, frame);
        if (!why && lastUs && frame.us < *lastUs)
            why = "il tempo torna indietro";
        if (why)
            return wrong(why->c_str());
        lastUs = frame.us;
        take(std::move(frame));
    }
}

std::optional<std::vector<TraceFrame>> parseTraceText(std::string_view text, QString* error)
{
    QByteArray bytes = QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return collect(buffer, error);
}

std::optional<std::vector<TraceFrame>> readTraceFile(const QString& path, QString* error)
{
    QFile file;
    if (!openRegularFile(file, path, error))
        return std::nullopt;
    return collect(file, error);
}

std::optional<std::size_t> loadTraceFile(LineTrace& trace, const QString& path, QString* error)
{
    QFile file;
    if (!openRegularFile(file, path, error))
        return std::nullopt;
    // The heading comes before the frames: the trace restarts with its origin at the first frame.
    TraceOrigin origin;
    bool started = false;
    const auto take = [&](TraceFrame&& frame) {
        if (!std::exchange(started, true))
            trace.restart(origin);
        trace.recordAt(frame.direction, frame.us, frame.bytes);
    };
    if (!readTrace(file, take, &origin, error))
        return std::nullopt;
    if (!started)
        trace.restart(origin);
    // Each frame of the file is one entry of the trace, and the ring drops whole entries.
    return static_cast<std::size_t>(trace.firstEntry());
}

SaveStatus saveTrace(const QString& path, const TraceFrames& frames, QString* reason)
{
    return saveBytes(path, traceText(frames), reason);
}

}  // namespace tq
