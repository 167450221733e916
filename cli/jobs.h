#pragma once
// The commands of tq310-cli. Each runs to its end, prints its result through the Output and
// returns the exit status (exit_status.h).

#include "cli/arguments.h"
#include "cli/output.h"

namespace tq::cli {

int runPorts(const Request& request, Output& out);
int runRead(const Request& request, Output& out);
int runWrite(const Request& request, Output& out);
int runUsb(const Request& request, Output& out);
int runInputs(const Request& request, Output& out);

}  // namespace tq::cli
