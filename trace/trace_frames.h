#pragma once
// The trace as a reader sees it: frames, each a run of entries in one direction with no pause
// longer than kFramePauseUs between them, and for each frame what it means. A frame the
// controller sent answers the last command of the frame the tool sent before it; an answer that
// came in several frames is decoded where it is complete.
//
// TraceFrames follows a live LineTrace: update() takes in what was recorded since the last call
// and lets go of the frames the ring has dropped.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "trace/line_trace.h"

namespace tq {

// Longer than the 16 ms a USB serial adapter may hold received bytes back, shorter than the
// fastest request cycle of the receive engine (one 50 ms tick).
inline constexpr std::int64_t kFramePauseUs = 40'000;

// One frame, as a saved trace holds it.
struct TraceFrame {
    std::int64_t us = 0;
    LineDirection direction = LineDirection::Sent;
    std::string bytes;

    bool operator==(const TraceFrame&) const = default;
};

class TraceFrames {
public:
    explicit TraceFrames(const LineTrace& trace) : m_trace(trace) {}

    const LineTrace& trace() const { return m_trace; }

    struct Change {
        bool reset = false;       // the trace restarted: every earlier frame is gone
        std::size_t dropped = 0;  // frames gone from the front
        bool lastGrew = false;    // the last frame held before took more bytes
        std::size_t added = 0;    // frames added at the end
    };
    Change update();

    std::size_t size() const { return m_frames.size(); }
    std::int64_t timeUs(std::size_t frame) const;
    LineDirection direction(std::size_t frame) const { return m_frames[frame].direction; }
    std::size_t byteCount(std::size_t frame) const { return m_frames[frame].bytes; }
    // The frame's bytes, at most limit of them.
    std::string bytes(std::size_t frame, std::size_t limit = SIZE_MAX) const;
    // The command a frame belongs to: its first command when the tool sent it (also after the
    // ring dropped its first bytes), the command it answers when the controller sent it (0: none
    // was sent yet).
    char command(std::size_t frame) const { return m_frames[frame].command; }
    // The decoded line.
    std::string describe(std::size_t frame) const;

    TraceFrame frame(std::size_t frame) const;

private:
    struct Frame {
        std::uint64_t firstEntry;
        std::uint32_t bytes;
        std::uint16_t answerOffset;  // saturates: past the longest answer only "beyond" matters
        char command;
        LineDirection direction;
    };

    std::uint64_t endEntry(std::size_t frame) const;
    void dropGone(Change& change);
    void startFrame(std::uint64_t entry, LineDirection direction);
    std::string earlierAnswer(std::size_t frame) const;

    const LineTrace& m_trace;
    std::deque<Frame> m_frames;
    std::uint64_t m_session = 0;
    std::uint64_t m_nextEntry = 0;
    bool m_haveLast = false;
    LineDirection m_lastDirection = LineDirection::Sent;
    std::int64_t m_lastUs = 0;
    char m_request = 0;
    std::size_t m_answerBytes = 0;
};

}  // namespace tq
