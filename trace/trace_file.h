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
//
// The heading names where the trace comes from, in comment lines that a reader may do without
// (older traces have none):
//
//     # connessione: 07/12/2026 15:30:12, porta Com.3 /dev/ttyUSB0
//     # registrato da: tq310-test 12.13

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/save_bytes.h"
#include "trace/trace_frames.h"

class QIODevice;

namespace tq {

// The whole file, with its heading (the origin of the frames' trace).
std::string traceText(const TraceFrames& frames);
// One line, without its line end.
std::string traceLine(const TraceFrame& frame, std::string_view decoded);

// Reads a saved trace line by line, handing on each frame as it comes and the heading's origin;
// nothing is held beyond the line being read. False, and *error says which line and why, when it
// is not a trace (the frames before that line have been handed on).
bool readTrace(QIODevice& device, const std::function<void(TraceFrame&&)>& take, TraceOrigin* origin,
               QString* error);

// The frames of a saved trace; nothing, and *error says which line and why, when it is not one.
std::optional<std::vector<TraceFrame>> parseTraceText(std::string_view text, QString* error);
// The same from a file; a FIFO, a device or a folder is refused unread.
std::optional<std::vector<TraceFrame>> readTraceFile(const QString& path, QString* error);

// A saved trace into `trace`, which restarts to hold it: its newest frames, as recording keeps
// them, when the file holds more than the ring. Returns how many older frames were left out.
std::optional<std::size_t> loadTraceFile(LineTrace& trace, const QString& path, QString* error);

// Through a temporary file: a failed save leaves what was there; *reason says why it failed.
SaveStatus saveTrace(const QString& path, const TraceFrames& frames, QString* reason = nullptr);

}  // namespace tq
