#pragma once
// What every fuzz target shares: FUZZ_CHECK, a property that must hold, and the byte program that
// most of them read their input as.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tq::fuzz {

// A property that does not hold: say which, and stop, so that libFuzzer keeps the input as a
// finding and the replay of a saved finding fails.
[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

// A fuzz input read as a program: small numbers and byte strings taken from the front, in the
// order the target asks for them. An exhausted input reads as zeros and empty strings, so every
// input is a valid program and a mutation anywhere changes only what follows it.
class ByteProgram {
public:
    ByteProgram(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool done() const { return m_pos >= m_size; }

    std::uint8_t byte() { return done() ? 0 : m_data[m_pos++]; }

    // 0 .. count - 1.
    unsigned below(unsigned count) { return count == 0 ? 0 : byte() % count; }

    std::uint16_t word()
    {
        const unsigned high = byte();
        return static_cast<std::uint16_t>(high << 8 | byte());
    }

    // At most `count` bytes, fewer where the input ends.
    std::string bytes(std::size_t count)
    {
        const std::size_t n = std::min(count, m_size - std::min(m_pos, m_size));
        std::string s(reinterpret_cast<const char*>(m_data) + m_pos, n);
        m_pos += n;
        return s;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

}  // namespace tq::fuzz

#define FUZZ_CHECK(condition) ((condition) ? void() : ::tq::fuzz::fail(#condition, __FILE__, __LINE__))
