// Telnet and the COM-PORT-OPTION (RFC 854, 855, 2217) on bytes from the network, which nobody
// vouches for. The input is read as a program:
// 1. What a server sends, any bytes, fed to the tool's client whole and in pieces of any size:
//    the same data, replies and state either way; the replies are well-formed Telnet with no
//    data in them, about options the server named or the five settings, never more than a
//    negotiation per command of the server besides the settings (no loop, no flood); the line
//    is ready only when the server confirmed all five settings, and refused only when it
//    answered one otherwise or refused the option.
// 2. A stream made of data, negotiations, subnegotiations of any length and one-byte commands,
//    read back in pieces: exactly that data and those commands, a subnegotiation cut at the
//    parser's bound and marked so.
// 3. The client and the simulator's server on one connection: the line is ready at 9600 baud
//    and refused at any other. (That every byte crosses it both ways unchanged, the network
//    line's test in tests/link proves on real sockets.)

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "link/com_port_client.h"
#include "link/telnet.h"
#include "sim/com_port_server.h"
#include "target.h"

namespace {

using tq::ComPortClient;
using tq::telnet::Command;
using namespace tq::telnet;
namespace comport = tq::comport;

std::vector<Command> commandsOf(std::string_view stream, std::string* data = nullptr)
{
    Parser parser;
    std::string ignored;
    std::vector<Command> commands;
    parser.feed(stream, data ? *data : ignored, commands);
    return commands;
}

bool isNegotiation(const Command& c)
{
    return c.verb >= kWill && c.verb <= kDont;
}

void serverToClient(tq::fuzz::ByteProgram& p)
{
    const std::string stream = p.bytes(p.word() % 4096);
    const std::size_t piece = 1 + p.below(16);

    ComPortClient whole;
    ComPortClient pieces;
    std::string data[2];
    std::string reply[2];
    whole.start();
    pieces.start();
    whole.receive(stream, data[0], reply[0]);
    for (std::size_t at = 0; at < stream.size(); at += piece)
        pieces.receive(std::string_view(stream).substr(at, piece), data[1], reply[1]);
    FUZZ_CHECK(data[0] == data[1] && reply[0] == reply[1]);
    FUZZ_CHECK(whole.state() == pieces.state() && whole.inCommand() == pieces.inCommand());

    const std::vector<Command> said = commandsOf(stream);
    std::string replyData;
    const std::vector<Command> answers = commandsOf(reply[0], &replyData);
    FUZZ_CHECK(replyData.empty());
    std::size_t negotiations = 0;
    for (const Command& a : answers) {
        if (isNegotiation(a)) {
            ++negotiations;
            FUZZ_CHECK(std::any_of(said.begin(), said.end(),
                                   [&](const Command& c) { return isNegotiation(c) && c.option == a.option; }));
        } else {
            FUZZ_CHECK(a.verb == kSb && a.option == kComPort);
            FUZZ_CHECK(std::any_of(std::begin(comport::kLine), std::end(comport::kLine),
                                   [&](const comport::Setting& s) { return a.parameters == comport::setting(s.code, s.value); }));
        }
    }
    FUZZ_CHECK(negotiations <= static_cast<std::size_t>(std::count_if(said.begin(), said.end(), isNegotiation)));

    unsigned confirmed = 0;
    bool otherAnswer = false;
    for (const Command& c : said) {
        if (c.verb != kSb || c.option != kComPort || c.truncated || c.parameters.empty())
            continue;
        for (const comport::Setting& s : comport::kLine)
            if (static_cast<unsigned char>(c.parameters[0]) == comport::kAnswer + s.code) {
                const bool same = c.parameters == comport::setting(comport::kAnswer + s.code, s.value);
                confirmed |= same ? 1u << s.code : 0;
                otherAnswer |= !same;
            }
    }
    const bool refusedOption = std::any_of(said.begin(), said.end(), [](const Command& c) {
        return c.verb == kDont && c.option == kComPort;
    });
    if (whole.state() == ComPortClient::State::Ready)
        FUZZ_CHECK(confirmed == 0b111110);  // codes 1 to 5
    if (whole.state() == ComPortClient::State::SettingsRefused)
        FUZZ_CHECK(otherAnswer);
    if (whole.state() == ComPortClient::State::OptionRefused)
        FUZZ_CHECK(refusedOption);
}

void builtStream(tq::fuzz::ByteProgram& p)
{
    std::string stream;
    std::string data;
    std::vector<Command> commands;
    for (unsigned segments = p.below(32); segments > 0; --segments) {
        switch (p.below(4)) {
        case 0: {
            const std::string d = p.bytes(p.below(32));
            appendEscaped(stream, d);
            data += d;
            break;
        }
        case 1: {
            const auto verb = static_cast<unsigned char>(kWill + p.below(4));
            const unsigned char option = p.byte();
            stream += negotiation(verb, option);
            commands.push_back({verb, option, {}, false});
            break;
        }
        case 2: {
            const unsigned char option = p.byte();
            const std::string parameters = p.bytes(p.word() % 300);
            stream += subnegotiation(option, parameters);
            const bool cut = parameters.size() > Parser::kMaxParameters;
            commands.push_back({kSb, option, parameters.substr(0, Parser::kMaxParameters), cut});
            break;
        }
        default: {
            const unsigned char b = p.byte();
            const unsigned char verb = b >= kSb ? 241 : b;  // NOP in place of a verb with more to come
            stream += {static_cast<char>(kIac), static_cast<char>(verb)};
            commands.push_back({verb, 0, {}, false});
            break;
        }
        }
    }
    const std::size_t piece = 1 + p.below(64);
    Parser parser;
    std::string gotData;
    std::vector<Command> got;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        parser.feed(std::string_view(stream).substr(at, piece), gotData, got);
    FUZZ_CHECK(gotData == data && got == commands && !parser.inCommand());
}

void clientAndServer(tq::fuzz::ByteProgram& p)
{
    const std::uint32_t baud = p.below(2) == 0 ? comport::kBaud : 300u + p.word();
    tq::sim::ComPortServer server(baud);
    ComPortClient client;
    std::string toServer = client.start();
    std::string toClient;
    std::string data;
    for (int round = 0; round < 8 && !(toServer.empty() && toClient.empty()); ++round) {
        server.receive(std::exchange(toServer, {}), data, toClient);
        client.receive(std::exchange(toClient, {}), data, toServer);
    }
    FUZZ_CHECK(data.empty());
    FUZZ_CHECK(client.state() == (baud == comport::kBaud ? ComPortClient::State::Ready
                                                          : ComPortClient::State::SettingsRefused));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    tq::fuzz::ByteProgram p(bytes, size);
    serverToClient(p);
    builtStream(p);
    clientAndServer(p);
    return 0;
}
