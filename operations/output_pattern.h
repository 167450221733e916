#pragma once
// The output test: which of the 24 boxes of Form2 are usable for the installed output boards,
// where each box goes and what it reads, and the three-byte pattern the ticked boxes make.
// OutputBytes[k] bit j is output 8k + j + 1; the receive engine sends "!" and OutputBytes[0..4].

#include <array>
#include <cstdint>
#include <string>

namespace tq {

inline constexpr int kOutputBoxes = 24;
inline constexpr int kOutputsPerBoard = 8;

using OutputBoxFlags = std::array<bool, kOutputBoxes>;

// "Out 9 [Pin 1]": the output number and the pin of its board's connector.
std::string outputBoxCaption(int box);

// How many boxes, from the first, are usable for ChannelCount (8 per board). 0, 8, 16 and 24
// enable as many boxes; any other count (four boards or more in parameter 4) enables all 24,
// since the window has no more than three boards' outputs to offer.
int usableOutputBoxes(std::uint16_t channelCount);
// "Tutti ON" and "Tutti OFF" are usable whenever a box is.
bool allOutputsButtonsEnabled(std::uint16_t channelCount);

// OutputBytes[0..2]: per column, the sum of 2^row over the boxes that are usable and ticked.
std::array<std::uint8_t, 3> outputPattern(const OutputBoxFlags& ticked, const OutputBoxFlags& usable);

}  // namespace tq
