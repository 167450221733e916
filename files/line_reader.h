#pragma once
// Reads a byte file line by line. CR LF, LF and a lone CR each end a line. A line is never held
// beyond its maximum length (kMaxLineLength unless given), so a huge file of one line is refused
// after reading that much.

#include <QByteArray>

#include <string>

class QIODevice;

namespace tq {

constexpr qsizetype kMaxLineLength = 65536;

class LineReader {
public:
    enum class Status { Line, End, TooLong, Error };

    explicit LineReader(QIODevice& device, qsizetype maxLength = kMaxLineLength)
        : m_device(device), m_maxLength(maxLength)
    {
    }

    // The next line without its line end; End once nothing is left to read.
    Status next(std::string& line);
    // True once nothing follows the last line read.
    bool atEnd();

private:
    bool fill();
    void skipPendingLf();

    QIODevice& m_device;
    qsizetype m_maxLength;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    bool m_failed = false;
    bool m_pendingLf = false;  // the last line ended with CR: an LF right after it belongs to it
};

}  // namespace tq
