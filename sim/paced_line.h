#pragma once
// The serial line between the tool and the controller at 9600 baud, 8N1: every byte takes ten
// bit times, 1.0417 ms, in either direction. Bytes the tool writes reach the controller one after
// another; each answer leaves as soon as the line back is free and is waiting at the tool's end
// only once its last bit is in. Times are nanoseconds of any monotonic clock.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/controller_model.h"

namespace tq::sim {

constexpr std::int64_t kByteNs = 10'000'000'000 / 9600;  // 1 041 666 ns

class PacedLine {
public:
    // What the far end answers to the bytes that reached it at nowMs.
    using Answer = std::function<std::string(std::string_view bytes, std::int64_t nowMs)>;

    explicit PacedLine(ControllerModel& model)
        : m_answer([&model](std::string_view bytes, std::int64_t nowMs) { return model.receive(bytes, nowMs); })
    {
    }
    explicit PacedLine(Answer answer) : m_answer(std::move(answer)) {}

    // Bytes the tool wrote at nowNs.
    void fromTool(std::string_view bytes, std::int64_t nowNs);
    // Answer bytes that have arrived by nowNs, removed from the line.
    std::string takeArrived(std::int64_t nowNs);
    int arrivedCount(std::int64_t nowNs) const;
    // When the next answer byte will have arrived; nothing when no answer is under way.
    std::optional<std::int64_t> nextArrival() const;
    // Everything in flight is lost (the line was closed).
    void clear();

private:
    struct InFlight {
        std::int64_t arrivesNs;
        char byte;
    };

    Answer m_answer;
    std::int64_t m_toControllerFree = 0;
    std::int64_t m_toToolFree = 0;
    std::deque<InFlight> m_inFlight;
};

}  // namespace tq::sim
