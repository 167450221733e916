#include "sim/trace_replay.h"

#include <optional>
#include <utility>

namespace tq::sim {

TraceReplay::TraceReplay(const std::vector<TraceFrame>& frames, ControllerModel& fallback) : m_model(fallback)
{
    std::string* answer = nullptr;  // of the last command the tool sent
    for (const TraceFrame& frame : frames) {
        if (frame.direction == LineDirection::Received) {
            if (answer)
                *answer += frame.bytes;
            continue;
        }
        for (const std::string& command : splitCommands(frame.bytes))
            answer = &m_answers[command].answers.emplace_back();
    }
}

std::size_t TraceReplay::answerCount() const
{
    std::size_t count = 0;
    for (const auto& [command, recorded] : m_answers)
        count += recorded.answers.size();
    return count;
}

std::string TraceReplay::receive(std::string_view bytes, std::int64_t nowMs)
{
    std::string out;
    for (char c : bytes) {
        // A command whose data stopped coming is dropped, as the controller drops it.
        if (!m_splitter.pending().empty() && nowMs - m_lastByteMs > kFrameTimeoutMs) {
            m_splitter.reset();
            out += std::exchange(m_modelAnswer, {});
        }
        m_lastByteMs = nowMs;
        m_modelAnswer += m_model.receive(std::string_view(&c, 1), nowMs);
        const std::optional<std::string> command = m_splitter.push(c);
        if (!command)
            continue;
        const auto recorded = m_answers.find(*command);
        if (recorded == m_answers.end() || m_model.fault() != Fault::None) {
            out += std::exchange(m_modelAnswer, {});
            continue;
        }
        Recorded& r = recorded->second;
        out += r.answers[r.next];
        r.next = (r.next + 1) % r.answers.size();
        m_modelAnswer.clear();
    }
    return out;
}

}  // namespace tq::sim
