#include "trace/trace_frames.h"

#include <algorithm>
#include <limits>

#include "trace/trace_decoder.h"

namespace tq {

TraceFrames::Change TraceFrames::update()
{
    Change change;
    if (m_trace.session() != m_session) {
        m_session = m_trace.session();
        m_frames.clear();
        m_nextEntry = m_trace.firstEntry();
        m_haveLast = false;
        m_request = 0;
        m_answerBytes = 0;
        change.reset = true;
    }
    dropGone(change);
    const std::size_t held = m_frames.size();
    // m_nextEntry moves with the loop, so that the last frame always ends where the scan is.
    for (; m_nextEntry < m_trace.endEntry(); ++m_nextEntry) {
        const std::uint64_t entry = m_nextEntry;
        const LineDirection direction = m_trace.direction(entry);
        const std::int64_t us = m_trace.timeUs(entry);
        const bool continues = m_haveLast && direction == m_lastDirection && us - m_lastUs <= kFramePauseUs;
        if (continues) {
            change.lastGrew = change.lastGrew || m_frames.size() == held;
        } else {
            startFrame(entry, direction);
        }
        const std::size_t size = m_trace.size(entry);
        Frame& last = m_frames.back();
        last.bytes = static_cast<std::uint32_t>(last.bytes + size);
        if (direction == LineDirection::Received)
            m_answerBytes += size;
        m_haveLast = true;
        m_lastDirection = direction;
        m_lastUs = us;
    }
    change.added = m_frames.size() - held;
    return change;
}

void TraceFrames::dropGone(Change& change)
{
    const std::uint64_t first = m_trace.firstEntry();
    if (m_nextEntry <= first) {
        // Everything held is gone, and perhaps entries never seen: start afresh at the oldest.
        change.dropped += m_frames.size();
        m_frames.clear();
        m_nextEntry = first;
        m_haveLast = false;
        return;
    }
    while (m_frames.size() >= 2 && m_frames[1].firstEntry <= first) {
        m_frames.pop_front();
        ++change.dropped;
    }
    if (!m_frames.empty() && m_frames.front().firstEntry < first) {
        // The oldest frame lost its first entries: it keeps the rest.
        Frame& oldest = m_frames.front();
        oldest.firstEntry = first;
        std::size_t bytes = 0;
        for (std::uint64_t entry = first; entry < endEntry(0); ++entry)
            bytes += m_trace.size(entry);
        oldest.bytes = static_cast<std::uint32_t>(bytes);
    }
}

void TraceFrames::startFrame(std::uint64_t entry, LineDirection direction)
{
    if (direction == LineDirection::Received && m_haveLast && m_lastDirection == LineDirection::Sent) {
        // A new answer: to the last command the tool sent.
        m_request = lastCommand(bytes(m_frames.size() - 1));
        m_answerBytes = 0;
    }
    char command = m_request;
    if (direction == LineDirection::Sent) {
        std::string first;
        m_trace.appendBytes(entry, first, 1);
        command = first.front();
    }
    constexpr std::size_t kMaxOffset = std::numeric_limits<std::uint16_t>::max();
    m_frames.push_back(Frame{entry, 0, static_cast<std::uint16_t>(std::min(m_answerBytes, kMaxOffset)), command,
                             direction});
}

std::uint64_t TraceFrames::endEntry(std::size_t frame) const
{
    return frame + 1 < m_frames.size() ? m_frames[frame + 1].firstEntry : m_nextEntry;
}

std::int64_t TraceFrames::timeUs(std::size_t frame) const
{
    return m_trace.timeUs(m_frames[frame].firstEntry);
}

std::string TraceFrames::bytes(std::size_t frame, std::size_t limit) const
{
    std::string out;
    out.reserve(std::min<std::size_t>(m_frames[frame].bytes, limit));
    for (std::uint64_t entry = m_frames[frame].firstEntry; entry < endEntry(frame) && out.size() < limit; ++entry)
        m_trace.appendBytes(entry, out, limit - out.size());
    return out;
}

std::string TraceFrames::earlierAnswer(std::size_t frame) const
{
    std::string earlier;
    std::size_t wanted = m_frames[frame].answerOffset;
    for (std::size_t i = frame; wanted > 0 && i-- > 0 && direction(i) == LineDirection::Received;) {
        earlier.insert(0, bytes(i));
        wanted -= std::min(wanted, byteCount(i));
    }
    return earlier;
}

std::string TraceFrames::describe(std::size_t frame) const
{
    const std::string own = bytes(frame);
    if (direction(frame) == LineDirection::Sent)
        return describeSent(own);
    const std::size_t offset = m_frames[frame].answerOffset;
    const std::string earlier = offset <= kAnswerContextBytes ? earlierAnswer(frame) : std::string();
    return describeAnswer(command(frame), offset, earlier, own);
}

TraceFrame TraceFrames::frame(std::size_t frame) const
{
    return TraceFrame{timeUs(frame), direction(frame), bytes(frame)};
}

}  // namespace tq
