#include "sim/controller_model.h"

#include <algorithm>

#include "sim/machine.h"

namespace tq::sim {

namespace {

struct FaultName {
    Fault fault;
    std::string_view name;
};

constexpr FaultName kFaultNames[] = {
    {Fault::None, "none"},         {Fault::Silent, "silent"},       {Fault::CutShort, "short"},
    {Fault::Garbage, "garbage"},   {Fault::LongRows, "long-rows"},  {Fault::LineDropped, "drop"},
};

constexpr std::size_t kRowSize = 4;
constexpr std::size_t kLongRowSize = 13;     // one more than the tool takes as a row
constexpr std::size_t kPasswordLimit = 16;   // a longer password is wrong whatever follows
constexpr std::size_t kOutputFrame = 5;

}  // namespace

std::optional<Fault> faultFromName(std::string_view name)
{
    for (const FaultName& f : kFaultNames)
        if (f.name == name)
            return f.fault;
    return std::nullopt;
}

std::string_view faultName(Fault fault)
{
    for (const FaultName& f : kFaultNames)
        if (f.fault == fault)
            return f.name;
    return {};
}

ControllerModel::ControllerModel()
    : m_memory(factoryMemory()), m_knit(loadedKnit(m_memory))
{
    powerOn(factorySetup());
}

void ControllerModel::powerOn(const ParamImage& eeprom)
{
    m_eeprom = eeprom;
    m_working = eeprom;
    m_frame = Frame::None;
    m_startMs.reset();
    m_course = 0;
    m_panel.restart();
}

std::string ControllerModel::receive(std::string_view bytes, std::int64_t nowMs)
{
    if (!m_startMs)
        m_startMs = nowMs;
    std::string answer;
    for (char c : bytes) {
        if (m_fault == Fault::Silent || m_fault == Fault::LineDropped)
            continue;
        if (m_frame != Frame::None && nowMs - m_lastByteMs > kFrameTimeoutMs)
            m_frame = Frame::None;
        m_lastByteMs = nowMs;
        answer += shape(m_frame == Frame::None ? command(c, nowMs) : frameByte(c));
    }
    return answer;
}

std::string ControllerModel::command(char c, std::int64_t nowMs)
{
    switch (c) {
    case 'H':
        return std::string(m_working.record.begin(), m_working.record.end());
    case 'J':
        return m_working.texts;
    case 'L':
    case 'W':
    case '!':
        m_frame = c == 'L' ? Frame::Load : c == 'W' ? Frame::Password : Frame::Outputs;
        m_frameBytes.clear();
        return {};
    case 'z':
        m_working = m_eeprom;
        restart(nowMs);
        return {};
    case '@': {
        // An erased cell in the last parameter: the stored CRC no longer covers the record.
        ParamImage damaged = m_eeprom;
        std::uint8_t& cell = damaged.record[kParamCount - 1];
        cell = cell == 0xFF ? 0x00 : 0xFF;
        writeEeprom(damaged);
        return {};
    }
    case 'Y': {
        const auto phases = outputPhases(m_working, m_knit);
        return std::string(phases.begin(), phases.end());
    }
    case 'K':
        return std::string(1, static_cast<char>(inputByte(nowMs - *m_startMs)));
    case '&':
        return memoryStep();
    case 'R':
        m_pointer = kKnitData;
        return simulationRow(true);
    case 'S':
        return simulationRow(false);
    case '/':
        m_pointer = kFolderSection;
        return {};
    case 'y':
        m_pointer = kFileList;
        return {};
    case 'C':
        return Panel::rereadUsb();
    default:
        return m_panel.press(c, m_working);
    }
}

std::string ControllerModel::frameByte(char c)
{
    m_frameBytes += c;
    switch (m_frame) {
    case Frame::Load:
        if (m_frameBytes.size() == static_cast<std::size_t>(kImageSize)) {
            m_working = ParamImage::fromBytes(m_frameBytes);
            m_frame = Frame::None;
        }
        return {};
    case Frame::Password:
        if (c == '\r') {
            m_frameBytes.pop_back();
            if (m_frameBytes == kPassword)
                writeEeprom(m_working);
            m_frame = Frame::None;
        } else if (m_frameBytes.size() > kPasswordLimit) {
            m_frame = Frame::None;
        }
        return {};
    case Frame::Outputs:
        if (m_frameBytes.size() == kOutputFrame) {
            m_frame = Frame::None;
            std::array<std::uint8_t, kOutputFrame> requested{};
            std::copy_n(m_frameBytes.begin(), kOutputFrame, requested.begin());
            return outputReadback(m_working, requested, m_shortedOutput);
        }
        return {};
    case Frame::None:
        break;
    }
    return {};
}

std::string ControllerModel::simulationRow(bool restart)
{
    if (m_knit.courses.empty())
        return std::string(kRowSize, '\0');
    if (restart)
        m_course = 0;
    else
        m_course = (m_course + 1) % static_cast<int>(m_knit.courses.size());
    const std::uint32_t pattern = coursePattern(m_working, m_knit.courses[m_course]);
    std::string row;
    for (std::size_t i = 0; i < kRowSize; ++i)
        row += static_cast<char>((pattern >> (8 * i)) & 0xFF);
    if (m_fault == Fault::LongRows)
        row.resize(kLongRowSize, '\0');
    return row;
}

std::string ControllerModel::memoryStep()
{
    const std::uint16_t address = m_pointer;
    m_pointer = static_cast<std::uint16_t>((m_pointer + 1) % kMemorySize);
    return static_cast<char>(m_memory[address]) + std::to_string(address);
}

void ControllerModel::restart(std::int64_t nowMs)
{
    m_startMs = nowMs;
    m_course = 0;
    m_panel.restart();
}

void ControllerModel::writeEeprom(const ParamImage& image)
{
    m_eeprom = image;
    if (onEepromWritten)
        onEepromWritten();
}

std::string ControllerModel::shape(std::string answer)
{
    switch (m_fault) {
    case Fault::CutShort:
        answer.resize(answer.size() / 2);
        break;
    case Fault::Garbage:
        for (char& c : answer) {
            // xorshift32 from a fixed seed: noise that a test sees the same on every run
            m_noise ^= m_noise << 13;
            m_noise ^= m_noise >> 17;
            m_noise ^= m_noise << 5;
            c = static_cast<char>(m_noise & 0xFF);
        }
        break;
    default:
        break;
    }
    return answer;
}

}  // namespace tq::sim
