#pragma once
// The serial device server's side of RFC 2217, for tq310-sim --rfc2217: it agrees to binary
// transmission, suppress go-ahead and the COM-PORT-OPTION, refuses every other option, and
// answers every setting with the one its port really has, whatever was asked: the controller's
// line runs at 9600 baud, 8 data bits, no parity, 1 stop bit, without flow control.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/com_port_client.h"
#include "link/telnet.h"

namespace tq::sim {

class ComPortServer {
public:
    // A port at another speed answers that speed (a server whose port was set up for another
    // machine).
    explicit ComPortServer(std::uint32_t baud = comport::kBaud);

    // Bytes from the client: the line's data is appended to `data`, the answers to `reply`.
    void receive(std::string_view bytes, std::string& data, std::string& reply);
    // The controller's bytes as they go to the client, 255 doubled.
    static std::string send(std::string_view data);

private:
    void answer(std::string_view parameters, std::string& reply) const;

    std::uint32_t m_baud;
    telnet::Parser m_parser;
    telnet::Options m_options;
    std::vector<telnet::Command> m_commands;
};

}  // namespace tq::sim
