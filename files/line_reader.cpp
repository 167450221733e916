#include "files/line_reader.h"

#include <QIODevice>

namespace tq {

namespace {
constexpr qint64 kChunk = 16384;
}

bool LineReader::fill()
{
    if (m_failed)
        return false;
    m_chunk.resize(kChunk);
    const qint64 got = m_device.read(m_chunk.data(), kChunk);
    if (got < 0)
        m_failed = true;
    m_chunk.resize(got > 0 ? got : 0);
    m_pos = 0;
    return got > 0;
}

void LineReader::skipPendingLf()
{
    if (!m_pendingLf)
        return;
    if (m_pos < m_chunk.size() || fill()) {
        if (m_chunk[m_pos] == '\n')
            ++m_pos;
        m_pendingLf = false;
    }
}

LineReader::Status LineReader::next(std::string& line)
{
    line.clear();
    skipPendingLf();
    bool any = false;
    for (;;) {
        if (m_pos == m_chunk.size() && !fill()) {
            if (m_failed)
                return Status::Error;
            return any ? Status::Line : Status::End;
        }
        any = true;
        qsizetype end = m_pos;
        while (end < m_chunk.size() && m_chunk[end] != '\r' && m_chunk[end] != '\n')
            ++end;
        if (qsizetype(line.size()) + (end - m_pos) > m_maxLength)
            return Status::TooLong;
        line.append(m_chunk.constData() + m_pos, std::size_t(end - m_pos));
        m_pos = end;
        if (end < m_chunk.size()) {
            m_pendingLf = m_chunk[end] == '\r';
            ++m_pos;
            return Status::Line;
        }
    }
}

bool LineReader::atEnd()
{
    skipPendingLf();
    // A read error is not the end: the next read reports it.
    return m_pos == m_chunk.size() && !fill() && !m_failed;
}

}  // namespace tq
