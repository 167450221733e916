#pragma once
// A simulated controller on a network port, as a serial device server offers a serial line: one
// connection at a time (another one is closed as soon as it comes), carrying the line's bytes
// as they are (tcp://) or in Telnet with the COM-PORT-OPTION (rfc2217://, ComPortServer). The
// controller keeps its state from one connection to the next, as a machine does when the cable
// is pulled and plugged in again. The alias link points at the URL.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

#include "sim/com_port_server.h"
#include "sim/station.h"

namespace tq::sim {

// Where to listen: an address (IPv4 or IPv6, a name such as localhost) and a port, 0 for one the
// system picks.
struct ListenAddress {
    std::string host;
    std::uint16_t port = 0;
};
// "5000" (on the loopback address 127.0.0.1), "HOST:5000", "[::1]:5000"; nothing when it is
// none of these.
std::optional<ListenAddress> parseListenAddress(const QString& text);

class TcpStation : public Station {
public:
    TcpStation(ControllerModel& model, PacedLine::Answer answer, const QString& aliasName, ListenAddress address,
               bool rfc2217);
    ~TcpStation() override;

    // Listens on the address; a port the system picked is kept for every later plug.
    bool plug() override;
    void unplug() override;
    bool plugged() const override { return m_listener >= 0; }
    void watch(std::vector<pollfd>& fds) const override;
    void ready(const pollfd* fds) override;

private:
    void toTool(std::string_view bytes) override;
    void acceptTool();
    void readFromTool();
    void hangUp();
    QString url() const;

    ListenAddress m_address;
    bool m_rfc2217;
    int m_listener = -1;
    int m_tool = -1;  // the connection
    std::optional<ComPortServer> m_telnet;
};

}  // namespace tq::sim
