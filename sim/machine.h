#pragma once
// How the simulated machine behaves around the controller: its inputs over time, the outputs the
// parameters give each command, and the output stage with its protection.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/memory_image.h"
#include "sim/param_image.h"

namespace tq::sim {

// Input bits of the answer to "K".
enum InputBit : std::uint8_t {
    CountPulse = 1,        // Mor.12, once a course
    CountReset = 2,        // Mor.13, at the first course of every piece
    MachineReset = 4,      // Mor.14, for a moment after the controller (re)starts
    WorkSelector = 8,      // the board's work selector, in the production position
    Power24V = 16,         // Mor.11, the +24 V supply
    ParamSelector = 32,    // Mor.13 (parameter selector), left off
    FreeInput = 64,        // Mor.15, not wired
};

constexpr std::int64_t kCourseMs = 1000;      // one course of the carriage
constexpr std::int64_t kPulseMs = 250;        // how long the count input stays on
constexpr std::int64_t kResetMs = 1500;       // the reset input after a (re)start
constexpr int kCoursesPerPiece = 8;

// The input byte msSinceStart milliseconds after the controller (re)started.
std::uint8_t inputByte(std::int64_t msSinceStart);

// The output (1..32) a parameter byte assigns its command to, or 0 when it assigns none.
int assignedOutput(std::uint8_t value);

// The 32-bit pattern of the outputs that fire in a course issuing these commands (parameter
// numbers); bit n is output n + 1.
std::uint32_t coursePattern(const ParamImage& setup, const std::vector<std::uint8_t>& commands);

// The answer to "Y": for each output 1..32 the timing of the command assigned to it (0 with the
// count, 1 with the count reset, 2 a 500 ms pulse); a command that the loaded knit uses wins over
// one that it does not use. Outputs without a command read 0.
std::array<std::uint8_t, 32> outputPhases(const ParamImage& setup, const Knit& knit);

// The output stage answering "!": the requested outputs as they are driven (an output beyond the
// installed boards stays off; with output protection on, a shorted output is switched off), and
// with protection on a fourth byte: the number of the shorted output that was asked for, else 0.
std::string outputReadback(const ParamImage& setup, const std::array<std::uint8_t, 5>& requested,
                           int shortedOutput);

}  // namespace tq::sim
