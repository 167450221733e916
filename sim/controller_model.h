#pragma once
// The simulated TQ310 controller: fed the bytes that arrive on its serial line, it answers as the
// controller does. Working memory and EEPROM each hold a ParamImage; a frame whose CRC does not
// match is still taken into working memory as received, so that a read-back shows it, and the
// display reports it (see Panel).
//
// Frames: "L" + 56 + 120 bytes, "W" + password + CR, "!" + 5 bytes. A frame that stops arriving
// for more than kFrameTimeoutMs is dropped and the byte that follows is a new command.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/memory_image.h"
#include "sim/panel.h"
#include "sim/param_image.h"

namespace tq::sim {

enum class Fault {
    None,
    Silent,       // answers nothing and ignores every command, as while in production
    CutShort,     // every answer loses its second half
    Garbage,      // every answer byte is replaced by noise
    LongRows,     // simulation rows come as 13 bytes instead of 4
    LineDropped,  // the cable is pulled: the front end closes the line
};

// Option names: "none", "silent", "short", "garbage", "long-rows", "drop".
std::optional<Fault> faultFromName(std::string_view name);
std::string_view faultName(Fault fault);

constexpr std::int64_t kFrameTimeoutMs = 500;
constexpr std::string_view kPassword = "Vorela";

class ControllerModel {
public:
    ControllerModel();

    // The bytes that arrived at nowMs (any monotonic origin; never earlier than a previous call),
    // and what the controller answers to them.
    std::string receive(std::string_view bytes, std::int64_t nowMs);

    void setFault(Fault fault) { m_fault = fault; }
    Fault fault() const { return m_fault; }

    // The output (1..24) that is shorted to ground; 0 for none.
    void setShortedOutput(int output) { m_shortedOutput = output; }

    const ParamImage& working() const { return m_working; }
    const ParamImage& eeprom() const { return m_eeprom; }
    // Power-on with this EEPROM content: the working memory is loaded from it.
    void powerOn(const ParamImage& eeprom);
    // Called after every change of the EEPROM ("W" with the password, "@").
    std::function<void()> onEepromWritten;

    std::uint16_t memoryPointer() const { return m_pointer; }
    int simulationCourse() const { return m_course; }

private:
    enum class Frame { None, Load, Password, Outputs };

    std::string command(char c, std::int64_t nowMs);
    std::string frameByte(char c);
    std::string simulationRow(bool restart);
    std::string memoryStep();
    void restart(std::int64_t nowMs);
    void writeEeprom(const ParamImage& image);
    std::string shape(std::string answer);

    ParamImage m_working;
    ParamImage m_eeprom;
    Memory m_memory;
    Knit m_knit;
    Panel m_panel;

    Frame m_frame = Frame::None;
    std::string m_frameBytes;
    std::int64_t m_lastByteMs = 0;
    std::optional<std::int64_t> m_startMs;

    std::uint16_t m_pointer = kKnitData;
    int m_course = 0;
    int m_shortedOutput = 0;
    Fault m_fault = Fault::None;
    std::uint32_t m_noise = 0x2545F491;
};

}  // namespace tq::sim
