#pragma once
// The tool's shared state: one instance lives for the whole process, owned by the main window,
// and every window and operation reads and writes it in place.

#include <array>
#include <cstdint>
#include <string>

#include "params/param_record.h"

namespace tq {

// Line breaks in the texts the tool shows and the controller sends.
inline constexpr const char* kCrLf = "\r\n";

// How the receive engine treats what arrives on the port.
enum ReceiveModeValue : std::uint8_t {
    Terminal = 0,
    ParamRead = 1,
    MenuRead = 2,
    SimStep = 3,
    PhaseRead = 4,
    InputPoll = 5,
    OutputTest = 6,
    MemoryStep = 7,
};

struct Module1 {
    ParamRecord FileParams{};       // working copy
    ParamRecord ChipParams{};       // device copy, as the controller last sent it
    MenuTexts FileMenuTexts;
    MenuTexts ChipMenuTexts;
    // Whether the controller has sent its record ("H") and its menu texts ("J") since the start:
    // until then the device copy is unknown, not zero, and the list marks no difference.
    bool ChipParamsRead = false;
    bool ChipMenuTextsRead = false;
    std::string CurrentFileName;    // empty: no file is open
    std::uint16_t ChannelCount = 0; // derived from FileParams[3] at every list refresh

    std::uint8_t PortNumber = 0;    // 0: no connection
    std::string NoAnswerText;

    std::uint8_t ReceiveMode{Terminal};
    std::uint8_t ChipToBuffer = 0;  // 1: the next completed read-back copies into the working copy
    std::int16_t PhaseToggle = 0;   // request/reply alternation of modes 5, 6, 7 (0 or -1)
    std::int16_t SeqReadActive = 0; // -1: memory stepping goes on

    std::array<std::uint8_t, 6> OutputBytes{};
    std::array<std::uint8_t, 23> RowBuffer{};
    std::int16_t RowCounter = 0;
    std::string RowDirection;
};

// " La macchina non risponde !!", an empty line, " Controllare che non sia ", " in produzione".
std::string BuildNoAnswerText();

}  // namespace tq
