#pragma once
// The line trace: every byte the tool wrote to the port and every byte it read from it, one entry
// per write or read, with its direction and the microseconds since the port was opened. It is a
// ring of kCapacityBytes bytes of the line: when a new entry does not fit, the oldest entries go
// first, whole. Every entry holds at least one byte, so the entries are bounded too: 8 bytes each,
// at most 36 MiB in all for a ring full of single-byte entries.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

enum class LineDirection : std::uint8_t {
    Sent,      // from the tool to the controller
    Received,  // from the controller to the tool
};

// Where a trace comes from, for the heading of a saved trace (Latin-1 texts; empty: not known,
// as in a trace saved before headings named it).
struct TraceOrigin {
    std::string connected;  // the local date and time the port was opened, "07/12/2026 15:30:12"
    std::string port;       // "Com.3 /dev/ttyUSB0"
    std::string recorder;   // the program and its version, "tq310-test 12.13"

    bool operator==(const TraceOrigin&) const = default;
};

class LineTrace {
public:
    static constexpr std::size_t kCapacityBytes = 4 * 1024 * 1024;
    // Times saturate after 2^40 µs, twelve days of one connection.
    static constexpr std::int64_t kMaxTimeUs = (std::int64_t(1) << 40) - 1;

    // Nanoseconds of a monotonic clock; the steady clock when not given (tests pass their own).
    using Clock = std::function<std::int64_t()>;

    // A capacity of at most kCapacityBytes (smaller ones are for tests).
    explicit LineTrace(std::size_t capacityBytes = kCapacityBytes, Clock clock = {});

    // The port was opened: the trace empties and times count from now.
    void restart(TraceOrigin origin = {});
    const TraceOrigin& origin() const { return m_origin; }
    // Bytes that went over the line just now.
    void record(LineDirection direction, std::string_view bytes);
    // Bytes at a given time, for a trace read back from a file; times never go back.
    void recordAt(LineDirection direction, std::int64_t us, std::string_view bytes);

    // Entries are numbered from 0 at every restart; [firstEntry, endEntry) are still held.
    std::uint64_t firstEntry() const { return m_firstEntry; }
    std::uint64_t endEntry() const { return m_firstEntry + m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // Changes at every restart, so that a reader knows its numbers no longer hold.
    std::uint64_t session() const { return m_session; }

    std::int64_t timeUs(std::uint64_t entry) const;
    LineDirection direction(std::uint64_t entry) const;
    std::size_t size(std::uint64_t entry) const;
    // Appends the entry's bytes to out, at most limit of them.
    void appendBytes(std::uint64_t entry, std::string& out, std::size_t limit = SIZE_MAX) const;

    std::size_t byteCount() const { return static_cast<std::size_t>(m_byteEnd - m_byteBegin); }
    std::size_t capacity() const { return m_capacity; }

private:
    // Bits 0-22: where the entry's bytes start, as an absolute byte count modulo 2^23 (the ring
    // never spans more than 2^22 bytes, so this is unambiguous); bit 23: the direction;
    // bits 24-63: the time in µs.
    using Packed = std::uint64_t;
    static constexpr int kStartBits = 23;
    static constexpr std::uint64_t kStartMask = (std::uint64_t(1) << kStartBits) - 1;

    const Packed& packed(std::uint64_t entry) const;
    std::uint64_t start(std::uint64_t entry) const;
    std::uint64_t end(std::uint64_t entry) const;
    void dropOldest();
    void copyIn(std::string_view bytes);

    std::size_t m_capacity;
    Clock m_clock;
    std::int64_t m_originNs = 0;
    std::int64_t m_lastUs = 0;
    std::unique_ptr<char[]> m_ring;  // allocated at the first record
    std::uint64_t m_byteBegin = 0;  // absolute count of the oldest byte held
    std::uint64_t m_byteEnd = 0;    // absolute count one past the newest
    std::deque<Packed> m_entries;
    std::uint64_t m_firstEntry = 0;
    std::uint64_t m_session = 0;
    TraceOrigin m_origin;
};

}  // namespace tq
