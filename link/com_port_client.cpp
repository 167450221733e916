#include "link/com_port_client.h"

#include <utility>

namespace tq {

using namespace telnet;

namespace comport {

std::string setting(unsigned char code, std::uint32_t value)
{
    std::string parameters(1, static_cast<char>(code));
    const int bytes = code % kAnswer == kSetBaudRate ? 4 : 1;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        parameters += static_cast<char>((value >> shift) & 0xFF);
    return parameters;
}

}  // namespace comport

namespace {

using namespace comport;

constexpr unsigned kAllConfirmed = (1u << kSetBaudRate) | (1u << kSetDataSize) | (1u << kSetParity)
    | (1u << kSetStopSize) | (1u << kSetControl);

}  // namespace

ComPortClient::ComPortClient()
    : m_options(Options::set({kBinary, kSuppressGoAhead, kComPort}), Options::set({kBinary, kSuppressGoAhead}))
{
}

std::string ComPortClient::start()
{
    std::string out;
    m_options.ask(kWill, kBinary, out);
    m_options.ask(kDo, kBinary, out);
    m_options.ask(kWill, kComPort, out);
    return out;
}

void ComPortClient::receive(std::string_view bytes, std::string& data, std::string& reply)
{
    m_commands.clear();
    m_parser.feed(bytes, data, m_commands);
    for (const Command& c : m_commands) {
        if (c.verb == kSb && c.option == kComPort && !c.truncated)
            answer(c.parameters, reply);
        else if (c.verb >= kWill && c.verb <= kDont)
            negotiate(c, reply);
        // Other subnegotiations and one-byte commands (NOP, GA, ...) change nothing here.
    }
}

std::string ComPortClient::send(std::string_view data)
{
    std::string out;
    appendEscaped(out, data);
    if (!m_suspended)
        return out;
    m_held += out;
    return {};
}

void ComPortClient::negotiate(const Command& command, std::string& reply)
{
    const Options::Change change = m_options.take(command, reply);
    const bool comPort = command.option == kComPort && (command.verb == kDo || command.verb == kDont);
    if (!comPort || m_state != State::Negotiating)
        return;
    // The server agreed to the option: the settings may be sent (RFC 2217, 2).
    if (change == Options::Change::On)
        for (const auto& s : kLine)
            reply += subnegotiation(kComPort, setting(s.code, s.value));
    else if (change == Options::Change::Off)
        m_state = State::OptionRefused;
}

void ComPortClient::answer(std::string_view parameters, std::string& reply)
{
    if (parameters.empty())
        return;
    const auto code = static_cast<unsigned char>(parameters[0]);
    if (code == kAnswer + kFlowSuspend) {
        m_suspended = true;
        return;
    }
    if (code == kAnswer + kFlowResume) {
        m_suspended = false;
        reply += std::exchange(m_held, {});
        return;
    }
    // The answers to the settings count while the line is being set up; a server that changes
    // its port later (another client of the same port) is not watched.
    if (m_state != State::Negotiating)
        return;
    for (const auto& s : kLine) {
        if (code != kAnswer + s.code)
            continue;
        if (parameters.substr(1) != std::string_view(setting(s.code, s.value)).substr(1)) {
            m_state = State::SettingsRefused;
            return;
        }
        m_confirmed |= 1u << s.code;
    }
    if (m_confirmed == kAllConfirmed)
        m_state = State::Ready;
}

}  // namespace tq
