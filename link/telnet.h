#pragma once
// Telnet (RFC 854, 855) as a stream of bytes, with no socket of its own: the line's data, every
// byte 255 (IAC) doubled, and between the data the peer's commands, each starting with IAC:
//   IAC WILL|WONT|DO|DONT option        a negotiation
//   IAC SB option parameters IAC SE     a subnegotiation (255 doubled in the parameters)
//   IAC any other byte                  a one-byte command (NOP, GA, ...)
// The network line and the simulator's server both read their peer through Parser.

#include <array>
#include <bitset>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tq::telnet {

inline constexpr unsigned char kIac = 255;
inline constexpr unsigned char kDont = 254;
inline constexpr unsigned char kDo = 253;
inline constexpr unsigned char kWont = 252;
inline constexpr unsigned char kWill = 251;
inline constexpr unsigned char kSb = 250;
inline constexpr unsigned char kSe = 240;

inline constexpr unsigned char kBinary = 0;           // RFC 856
inline constexpr unsigned char kSuppressGoAhead = 3;  // RFC 858
inline constexpr unsigned char kComPort = 44;         // RFC 2217

// A command of the peer.
struct Command {
    unsigned char verb = 0;    // kWill, kWont, kDo, kDont, kSb, or the byte of a one-byte command
    unsigned char option = 0;  // of a negotiation or a subnegotiation
    std::string parameters;    // of a subnegotiation
    bool truncated = false;    // a subnegotiation longer than Parser::kMaxParameters

    bool operator==(const Command&) const = default;
};

class Parser {
public:
    // What a subnegotiation keeps of its parameters: a peer that talks on and on before IAC SE
    // never makes the parser hold more. The longest the tool reads is a COM-PORT-OPTION answer
    // of 5 bytes.
    static constexpr std::size_t kMaxParameters = 64;

    // Takes the next piece of the stream (a command may be split across pieces): its data is
    // appended to `data`, its complete commands to `commands`, in order.
    void feed(std::string_view bytes, std::string& data, std::vector<Command>& commands);

    // The stream stops inside a command (after IAC, or in a subnegotiation).
    bool inCommand() const { return m_state != State::Data; }

private:
    enum class State { Data, Iac, Option, Parameters, ParametersIac };

    State m_state = State::Data;
    Command m_command;
};

// Who has which option on (RFC 854's negotiation): each side of the connection, ours (WILL,
// WONT) and the peer's (DO, DONT), agrees to the options it was given and refuses the others.
// A request that changes nothing gets no answer, and an option is refused once, so that two
// sides never loop however the peer talks.
class Options {
public:
    using Set = std::bitset<256>;
    static Set set(std::initializer_list<unsigned char> options);
    Options(Set ours, Set theirs) : m_ours{{}, ours, {}}, m_theirs{{}, theirs, {}} {}

    // Asks for an option: WILL (ours) or DO (the peer's); the request goes to `out`.
    void ask(unsigned char verb, unsigned char option, std::string& out);
    // How the peer's negotiation changed an option, after its answer went to `reply`.
    enum class Change { None, On, Off };
    Change take(const Command& negotiation, std::string& reply);

    bool ours(unsigned char option) const { return m_ours.state[option] == State::On; }

private:
    enum class State : unsigned char { Off, Asked, On };
    struct Side {
        std::array<State, 256> state{};
        Set agreeable;
        Set refused;
    };

    Side m_ours;
    Side m_theirs;
};

// Data as it goes on the stream: every 255 doubled, appended to `out`.
void appendEscaped(std::string& out, std::string_view data);
// IAC verb option.
std::string negotiation(unsigned char verb, unsigned char option);
// IAC SB option parameters IAC SE, 255 doubled in the parameters.
std::string subnegotiation(unsigned char option, std::string_view parameters);

}  // namespace tq::telnet
