#pragma once
// tq310-sim's loop: the controller model behind a pseudo-terminal, its answers paced at 9600
// baud, the alias link kept pointing at the line, and the console for the trainer: a fault
// name typed on standard input switches the fault mode ("drop" hangs the line up, any other
// name plugs it in again on a new pseudo-terminal), "quit" ends. SIGINT and SIGTERM end it too;
// the link is removed on the way out.

#include <QString>

#include <cstdio>
#include <string>

#include "sim/alias_link.h"
#include "sim/controller_model.h"
#include "sim/host_record.h"
#include "sim/paced_line.h"
#include "sim/pseudo_terminal.h"

namespace tq::sim {

class PtySession {
public:
    // The model answers the tool, unless `answer` is given (a trace replayed); the console's
    // fault modes act on the model either way.
    PtySession(ControllerModel& model, const QString& aliasName, PacedLine::Answer answer = {});

    // Every byte that arrives from the tool also goes to this record (kept open by the caller).
    void setHostRecord(HostRecord* record) { m_record = record; }

    // Returns the process exit code.
    int run();

private:
    bool plug();
    void unplug();
    void readFromTool();
    void readConsole();
    void console(const std::string& line);
    void deliver();

    ControllerModel& m_model;
    PacedLine m_line;
    PseudoTerminal m_pty;
    AliasLink m_alias;
    HostRecord* m_record = nullptr;
    std::string m_consoleBuffer;
    bool m_consoleOpen = true;
    bool m_quit = false;
    int m_exitCode = 0;
};

}  // namespace tq::sim
