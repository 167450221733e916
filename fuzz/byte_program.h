#pragma once
// A fuzz input read as a program: small numbers and byte strings taken from the front, in the
// order the target asks for them. An exhausted input reads as zeros and empty strings, so every
// input is a valid program and a mutation anywhere changes only what follows it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tq::fuzz {

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
