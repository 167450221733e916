#include "sim/com_port_server.h"

namespace tq::sim {

using namespace telnet;
using namespace comport;

namespace {

constexpr unsigned char kSignature = 0;
constexpr const char* kSignatureText = "tq310-sim";

}  // namespace

ComPortServer::ComPortServer(std::uint32_t baud)
    : m_baud(baud),
      m_options(Options::set({kBinary, kSuppressGoAhead}), Options::set({kBinary, kSuppressGoAhead, kComPort}))
{
}

void ComPortServer::receive(std::string_view bytes, std::string& data, std::string& reply)
{
    m_commands.clear();
    m_parser.feed(bytes, data, m_commands);
    for (const Command& c : m_commands) {
        if (c.verb >= kWill && c.verb <= kDont)
            m_options.take(c, reply);
        else if (c.verb == kSb && c.option == kComPort && !c.truncated && !c.parameters.empty())
            answer(c.parameters, reply);
    }
}

std::string ComPortServer::send(std::string_view data)
{
    std::string out;
    appendEscaped(out, data);
    return out;
}

void ComPortServer::answer(std::string_view parameters, std::string& reply) const
{
    const auto code = static_cast<unsigned char>(parameters[0]);
    std::string answer;
    if (code == kSignature) {
        answer = std::string(1, static_cast<char>(kAnswer + kSignature)) + kSignatureText;
    } else if (code == kSetBaudRate) {
        answer = setting(kAnswer + code, m_baud);
    } else if (code == kSetControl && parameters.size() == 2) {
        // Flow control is off both ways; the modem lines and the break are as asked.
        const auto asked = static_cast<unsigned char>(parameters[1]);
        const unsigned char value = asked <= 3 ? kNoFlowControl : asked >= 13 && asked <= 16 ? 14 : asked;
        answer = setting(kAnswer + code, value);
    } else {
        for (const Setting& s : kLine)
            if (s.code == code)
                answer = setting(kAnswer + code, s.value);
    }
    if (!answer.empty())
        reply += subnegotiation(kComPort, answer);
}

}  // namespace tq::sim
