#pragma once
// The parameter record and the menu-text table, as the controller and the tool exchange them.

#include <array>
#include <cstdint>
#include <string>

namespace tq {

constexpr int kParamCount = 54;        // parameters 1..54 at indexes 0..53
constexpr int kCrcHigh = 54;
constexpr int kCrcLow = 55;
constexpr int kRecordSize = 57;        // index 56 is spare and stays 0
constexpr int kDeviceRecordSize = 56;  // what "H" answers and "L" sends: 54 parameters + CRC
constexpr int kMenuTextSlots = 21;
constexpr int kDeviceMenuTexts = 12;   // slots 0..11 travel to and from the controller
constexpr int kMenuTextLength = 10;    // every text is exactly 10 characters on the controller
constexpr int kBoardsIndex = 3;        // parameter 4, "Numero schede"
constexpr std::uint8_t kOutputProtection = 16;

using ParamRecord = std::array<std::uint8_t, kRecordSize>;
// Each text is a byte string: characters are the bytes 0..255 (Latin-1 at a widget).
using MenuTexts = std::array<std::string, kMenuTextSlots>;

enum class OutputTiming { Count, PhaseZero, Pulse };

struct OutputAssignment {
    int output;           // bits 0-4
    OutputTiming timing;  // bit 7 wins over bit 6
};

OutputAssignment decodeOutput(std::uint8_t value);

// The highest output number the editor offers: boards (less the protection flag) times 8.
std::uint16_t channelCountFor(std::uint8_t boardsByte);

// A text as the controller holds it: cut to 10 characters or padded with blanks.
std::string fitMenuText(const std::string& text);

// Texts 0..11, each fitted to 10 characters, joined: the 120 bytes sent after "L" and
// hex-encoded into the USB configuration file.
std::string menuTextBlock(const MenuTexts& texts);

}  // namespace tq
