#include "trace/line_trace.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstring>
#include <utility>

namespace tq {

namespace {

std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

LineTrace::LineTrace(std::size_t capacityBytes, Clock clock)
    : m_capacity(std::clamp<std::size_t>(capacityBytes, 1, kCapacityBytes)),
      m_clock(clock ? std::move(clock) : Clock(steadyNs))
{
    static_assert(kCapacityBytes <= (std::size_t(1) << (kStartBits - 1)));
    m_originNs = m_clock();
}

void LineTrace::restart(TraceOrigin origin)
{
    m_origin = std::move(origin);
    m_entries.clear();
    m_firstEntry = 0;
    m_byteBegin = m_byteEnd = 0;
    m_lastUs = 0;
    ++m_session;
    m_originNs = m_clock();
}

void LineTrace::record(LineDirection direction, std::string_view bytes)
{
    recordAt(direction, (m_clock() - m_originNs) / 1000, bytes);
}

void LineTrace::recordAt(LineDirection direction, std::int64_t us, std::string_view bytes)
{
    if (bytes.empty())
        return;
    // Left unwritten: the system gives the ring's pages as bytes are recorded into them, so that
    // a trace of a quiet line holds little of its 4 MiB (zeroed, all of it would be resident).
    if (!m_ring)
        m_ring.reset(new char[m_capacity]);
    // An entry longer than the whole ring keeps its newest bytes.
    if (bytes.size() > m_capacity)
        bytes.remove_prefix(bytes.size() - m_capacity);
    while (byteCount() + bytes.size() > m_capacity)
        dropOldest();
    m_lastUs = std::clamp(us, m_lastUs, kMaxTimeUs);
    m_entries.push_back((static_cast<Packed>(m_lastUs) << (kStartBits + 1))
                        | (direction == LineDirection::Received ? Packed(1) << kStartBits : 0)
                        | (m_byteEnd & kStartMask));
    copyIn(bytes);
}

void LineTrace::copyIn(std::string_view bytes)
{
    const std::size_t at = static_cast<std::size_t>(m_byteEnd % m_capacity);
    const std::size_t first = std::min(bytes.size(), m_capacity - at);
    std::memcpy(m_ring.get() + at, bytes.data(), first);
    std::memcpy(m_ring.get(), bytes.data() + first, bytes.size() - first);
    m_byteEnd += bytes.size();
}

void LineTrace::dropOldest()
{
    assert(!m_entries.empty());
    m_byteBegin = end(m_firstEntry);
    m_entries.pop_front();
    ++m_firstEntry;
}

const LineTrace::Packed& LineTrace::packed(std::uint64_t entry) const
{
    assert(entry >= m_firstEntry && entry < endEntry());
    return m_entries[static_cast<std::size_t>(entry - m_firstEntry)];
}

std::uint64_t LineTrace::start(std::uint64_t entry) const
{
    return m_byteBegin + (((packed(entry) & kStartMask) - m_byteBegin) & kStartMask);
}

std::uint64_t LineTrace::end(std::uint64_t entry) const
{
    return entry + 1 < endEntry() ? start(entry + 1) : m_byteEnd;
}

std::int64_t LineTrace::timeUs(std::uint64_t entry) const
{
    return static_cast<std::int64_t>(packed(entry) >> (kStartBits + 1));
}

LineDirection LineTrace::direction(std::uint64_t entry) const
{
    return (packed(entry) >> kStartBits) & 1 ? LineDirection::Received : LineDirection::Sent;
}

std::size_t LineTrace::size(std::uint64_t entry) const
{
    return static_cast<std::size_t>(end(entry) - start(entry));
}

void LineTrace::appendBytes(std::uint64_t entry, std::string& out, std::size_t limit) const
{
    const std::uint64_t from = start(entry);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(end(entry) - from), limit);
    const std::size_t at = static_cast<std::size_t>(from % m_capacity);
    const std::size_t first = std::min(count, m_capacity - at);
    out.append(m_ring.get() + at, first);
    out.append(m_ring.get(), count - first);
}

}  // namespace tq
