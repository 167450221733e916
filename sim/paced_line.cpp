#include "sim/paced_line.h"

#include <algorithm>

namespace tq::sim {

void PacedLine::fromTool(std::string_view bytes, std::int64_t nowNs)
{
    for (char c : bytes) {
        const std::int64_t received = std::max(nowNs, m_toControllerFree) + kByteNs;
        m_toControllerFree = received;
        const std::string answer = m_answer(std::string_view(&c, 1), received / 1'000'000);
        for (char a : answer) {
            const std::int64_t arrives = std::max(received, m_toToolFree) + kByteNs;
            m_toToolFree = arrives;
            m_inFlight.push_back({arrives, a});
        }
    }
}

std::string PacedLine::takeArrived(std::int64_t nowNs)
{
    std::string out;
    while (!m_inFlight.empty() && m_inFlight.front().arrivesNs <= nowNs) {
        out += m_inFlight.front().byte;
        m_inFlight.pop_front();
    }
    return out;
}

int PacedLine::arrivedCount(std::int64_t nowNs) const
{
    const auto firstLater = std::find_if(m_inFlight.begin(), m_inFlight.end(), [nowNs](const InFlight& b) {
        return b.arrivesNs > nowNs;
    });
    return static_cast<int>(firstLater - m_inFlight.begin());
}

std::optional<std::int64_t> PacedLine::nextArrival() const
{
    if (m_inFlight.empty())
        return std::nullopt;
    return m_inFlight.front().arrivesNs;
}

void PacedLine::clear()
{
    m_inFlight.clear();
}

}  // namespace tq::sim
