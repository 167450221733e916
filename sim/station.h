#pragma once
// One simulated controller on a line of its own, as tq310-sim serves it: the controller's answers
// paced at 9600 baud, every byte from the tool kept in the host record, the link in the folder of
// port aliases pointing at the line, and the line itself, a pseudo-terminal (PtyStation) or a
// network port (TcpStation). The console loop (sim_loop.h)
// waits for all of them at once.

#include <poll.h>

#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "sim/alias_link.h"
#include "sim/controller_model.h"
#include "sim/host_record.h"
#include "sim/paced_line.h"

namespace tq::sim {

class Station {
public:
    // The model answers the tool, unless `answer` is given (a trace replayed); fault modes act
    // on the model either way.
    Station(ControllerModel& model, PacedLine::Answer answer, const QString& aliasName);
    virtual ~Station() = default;
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    ControllerModel& model() { return m_model; }
    // Every byte that arrives from the tool also goes to this record (kept open by the caller).
    void setHostRecord(HostRecord* record) { m_record = record; }

    // Offers the line and announces it on standard output; false, said on standard error, when
    // it cannot be made.
    virtual bool plug() = 0;
    // Hangs the line up, as a pulled cable; what was on its way to the tool is lost.
    virtual void unplug() = 0;
    virtual bool plugged() const = 0;

    // Appends the descriptors to wait for (fd -1 for one not in use); ready() gets them back,
    // with their events, in the same order.
    virtual void watch(std::vector<pollfd>& fds) const = 0;
    virtual void ready(const pollfd* fds) = 0;

    // When the next answer byte is due at the tool; deliver() passes on what is due by then.
    std::optional<std::int64_t> nextArrival() const { return m_line.nextArrival(); }
    void deliver(std::int64_t nowNs);

protected:
    // Points the alias at the line, then says where the line is: whoever connects on reading the
    // announcement finds the alias in place.
    void announce(const QString& line);
    // The line is gone: the alias goes, and what was on its way to the tool is lost.
    void withdraw();
    void dropInFlight();
    // Bytes that came from the tool, now.
    void fromTool(std::string_view bytes);
    // Answer bytes that are due at the tool.
    virtual void toTool(std::string_view bytes) = 0;

private:
    ControllerModel& m_model;
    PacedLine m_line;
    AliasLink m_alias;
    HostRecord* m_record = nullptr;
};

// The monotonic clock the pacing runs on, in nanoseconds.
std::int64_t nowNs();
// A line for the user on standard output, and a complaint on standard error.
void say(const QString& text);
void complain(const QString& text);

}  // namespace tq::sim
