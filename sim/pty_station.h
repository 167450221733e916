#pragma once
// A simulated controller on a pseudo-terminal, with the alias link kept pointing at it: the line
// is plugged in on a new pseudo-terminal behind the same link every time.

#include <QString>

#include "sim/pseudo_terminal.h"
#include "sim/station.h"

namespace tq::sim {

class PtyStation : public Station {
public:
    PtyStation(ControllerModel& model, PacedLine::Answer answer, const QString& aliasName);

    bool plug() override;
    void unplug() override;
    bool plugged() const override { return m_pty.isOpen(); }
    void watch(std::vector<pollfd>& fds) const override;
    void ready(const pollfd* fds) override;

private:
    void toTool(std::string_view bytes) override;

    PseudoTerminal m_pty;
};

}  // namespace tq::sim
