#pragma once
// The tool's side of a Telnet session with a serial device server that offers the
// COM-PORT-OPTION (RFC 2217). It offers binary transmission both ways (RFC 856; the record
// holds every byte value, CR followed by 0 included) and the COM-PORT-OPTION; once the server
// agrees (DO), it asks for 9600 baud, 8 data bits, no parity, 1 stop bit and no flow control,
// and the line is ready when the server's answers confirm all five. The server answers with
// the settings in use, which may differ from those asked for: then the line is of no use, the
// controller speaks 9600 8N1 only. It answers the server's own negotiations (an option it does
// not know is refused, once), and holds the tool's bytes while the server has suspended the
// flow (FLOWCONTROL-SUSPEND) until it resumes. Bytes only, no socket: the network line carries
// them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/telnet.h"

namespace tq {

namespace comport {
// What a client asks of the server; the server answers the same code plus kAnswer.
inline constexpr unsigned char kSetBaudRate = 1;  // 4 bytes, most significant first
inline constexpr unsigned char kSetDataSize = 2;
inline constexpr unsigned char kSetParity = 3;    // 1 none
inline constexpr unsigned char kSetStopSize = 4;  // 1 one stop bit
inline constexpr unsigned char kSetControl = 5;   // 1 no flow control (outbound and both ways)
inline constexpr unsigned char kFlowSuspend = 8;
inline constexpr unsigned char kFlowResume = 9;
inline constexpr unsigned char kAnswer = 100;

inline constexpr std::uint32_t kBaud = 9600;
inline constexpr unsigned char kDataBits = 8;
inline constexpr unsigned char kNoParity = 1;
inline constexpr unsigned char kOneStopBit = 1;
inline constexpr unsigned char kNoFlowControl = 1;

// The controller's line, in the order RFC 2217 recommends setting it.
struct Setting {
    unsigned char code;
    std::uint32_t value;
};
inline constexpr Setting kLine[] = {
    {kSetBaudRate, kBaud}, {kSetDataSize, kDataBits}, {kSetParity, kNoParity},
    {kSetStopSize, kOneStopBit}, {kSetControl, kNoFlowControl},
};

// The parameters of a setting, or of its answer: the code and the value.
std::string setting(unsigned char code, std::uint32_t value);
}  // namespace comport

class ComPortClient {
public:
    ComPortClient();

    enum class State {
        Negotiating,
        Ready,            // the server's port is at 9600 8N1 without flow control
        OptionRefused,    // the server does not do the COM-PORT-OPTION (DONT)
        SettingsRefused,  // the server answered a setting other than the one asked for
    };

    // What the tool sends first, as soon as the connection is up.
    std::string start();
    // Bytes from the server: the line's data is appended to `data`, and what goes back (answers
    // to its negotiations, the settings once it agreed, bytes held until it resumed) to `reply`.
    void receive(std::string_view bytes, std::string& data, std::string& reply);
    // The tool's bytes as they go to the server, 255 doubled; nothing while the server has
    // suspended the flow (they go with the reply that resumes it).
    std::string send(std::string_view data);

    State state() const { return m_state; }
    // The stream from the server stopped inside a command.
    bool inCommand() const { return m_parser.inCommand(); }

private:
    void negotiate(const telnet::Command& command, std::string& reply);
    void answer(std::string_view parameters, std::string& reply);

    telnet::Parser m_parser;
    std::vector<telnet::Command> m_commands;
    telnet::Options m_options;
    State m_state = State::Negotiating;
    unsigned m_confirmed = 0;  // bit n: setting n confirmed
    bool m_suspended = false;
    std::string m_held;
};

}  // namespace tq
