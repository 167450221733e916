// Every sender of the command table: the bytes, and where the mode, the timer and the terminal
// stand at the moment each byte goes out.
#include <gtest/gtest.h>

#include <functional>

#include "link/commands.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

// The port and the main window of one sender's run. Before each write the port notes the mode
// and whether the terminal still holds its earlier text.
struct Rig : test::ScriptedPort {
    Rig()
    {
        m.ReceiveMode = 9;  // values no sender sets, so that an untouched one shows
        m.SeqReadActive = 5;
        host.log = &events;
        host.text.set("earlier text");
        feed("waiting");
    }
    void write(std::string_view bytes) override
    {
        events.push_back("mode:" + std::to_string(m.ReceiveMode) + (host.text.text().empty() ? " cleared" : ""));
        ScriptedPort::write(bytes);
    }
    Module1 m;
    test::FakeHost host;
};

struct Case {
    const char* name;
    std::function<void(const LinkContext&)> send;
    std::vector<std::string> events;  // port and host, in order
    int mode;
    int interval;
    bool cleared;
};

TEST(Commands, EachSenderRunsItsStepsInOrder)
{
    auto key = [](PanelKey k) { return [k](const LinkContext& c) { sendPanelKey(c, k); }; };
    auto address = [](MemoryAddress a) { return [a](const LinkContext& c) { sendMemoryAddress(c, a); }; };
    const Case cases[] = {
        {"daltq310", [](const LinkContext& c) { sendReadBack(c, false); },
         {"take", "timer:200", "mode:1 cleared", "write:H"}, ParamRead, 200, true},
        {"VMenu", sendMenuListRequest, {"timer:300", "take", "mode:2", "write:J"}, MenuRead, 300, false},
        {"LPFU", sendPhaseRequest, {"mode:4", "write:Y"}, PhaseRead, 100, false},
        {"RipIni", sendRepeatInit, {"mode:9", "write:z"}, 9, 100, false},
        {"ErrEEprom", sendForceEepromError, {"mode:9", "write:@"}, 9, 100, false},
        {"Menu +", key(PanelKey::MenuPlus), {"mode:0", "write:M"}, Terminal, 100, false},
        {"Menu -", key(PanelKey::MenuMinus), {"mode:0", "write:N"}, Terminal, 100, false},
        {"up", key(PanelKey::Up), {"mode:0", "write:2"}, Terminal, 100, false},
        {"down", key(PanelKey::Down), {"mode:0", "write:1"}, Terminal, 100, false},
        {"ENT", key(PanelKey::Enter), {"mode:9", "write:E"}, Terminal, 100, false},
        {"light", key(PanelKey::Light), {"mode:0", "write:$"}, Terminal, 100, false},
        {"Cancella testo", clearTerminal, {}, 9, 100, true},
        {"test VDIP1", startVdipTest, {"timer:200"}, Terminal, 200, true},
        {"Rileggi driver", sendRereadUsbKey, {"mode:0 cleared", "write:C"}, Terminal, 100, true},
        {"lettura ingressi", startInputPolling, {"timer:60"}, InputPoll, 60, false},
        {"Adres = file", address(MemoryAddress::FileList), {"mode:0", "write:y"}, Terminal, 100, false},
        {"Adres = cartelle", address(MemoryAddress::Folders), {"mode:0", "write:/"}, Terminal, 100, false},
        {"Adres = dati", address(MemoryAddress::KnitData), {"mode:0", "write:R"}, Terminal, 100, false},
        {"Passo", [](const LinkContext& c) { startMemoryStep(c, false); }, {}, MemoryStep, 100, false},
        {"ON", [](const LinkContext& c) { startMemoryStep(c, true); }, {}, MemoryStep, 100, false},
        {"OFF", stopMemoryStep, {}, 9, 100, false},
    };
    for (const Case& c : cases) {
        Rig r;
        c.send(LinkContext{r.m, r, r.host});
        EXPECT_EQ(r.events, c.events) << c.name;
        EXPECT_EQ(r.m.ReceiveMode, c.mode) << c.name;
        EXPECT_EQ(r.host.interval, c.interval) << c.name;
        EXPECT_EQ(r.host.text.text().empty(), c.cleared) << c.name;
        const std::string name = c.name;
        EXPECT_EQ(r.m.SeqReadActive, name == "ON" ? -1 : name == "Passo" || name == "OFF" ? 0 : 5) << c.name;
    }
}

TEST(Commands, ChipBufferMarksTheReadBackForCopying)
{
    Module1 m;
    test::FakeHost host;
    test::ScriptedPort port;
    sendReadBack({m, port, host}, true);
    EXPECT_EQ(m.ChipToBuffer, 1);
    sendReadBack({m, port, host}, false);  // a pending copy is left for the next completed read-back
    EXPECT_EQ(m.ChipToBuffer, 1);
    EXPECT_EQ(port.sent(), "HH");
}

}  // namespace
}  // namespace tq
