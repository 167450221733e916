#pragma once
// A device command (read, write, inputs) on the ports it was given, every port in a job and a
// session of its own (its engine, senders and timer: the bytes and intervals of a run on that
// port alone), all at the same time in the program's one event loop. A port that fails ends its
// own job only.
//
// One --port is a run as it always was. Several (--port more than once, or --ports-from) make a
// series: each port's outcomes as they come, one line each ("PORT: message", see Output), or
// its JSON objects; then a summary: a table of port, result, CRC and seconds, or one JSON object
// with the same fields first and "ports". The exit status is the highest of the ports'. read
// saves each port's parameters in a file of its own (portFile).

#include <QString>

#include "cli/arguments.h"
#include "cli/output.h"

namespace tq::cli {

int runOnPorts(const Request& request, Output& out);

// A location as part of a file name: a leading "/dev/" dropped, and every run of characters
// other than letters, digits, '.', '-' and '_' made one '_' ("tcp://10.0.0.7:4001" gives
// "tcp_10.0.0.7_4001").
QString portName(const QString& location);
// The file of `port` in a series: FILE-NAME before the last suffix ("letture/banco.ini" and
// /dev/ttyUSB0 give "letture/banco-ttyUSB0.ini").
QString portFile(const QString& file, const QString& port);

}  // namespace tq::cli
