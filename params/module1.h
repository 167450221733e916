#pragma once
// The tool's shared state: one instance lives for the whole process, owned by the main window
// (or by a program without one), and read in place by every window and operation. Each group
// below says who writes it.

#include <array>
#include <cstdint>
#include <string>

#include "params/param_record.h"

namespace tq {

// How the receive engine treats what arrives on the port, with the numbers the protocol gives
// the modes.
enum class ReceiveMode : std::uint8_t {
    Terminal = 0,
    ParamRead = 1,
    MenuRead = 2,
    SimStep = 3,
    PhaseRead = 4,
    InputPoll = 5,
    OutputTest = 6,
    MemoryStep = 7,
};

// Timer1 intervals, in ms: the one it starts with, and the ones the senders set.
namespace interval {
inline constexpr int Start = 100;
inline constexpr int ParamRead = 200;
inline constexpr int MenuList = 300;
inline constexpr int InputPoll = 60;
inline constexpr int Simulation = 50;
inline constexpr int MemoryStep = 80;
inline constexpr int VdipTest = 200;
}  // namespace interval

// The receive engine's own state: its mode, the toggles that live across its ticks, and the
// interval of Timer1 that the senders set. Everyone reads it; only link/ writes it: the engine
// (ReceiveEngine) and the senders of link/commands.h, through a class that link/commands.cpp alone
// defines. A write from anywhere else does not compile.
class EngineState {
public:
    EngineState() = default;
    // A copy to compare with is fine; assigning one over the shared state would write it.
    EngineState(const EngineState&) = default;
    EngineState& operator=(const EngineState&) = delete;

    // ReceiveMode: how the next tick treats what has arrived.
    ReceiveMode mode() const { return m_mode; }
    // 1: the next completed read-back copies into the working copy.
    std::uint8_t ChipToBuffer() const { return m_chipToBuffer; }
    // The request/reply alternation of modes 5, 6 and 7 (0 or -1); a change of mode keeps it.
    std::int16_t PhaseToggle() const { return m_phaseToggle; }
    // -1: memory stepping goes on after each byte.
    std::int16_t SeqReadActive() const { return m_seqReadActive; }
    // Timer1's interval, in ms, as the senders or the engine last set it.
    int interval() const { return m_interval; }

private:
    friend class ReceiveEngine;
    friend class EngineStateWriter;

    ReceiveMode m_mode = ReceiveMode::Terminal;
    std::uint8_t m_chipToBuffer = 0;
    std::int16_t m_phaseToggle = 0;
    std::int16_t m_seqReadActive = 0;
    int m_interval = interval::Start;
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

    // The receive engine's mode, toggles and interval: written by link/ only, which its type
    // makes sure of.
    EngineState Engine;

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
