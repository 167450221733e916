#include "link/telnet.h"

namespace tq::telnet {

void Parser::feed(std::string_view bytes, std::string& data, std::vector<Command>& commands)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (m_state) {
        case State::Data:
            if (b == kIac)
                m_state = State::Iac;
            else
                data += c;
            break;
        case State::Iac:
            m_command = Command{b, 0, {}, false};
            if (b == kIac) {
                data += c;
                m_state = State::Data;
            } else if (b == kWill || b == kWont || b == kDo || b == kDont || b == kSb) {
                m_state = State::Option;
            } else {
                commands.push_back(m_command);
                m_state = State::Data;
            }
            break;
        case State::Option:
            m_command.option = b;
            if (m_command.verb == kSb) {
                m_state = State::Parameters;
            } else {
                commands.push_back(m_command);
                m_state = State::Data;
            }
            break;
        case State::Parameters:
        case State::ParametersIac:
            if (m_state == State::Parameters && b == kIac) {
                m_state = State::ParametersIac;
                break;
            }
            if (m_state == State::ParametersIac && b == kSe) {
                commands.push_back(std::move(m_command));
                m_state = State::Data;
                break;
            }
            if (m_state == State::ParametersIac && b != kIac) {
                // IAC and a command inside a subnegotiation: the peer broke it off. The
                // subnegotiation is dropped, and the byte is read as following IAC.
                m_state = State::Iac;
                feed(std::string_view(&c, 1), data, commands);
                break;
            }
            if (m_command.parameters.size() < kMaxParameters)
                m_command.parameters += c;
            else
                m_command.truncated = true;
            m_state = State::Parameters;
            break;
        }
    }
}

Options::Set Options::set(std::initializer_list<unsigned char> options)
{
    Set set;
    for (const unsigned char o : options)
        set.set(o);
    return set;
}

void Options::ask(unsigned char verb, unsigned char option, std::string& out)
{
    State& state = (verb == kWill ? m_ours : m_theirs).state[option];
    if (state != State::Off)
        return;
    state = State::Asked;
    out += negotiation(verb, option);
}

Options::Change Options::take(const Command& negotiation, std::string& reply)
{
    // DO and DONT are about our side of the option, WILL and WONT about the peer's.
    const unsigned char option = negotiation.option;
    const bool ours = negotiation.verb == kDo || negotiation.verb == kDont;
    const bool enable = negotiation.verb == kDo || negotiation.verb == kWill;
    Side& side = ours ? m_ours : m_theirs;
    State& state = side.state[option];
    const unsigned char yes = ours ? kWill : kDo;
    const unsigned char no = ours ? kWont : kDont;

    if (enable && !side.agreeable.test(option)) {
        if (!side.refused.test(option))
            reply += telnet::negotiation(no, option);
        side.refused.set(option);
        return Change::None;
    }
    if (enable) {
        if (state == State::On)
            return Change::None;
        if (state == State::Off)
            reply += telnet::negotiation(yes, option);
        state = State::On;
        return Change::On;
    }
    if (state == State::Off)
        return Change::None;
    if (state == State::On)
        reply += telnet::negotiation(no, option);
    state = State::Off;
    return Change::Off;
}

void appendEscaped(std::string& out, std::string_view data)
{
    for (const char c : data) {
        out += c;
        if (static_cast<unsigned char>(c) == kIac)
            out += c;
    }
}

std::string negotiation(unsigned char verb, unsigned char option)
{
    return {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
}

std::string subnegotiation(unsigned char option, std::string_view parameters)
{
    std::string out{static_cast<char>(kIac), static_cast<char>(kSb), static_cast<char>(option)};
    appendEscaped(out, parameters);
    out += static_cast<char>(kIac);
    out += static_cast<char>(kSe);
    return out;
}

}  // namespace tq::telnet
