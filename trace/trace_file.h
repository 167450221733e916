#pragma once
// The saved trace: a text file of Latin-1 lines ended by CR LF, one frame a line:
//
//     # tq310-test: registro della linea
//          0.061250  TX  48 | H lettura parametri
//          0.124875  RX  01 02 ... FB 58 | record di 56 byte, CRC 251-88 corretto
//
// the time in seconds since the port was opened, with six decimals (microseconds); "TX" for
// bytes the tool sent, "RX" for bytes the controller sent; the bytes as two upper-case hex digits
// each, one blank between them; " | " and the decoded line. Lines that start with "#" and empty
// lines are comments. Reading takes the time, the direction and the bytes; the decoded text is for
// the reader and is made anew from the bytes. LF alone also ends a line.

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/save_bytes.h"
#include "trace/trace_frames.h"

namespace tq {

// The whole file, with its heading.
std::string traceText(const TraceFrames& frames);
// One line, without its line end.
std::string traceLine(const TraceFrame& frame, std::string_view decoded);

// The frames of a saved trace; nothing, and *error says which line and why, when it is not one.
std::optional<std::vector<TraceFrame>> parseTraceText(std::string_view text, QString* error);
std::optional<std::vector<TraceFrame>> readTraceFile(const QString& path, QString* error);

// Through a temporary file: a failed save leaves what was there.
SaveStatus saveTrace(const QString& path, const TraceFrames& frames);

// Frames read back into a trace, which restarts to hold them (oldest first; a file that holds
// more than the ring keeps its newest).
void loadTrace(LineTrace& trace, const std::vector<TraceFrame>& frames);

}  // namespace tq
