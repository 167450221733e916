#pragma once
// The tool's shared state: one instance lives for the whole process, owned by the main window
// (or by a program without one), and read in place by every window and operation. Each group
// below says who writes it.

#include <array>
#include <cstdint>
#include <string>

#include "params/param_record.h"

namespace tq {

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
    // The copies and the file: written by the editor, the parameter files and the transfers, and
    // by the receive engine when a read-back comes in.
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

    // The connection: written by the main window's link part when a port opens, closes or is lost.
    std::uint8_t PortNumber = 0;    // 0: no connection
    std::string NoAnswerText;

    // The receive engine's mode and toggles: written by link/ only, the senders and the engine.
    std::uint8_t ReceiveMode{Terminal};
    std::uint8_t ChipToBuffer = 0;  // 1: the next completed read-back copies into the working copy
    std::int16_t PhaseToggle = 0;   // request/reply alternation of modes 5, 6, 7 (0 or -1)
    std::int16_t SeqReadActive = 0; // -1: memory stepping goes on

    // The production simulation and the output test: the pattern the engine sends (set by its
    // sender), the course the engine took, and the course count and direction that the
    // simulation's drawing keeps (the start sender resets the count).
    std::array<std::uint8_t, 6> OutputBytes{};
    std::array<std::uint8_t, 23> RowBuffer{};
    std::int16_t RowCounter = 0;
    std::string RowDirection;
};

// " La macchina non risponde !!", an empty line, " Controllare che non sia ", " in produzione".
std::string BuildNoAnswerText();

}  // namespace tq
