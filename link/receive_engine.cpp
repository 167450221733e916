#include "link/receive_engine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

#include "link/commands.h"
#include "params/crc.h"

namespace tq {

namespace {

std::string decimal(unsigned value)
{
    return std::to_string(value);
}

std::uint8_t byteAt(const std::string& s, std::size_t i)
{
    return static_cast<std::uint8_t>(s[i]);
}

// Bits 0-6 of the input byte; bit 7 is not shown.
constexpr std::array<const char*, 7> kInputLabels = {
    "Mor.12(conteggio)          = ",
    "Mor.13(cancella conteggio) = ",
    "Mor.14(reset macchina)     = ",
    "scheda(selettore lavoro)   = ",
    "Mor.11(segnale power +24)  = ",
    "Mor.13(selettore parametri)= ",
    "Mor.15(ingresso libero)    = ",
};

std::string hexUpper(unsigned value, std::size_t width)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string s(width, '0');
    for (std::size_t i = width; i-- > 0; value >>= 4)
        s[i] = digits[value & 0xF];
    return s;
}

}  // namespace

ReceiveEngine::ReceiveEngine(Module1& m, EngineHost& host) : m_m(m), m_state(m.Engine), m_host(host)
{
}

void ReceiveEngine::tick()
{
    if (!m_port)
        return;
    const ReceiveMode mode = m_state.mode();
    if (mode != ReceiveMode::MenuRead)
        m_recordTaken = false;
    switch (mode) {
    case ReceiveMode::Terminal: terminalTick(); break;
    case ReceiveMode::ParamRead: paramReadTick(); break;
    case ReceiveMode::MenuRead: menuReadTick(); break;
    case ReceiveMode::SimStep: simStepTick(); break;
    case ReceiveMode::PhaseRead: phaseReadTick(); break;
    case ReceiveMode::InputPoll: inputPollTick(); break;
    case ReceiveMode::OutputTest: outputTestTick(); break;
    case ReceiveMode::MemoryStep: memoryStepTick(); break;
    }
}

bool ReceiveEngine::atRest()
{
    return m_port && m_port->announcesArrivals() && m_state.mode() == ReceiveMode::Terminal && m_port->bytesWaiting() == 0;
}

void ReceiveEngine::terminalTick()
{
    // From the port's buffer straight into the text; bytes that arrive meanwhile are taken too.
    TerminalText& text = m_host.terminal();
    for (int waiting; (waiting = m_port->bytesWaiting()) > 0;)
        text.appendFrom(static_cast<std::size_t>(waiting), [this](char* into, std::size_t n) { m_port->take(into, n); });
}

void ReceiveEngine::paramReadTick()
{
    m_host.terminal().set(m_m.NoAnswerText);
    if (m_port->bytesWaiting() < kParamAnswerBytes)
        return;
    const std::string s = m_port->takeAll();
    for (int i = 0; i < kParamAnswerBytes; ++i)
        m_m.ChipParams[i] = byteAt(s, i);
    m_m.ChipParamsRead = true;
    m_recordTaken = true;
    m_host.paramRecordTaken(chipCrcCaption(m_m.ChipParams));
    m_host.copiesChanged();
    if (m_state.m_chipToBuffer == 1) {
        m_state.m_mode = ReceiveMode::MenuRead;
        sendByte(*m_port, cmd::ReadMenuTexts);
        m_host.terminal().set(std::string("Lettura di 54 parametri dal TQ310") + kCrLf + "OK" + kCrLf);
    } else {
        m_host.terminal().set(" OK parametri caricati!");
        m_host.usbCompilerAvailable();
        m_state.m_mode = ReceiveMode::MenuRead;
        sendByte(*m_port, cmd::ReadMenuTexts);
    }
}

void ReceiveEngine::menuReadTick()
{
    if (m_port->bytesWaiting() < kMenuAnswerMinBytes) {
        m_host.terminal().set(m_m.NoAnswerText);
        return;
    }
    std::string text = "VOCI NEL MENU = " + decimal(kDeviceMenuTexts) + kCrLf;
    const std::string s = m_port->takeAll();
    for (std::size_t k = 0; k < kDeviceMenuTexts; ++k) {
        const std::size_t from = k * kMenuTextLength;
        std::string t = from < s.size() ? s.substr(from, kMenuTextLength) : std::string();
        text += t + kCrLf;
        m_m.ChipMenuTexts[k] = std::move(t);
    }
    m_m.ChipMenuTextsRead = true;
    m_host.terminal().set(text);
    m_state.m_mode = ReceiveMode::Terminal;
    if (m_state.m_chipToBuffer == 1)
        copyIntoWorkingCopy();
    m_host.menuTextsTaken(std::exchange(m_recordTaken, false));
}

void ReceiveEngine::copyIntoWorkingCopy()
{
    // The CRC bytes are not copied: ListInit recomputes the working copy's own.
    std::copy_n(m_m.ChipParams.begin(), kParamCount, m_m.FileParams.begin());
    // Slot 12 too, although the controller fills only 0-11: the working slot 12 becomes empty.
    std::copy_n(m_m.ChipMenuTexts.begin(), kDeviceMenuTexts + 1, m_m.FileMenuTexts.begin());
    m_state.m_chipToBuffer = 0;
    m_host.terminal().append(std::string("MATRICI COPIATE ") + kCrLf + kCrLf);
    m_host.copiesChanged();
    m_host.terminal().append(std::string("PROCEDURA COMPLETATA ") + kCrLf);
    m_host.readBackCopied(" Dati recuperati dal TQ310");
    m_m.CurrentFileName.clear();
}

void ReceiveEngine::simStepTick()
{
    if (m_port->bytesWaiting() < kRowMinBytes)
        return;
    const std::string s = m_port->takeAll();
    // An over-long row is dropped and no further step is requested.
    if (s.size() > kRowMaxBytes)
        return;
    for (std::size_t i = 0; i < s.size(); ++i)
        m_m.RowBuffer[i] = byteAt(s, i);
    // The next row is requested before this one is drawn.
    if (m_m.RowCounter < 6)
        requestSimulationStep(LinkContext{m_m, *m_port, m_host});
    m_host.simulationCourseTaken();
}

void ReceiveEngine::phaseReadTick()
{
    std::string text = std::string(" Parametri momento uscita funzione ") + kCrLf + kCrLf
        + "0= Fase uscita = conteggio" + kCrLf
        + "1= Fase uscita = cancella cont." + kCrLf
        + "2= Fase uscita = impulso 500 ms" + kCrLf + kCrLf
        + "NOTA:" + kCrLf
        + "Abilitate secondo se usate nella maglia corrente" + kCrLf + kCrLf;
    if (m_port->bytesWaiting() < kPhaseAnswerBytes)
        return;
    const std::string s = m_port->takeAll();
    for (int i = 1; i <= kPhaseAnswerBytes; ++i)
        text += "N." + decimal(i) + " = " + decimal(byteAt(s, i - 1)) + kCrLf;
    m_host.terminal().set(text);
    m_state.m_mode = ReceiveMode::Terminal;
}

void ReceiveEngine::inputPollTick()
{
    if (m_state.m_phaseToggle == -1) {
        m_state.m_phaseToggle = 0;
        sendByte(*m_port, cmd::ReadInputs);
        m_port->discardAll();
        return;
    }
    m_state.m_phaseToggle = -1;
    if (m_port->bytesWaiting() == 0) {
        m_host.terminal().set(m_m.NoAnswerText);
        return;
    }
    const std::string s = m_port->takeAll();
    m_host.terminal().set(inputStatusText(byteAt(s, 0)));
}

void ReceiveEngine::outputTestTick()
{
    if (m_state.m_phaseToggle == -1) {
        m_state.m_phaseToggle = 0;
        m_port->discardAll();
        sendByte(*m_port, cmd::SetOutputs);
        // Five separate one-byte writes; the sixth byte stays in the tool.
        for (int i = 0; i < 5; ++i)
            sendByte(*m_port, static_cast<char>(m_m.OutputBytes[i]));
        return;
    }
    m_state.m_phaseToggle = -1;
    TerminalText& text1 = m_host.terminal();
    text1.clear();
    const std::string s = m_port->takeAll();
    if (s.empty()) {
        text1.set(m_m.NoAnswerText);
        return;
    }
    for (std::size_t i = 0; i < s.size() && i < 4; ++i)
        text1.append(decimal(byteAt(s, i)) + kCrLf);
}

void ReceiveEngine::memoryStepTick()
{
    m_state.m_interval = interval::MemoryStep;
    m_host.intervalChanged(interval::MemoryStep);
    if (m_state.m_phaseToggle == 0) {
        m_state.m_phaseToggle = -1;
        m_port->takeAll();
        sendByte(*m_port, cmd::ReadMemoryStep);
        return;
    }
    m_state.m_phaseToggle = 0;
    m_host.terminal().append(memoryStepLine(m_port->takeAll()));
    if (m_state.m_seqReadActive == 0)
        m_state.m_mode = ReceiveMode::Terminal;
}

std::int16_t parseMemoryAddress(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    const std::size_t mantissa = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
    }
    if (i == mantissa || (i == mantissa + 1 && s[mantissa] == '.'))
        return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t digits = j;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9')
            ++j;
        if (j > digits)
            i = j;
    }
    // from_chars does not take a leading '+'.
    std::string_view number = s.substr(start, i - start);
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = number.front() == '-' ? -1e300 : 1e300;
    else if (result.ec != std::errc())
        return 0;
    // Addresses beyond the signed 16-bit range are clipped to it.
    value = std::clamp(std::nearbyint(value), -32768.0, 32767.0);
    return static_cast<std::int16_t>(value);
}

std::string memoryStepLine(std::string_view reply)
{
    unsigned dh = 0;
    std::int16_t ah = 0;
    if (!reply.empty())
        dh = static_cast<std::uint8_t>(reply[0]);
    if (reply.size() >= 2)
        ah = parseMemoryAddress(reply.substr(1));
    // A missing data byte reads as FF.
    if (dh == 0)
        dh = 255;
    std::string line = "AH= " + hexUpper(static_cast<std::uint16_t>(ah), 4) + " DH = " + hexUpper(dh, 2) + " : ";
    line += static_cast<char>(dh);
    line += kCrLf;
    return line;
}

std::string_view inputLabel(std::size_t bit)
{
    return kInputLabels.at(bit);
}

std::string inputStatusText(std::uint8_t v)
{
    std::string text = std::string(" Stato ingressi :") + kCrLf + kCrLf;
    for (std::size_t j = 0; j < kInputLabels.size(); ++j) {
        text += kInputLabels[j];
        text += (v >> j) & 1 ? "[ON ]" : "[OFF]";
        text += std::string(kCrLf) + kCrLf;
    }
    return text;
}

}  // namespace tq
