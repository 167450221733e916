#pragma once
// What the bytes on the line mean, in a line of Italian for the trace: the commands the tool sent
// ("H lettura parametri", "L scrittura 177 byte, CRC 251-88 corretto", "W salvataggio EEPROM") and
// the controller's answers as the receive engine takes them (the 56-byte record and whether its
// CRC matches, the 12 menu texts, the input status, a simulation row, a memory byte, the output
// phases, the output-test echo). Every text is printable Latin-1: control bytes show as "·".

#include <cstddef>
#include <string>
#include <string_view>

namespace tq {

// The command bytes the tool sends, in the order the trace window's filter lists them.
std::string_view commandCodes();
// "H lettura parametri"; a byte that is no command: "0D non è un comando".
std::string commandCaption(char code);

// A stretch of bytes the tool sent: each command with what its data says, "; " between them.
std::string describeSent(std::string_view sent);
// The command the answers after this stretch of sent bytes answer: its last command byte.
char lastCommand(std::string_view sent);

// The longest answer the tool takes (the menu texts); the bytes of an answer before the frame at
// hand are needed only up to there.
inline constexpr std::size_t kAnswerContextBytes = 120;

// A frame the controller sent that answers `request` (0: nothing was asked yet) and starts
// `offset` bytes into the answer; `earlier` holds the answer's bytes before the frame whenever
// offset ≤ kAnswerContextBytes.
std::string describeAnswer(char request, std::size_t offset, std::string_view earlier, std::string_view frame);

// The bytes as characters of Latin-1, control bytes as "·".
std::string printableLatin1(std::string_view bytes);

}  // namespace tq
