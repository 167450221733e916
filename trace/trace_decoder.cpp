#include "trace/trace_decoder.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "link/commands.h"
#include "link/receive_engine.h"
#include "params/crc.h"
#include "trace/sent_commands.h"

namespace tq {

namespace {

struct Command {
    char code;
    const char* caption;  // Latin-1
};

constexpr std::array<Command, 21> kCommands = {{
    {cmd::ReadParams, "lettura parametri"},
    {cmd::ReadMenuTexts, "lettura voci del menu"},
    {cmd::WriteParams, "scrittura"},
    {cmd::SaveEeprom, "salvataggio EEPROM"},
    {cmd::RepeatInit, "ripeti inizializzazione"},
    {cmd::ForceEepromError, "forza errore nella EEPROM"},
    {cmd::ReadPhases, "lettura fase uscite"},
    {cmd::ReadInputs, "lettura ingressi"},
    {cmd::SetOutputs, "prova uscite"},
    {cmd::ReadMemoryStep, "lettura passo memoria"},
    {cmd::SimulationReset, "avvio simulazione, indirizzo dati (&H2000)"},
    {cmd::SimulationStep, "passo simulazione"},
    {cmd::AddressFolders, "indirizzo cartelle (&H0001)"},
    {cmd::AddressFileList, "indirizzo lista file (&H1000)"},
    {cmd::RereadUsbKey, "rilettura chiave USB"},
    {cmd::KeyMenuPlus, "tasto Menu +"},
    {cmd::KeyMenuMinus, "tasto Menu -"},
    {cmd::KeyUp, "tasto freccia su"},
    {cmd::KeyDown, "tasto freccia gi\xF9"},
    {cmd::KeyEnter, "tasto ENT"},
    {cmd::KeyLight, "tasto luce"},
}};

const Command* findCommand(char code)
{
    const auto it = std::find_if(kCommands.begin(), kCommands.end(), [code](const Command& c) { return c.code == code; });
    return it == kCommands.end() ? nullptr : &*it;
}

std::uint8_t byteAt(std::string_view s, std::size_t i)
{
    return static_cast<std::uint8_t>(s[i]);
}

std::string hexByte(std::uint8_t b)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 0xF]};
}

// "CRC 251-88 corretto", or "CRC 1-2 errato (calcolato 251-88)", for a record of 54 parameters
// and the two CRC bytes.
std::string recordCrc(std::string_view record)
{
    std::array<std::uint8_t, kParamCount> params{};
    for (std::size_t i = 0; i < params.size(); ++i)
        params[i] = byteAt(record, i);
    const std::uint16_t crc = crc16(params.data(), params.size());
    const std::uint8_t high = byteAt(record, kCrcHigh);
    const std::uint8_t low = byteAt(record, kCrcLow);
    const std::string sent = "CRC " + crcCaption(high, low, "");
    if (crc == (high << 8 | low))
        return sent + " corretto";
    return sent + " errato (calcolato " + crcCaption(crc >> 8, crc & 0xFF, "") + ")";
}

// The outputs whose bits are set, bit j of byte k being output 8k + j + 1.
std::string outputList(std::string_view bytes)
{
    std::string list;
    for (std::size_t k = 0; k < bytes.size(); ++k)
        for (int j = 0; j < 8; ++j)
            if ((byteAt(bytes, k) >> j) & 1)
                list += " " + std::to_string(8 * k + j + 1);
    return list.empty() ? " nessuna" : list;
}

std::string decimals(std::string_view bytes)
{
    std::string list;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        list += (i ? " " : "") + std::to_string(byteAt(bytes, i));
    return list;
}

std::string describeCommand(std::string_view command)
{
    const char code = command.front();
    const Command* known = findCommand(code);
    if (!known)
        return commandCaption(code);
    const std::string head = std::string(1, code) + " " + known->caption;
    switch (code) {
    case cmd::WriteParams: {
        const std::string size = head + " " + std::to_string(command.size()) + " byte";
        if (command.size() < kWriteCommandBytes)
            return size + ", incompleta (" + std::to_string(kWriteCommandBytes) + " attesi)";
        return size + ", " + recordCrc(command.substr(1, kDeviceRecordSize));
    }
    case cmd::SaveEeprom:
        if (command.substr(1) == cmd::SaveEepromKey)
            return head;
        // Cut short by the end of the frame, or given up by the controller after 16 bytes.
        if (command.back() != '\r' && command.size() <= 1 + kPasswordMaxBytes)
            return head + ", password senza CR";
        return head + ", password errata";
    case cmd::SetOutputs:
        if (command.size() < kOutputCommandBytes)
            return head + ", incompleta";
        return head + ":" + outputList(command.substr(1));
    default:
        return head;
    }
}

// Answers of a fixed length: the record, the menu texts, the phases, the input byte.
std::size_t fixedAnswerLength(char request)
{
    switch (request) {
    case cmd::ReadParams: return kDeviceRecordSize;
    case cmd::ReadMenuTexts: return kDeviceMenuTexts * kMenuTextLength;
    case cmd::ReadPhases: return kPhaseAnswerBytes;
    case cmd::ReadInputs: return 1;
    default: return 0;
    }
}

std::string inputs(std::uint8_t v)
{
    std::string on;
    for (std::size_t bit = 0; bit < kInputBits; ++bit) {
        if (!((v >> bit) & 1))
            continue;
        std::string_view label = inputLabel(bit);
        label = label.substr(0, label.find_last_not_of(" =") + 1);
        on += (on.empty() ? " " : ", ") + std::string(label);
    }
    return "stato ingressi " + hexByte(v) + ":" + (on.empty() ? " tutti OFF" : on + " ON");
}

std::string describeFixed(char request, std::string_view answer)
{
    switch (request) {
    case cmd::ReadParams:
        return "record di " + std::to_string(answer.size()) + " byte, " + recordCrc(answer);
    case cmd::ReadMenuTexts: {
        std::string texts = std::to_string(kDeviceMenuTexts) + " voci del menu:";
        for (std::size_t k = 0; k < kDeviceMenuTexts; ++k)
            texts += " \"" + printableLatin1(answer.substr(k * kMenuTextLength, kMenuTextLength)) + "\"";
        return texts;
    }
    case cmd::ReadPhases:
        return "fasi uscite: " + decimals(answer);
    default:
        return inputs(byteAt(answer, 0));
    }
}

std::string describeRow(std::string_view row)
{
    if (row.size() > static_cast<std::size_t>(kRowMaxBytes))
        return "riga di " + std::to_string(row.size()) + " byte, scartata (oltre " + std::to_string(kRowMaxBytes)
            + ")";
    return "riga simulazione, uscite:" + outputList(row.substr(0, 4));
}

// Answers whose length the receive engine does not know beforehand: it takes whatever has come.
bool answersInOneGo(char request)
{
    return request == cmd::ReadMemoryStep || request == cmd::SimulationStep || request == cmd::SimulationReset
        || request == cmd::SetOutputs;
}

std::string describeVariable(char request, std::string_view frame)
{
    switch (request) {
    case cmd::ReadMemoryStep: {
        std::string line = memoryStepLine(frame);
        line.resize(line.size() - 2);  // CR LF
        return "memoria " + printableLatin1(line);
    }
    case cmd::SimulationStep:
    case cmd::SimulationReset:
        if (frame.size() < static_cast<std::size_t>(kRowMinBytes))
            return "riga simulazione incompleta: " + std::to_string(frame.size()) + " byte";
        return describeRow(frame);
    case cmd::SetOutputs:
        return "uscite rilette: " + decimals(frame.substr(0, 4));
    default:
        return "testo per il terminale";
    }
}

}  // namespace

std::string_view commandCodes()
{
    static const std::string codes = [] {
        std::string all;
        for (const Command& c : kCommands)
            all += c.code;
        return all;
    }();
    return codes;
}

std::string commandCaption(char code)
{
    if (const Command* known = findCommand(code))
        return std::string(1, code) + " " + known->caption;
    return hexByte(static_cast<std::uint8_t>(code)) + " non \xE8 un comando";
}

std::string describeSent(std::string_view sent)
{
    std::string text;
    for (const std::string& command : splitCommands(sent))
        text += (text.empty() ? "" : "; ") + describeCommand(command);
    return text;
}

char lastCommand(std::string_view sent)
{
    const std::vector<std::string> commands = splitCommands(sent);
    return commands.empty() ? 0 : commands.back().front();
}

std::string describeAnswer(char request, std::size_t offset, std::string_view earlier, std::string_view frame)
{
    const std::string of = " a " + std::string(1, request);
    if (const std::size_t length = fixedAnswerLength(request)) {
        const std::size_t total = offset + frame.size();
        if (offset >= length)
            return "oltre la risposta" + of + ": " + std::to_string(frame.size()) + " byte";
        if (earlier.size() < offset)  // its start is no longer in the trace
            return "seguito della risposta" + of + ": " + std::to_string(frame.size()) + " byte";
        if (total < length)
            return "risposta" + of + ": " + std::to_string(total) + " di " + std::to_string(length) + " byte";
        const std::string answer = std::string(earlier.substr(0, offset)) + std::string(frame.substr(0, length - offset));
        const std::string text = describeFixed(request, answer);
        return total > length ? text + ", e " + std::to_string(total - length) + " byte in pi\xF9" : text;
    }
    if (offset > 0 && answersInOneGo(request))
        return "seguito della risposta" + of + ": " + std::to_string(frame.size()) + " byte";
    return describeVariable(request, frame);
}

std::string printableLatin1(std::string_view bytes)
{
    std::string text(bytes);
    for (char& c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x20 || (b >= 0x7F && b < 0xA0))
            c = '\xB7';
    }
    return text;
}

}  // namespace tq
