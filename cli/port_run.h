#pragma once
// One port's part of a command: what its job is given (the request, its port and file, its
// output, its own shared state) and the session it opens on the port. The runner (runner.h)
// owns it, so that the line outlives the job by the moment its last bytes need to leave.

#include <QString>

#include <memory>
#include <vector>

#include "cli/arguments.h"
#include "cli/coroutine.h"
#include "cli/device_session.h"
#include "cli/output.h"
#include "link/port_discovery.h"
#include "params/module1.h"

namespace tq::cli {

class PortRun {
public:
    // entries: the chooser's list, read once for all ports.
    PortRun(const Request& request, QString port, QString file, Output& out, std::vector<PortEntry> entries);

    const Request& request() const { return m_request; }
    // The LOCATION as the user gave it, and the parameter file of this port.
    const QString& port() const { return m_port; }
    const QString& file() const { return m_file; }
    Output& out() { return m_out; }
    Module1& module() { return m_m; }

    // Opens port() as the window opens the chooser's entry for it, without holding up the other
    // ports while a network line connects: the session, or nullptr after printing the window's
    // message of why it did not open (the job exits LineFailed).
    Later<DeviceSession*> open(const Subject& subject);
    DeviceSession* session() const { return m_session.get(); }
    // Closes the line (the session goes).
    void close();

private:
    const Request& m_request;
    QString m_port;
    QString m_file;
    Output& m_out;
    std::vector<PortEntry> m_entries;
    Module1 m_m;
    std::unique_ptr<PortOpener> m_opener;  // while the line opens
    std::unique_ptr<DeviceSession> m_session;
};

}  // namespace tq::cli
