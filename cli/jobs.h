#pragma once
// The commands of tq310-cli. Each runs to its end, prints its result through the Output and
// returns the exit status (exit_status.h). The device commands are one job per port, which
// runOnPorts (runner.h) starts on every port it was given.

#include "cli/arguments.h"
#include "cli/coroutine.h"
#include "cli/output.h"

namespace tq::cli {

class PortRun;

int runPorts(const Request& request, Output& out);
int runUsb(const Request& request, Output& out);

Job runRead(PortRun& run);
Job runWrite(PortRun& run);
Job runInputs(PortRun& run);

}  // namespace tq::cli
