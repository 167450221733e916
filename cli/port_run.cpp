#include "cli/port_run.h"

#include "cli/exit_status.h"
#include "cli/job_support.h"
#include "sim/simulated_port.h"

namespace tq::cli {

PortRun::PortRun(const Request& request, QString port, QString file, Output& out, std::vector<PortEntry> entries)
    : m_request(request), m_port(std::move(port)), m_file(std::move(file)), m_out(out), m_entries(std::move(entries))
{
}

Later<DeviceSession*> PortRun::open(const Subject& subject)
{
    m_opener = std::make_unique<PortOpener>(m_entries, sim::simulatedControllerLine());
    const PortPick pick = m_opener->resolve(m_port);
    if (pick.number == 0) {
        const QString why = pick.refusal.empty() ? QStringLiteral("no port number is left") : systemText(pick.refusal);
        fail(LineFailed, m_port, why, subject, m_out);
        return Later<DeviceSession*>::now(nullptr);
    }
    return Later<DeviceSession*>([this, subject, number = pick.number](Later<DeviceSession*>::Deliver deliver) {
        m_opener->startOpen(number, [this, subject, number, deliver](bool opened, const QString& error) {
            if (!opened) {
                fail(LineFailed, m_port, systemText(openFailedText(number, error)), subject, m_out);
                return deliver(nullptr);
            }
            m_session = std::make_unique<DeviceSession>(m_m, std::move(m_opener), number);
            deliver(m_session.get());
        });
    });
}

void PortRun::close()
{
    m_session.reset();
    m_opener.reset();
}

}  // namespace tq::cli
