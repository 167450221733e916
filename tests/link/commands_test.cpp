// Every sender of the command table: the bytes, where the mode and the terminal stand at the
// moment each byte goes out, and what the sender leaves behind.
#include <gtest/gtest.h>

#include <functional>

#include "link/commands.h"
#include "support/fake_host.h"
#include "support/scripted_port.h"

namespace tq {
namespace {

// The port and the main window of one sender's run. The engine starts, through the senders, in
// the output test with sequential memory reading on, and the course count at a value no sender
// sets, so that a sender that leaves them shows; before each write the port notes the mode and
// whether the terminal still holds its earlier text.
struct Rig : test::ScriptedPort {
    Rig()
    {
        startMemoryStep(LinkContext{m, *this, host}, true);
        startOutputTest(m, {0, 0, 0});
        m.RowCounter = 9;
        host.log = &events;
        host.text.set("earlier text");
        feed("waiting");
    }
    std::string state() const
    {
        return "mode:" + std::to_string(int(m.Engine.mode())) + (host.text.text().empty() ? " cleared" : "");
    }
    void write(std::string_view bytes) override
    {
        events.push_back(state());
        ScriptedPort::write(bytes);
    }
    // What the sender left: the mode, the terminal, and sequential reading, the copy to the
    // working copy, the course count and the output pattern when it changed them (daltq310
    // leaves a pending copy for the next read-back).
    std::string left() const
    {
        std::string outputs;
        for (std::uint8_t b : m.OutputBytes)
            outputs += b ? std::to_string(b) + "," : "0,";
        const EngineState& e = m.Engine;
        return "left " + state() + (e.SeqReadActive() != -1 ? " seq:" + std::to_string(e.SeqReadActive()) : "") +
               (e.ChipToBuffer() != 0 ? " copy:" + std::to_string(e.ChipToBuffer()) : "") +
               (m.RowCounter != 9 ? " rows:" + std::to_string(m.RowCounter) : "") +
               (outputs != "0,0,0,0,0,0," ? " out:" + outputs : "");
    }
    Module1 m;
    test::FakeHost host;
};

TEST(Commands, EachSenderRunsItsStepsInOrder)
{
    using Send = std::function<void(const LinkContext&)>;
    auto key = [](PanelKey k) -> Send { return [k](const LinkContext& c) { sendPanelKey(c, k); }; };
    auto address = [](MemoryAddress a) -> Send { return [a](const LinkContext& c) { sendMemoryAddress(c, a); }; };
    auto readBack = [](bool copy) -> Send { return [copy](const LinkContext& c) { sendReadBack(c, copy); }; };
    auto step = [](bool on) -> Send { return [on](const LinkContext& c) { startMemoryStep(c, on); }; };
    auto outputs = [](const LinkContext& c) { startOutputTest(c.m, {0x81, 0x01, 0x80}); };
    auto noOutputs = [](const LinkContext& c) { stopOutputTest(c.m); };
    const struct { const char* name; Send send; std::vector<std::string> events; } cases[] = {
        {"daltq310", readBack(false), {"take", "timer:200", "mode:1 cleared", "write:H", "left mode:1 cleared"}},
        {"ChipBuffer", readBack(true),
         {"take", "timer:200", "mode:1 cleared", "write:H", "left mode:1 cleared copy:1"}},
        {"VMenu", sendMenuListRequest, {"timer:300", "take", "mode:2", "write:J", "left mode:2"}},
        {"LPFU", sendPhaseRequest, {"mode:4", "write:Y", "left mode:4"}},
        {"RipIni", sendRepeatInit, {"mode:6", "write:z", "left mode:6"}},
        {"ErrEEprom", sendForceEepromError, {"mode:6", "write:@", "left mode:6"}},
        {"Menu +", key(PanelKey::MenuPlus), {"mode:0", "write:M", "left mode:0"}},
        {"Menu -", key(PanelKey::MenuMinus), {"mode:0", "write:N", "left mode:0"}},
        {"up", key(PanelKey::Up), {"mode:0", "write:2", "left mode:0"}},
        {"down", key(PanelKey::Down), {"mode:0", "write:1", "left mode:0"}},
        {"ENT", key(PanelKey::Enter), {"mode:6", "write:E", "left mode:0"}},
        {"light", key(PanelKey::Light), {"mode:0", "write:$", "left mode:0"}},
        {"Cancella testo", clearTerminal, {"left mode:6 cleared"}},
        {"test VDIP1", startVdipTest, {"timer:200", "left mode:0 cleared"}},
        {"Rileggi driver", sendRereadUsbKey, {"mode:0 cleared", "write:C", "left mode:0 cleared"}},
        {"lettura ingressi", startInputPolling, {"timer:60", "left mode:5"}},
        {"Adres = file", address(MemoryAddress::FileList), {"mode:0", "write:y", "left mode:0"}},
        {"Adres = cartelle", address(MemoryAddress::Folders), {"mode:0", "write:/", "left mode:0"}},
        {"Adres = dati", address(MemoryAddress::KnitData), {"mode:0", "write:R", "left mode:0"}},
        {"Passo", step(false), {"left mode:7 seq:0"}},
        {"ON", step(true), {"left mode:7"}},
        {"OFF", stopMemoryStep, {"left mode:6 seq:0"}},
        {"Produci", startSimulation, {"timer:50", "mode:3", "write:R", "left mode:3 rows:0"}},
        {"CONTEGGIO", requestSimulationStep, {"timer:50", "mode:3", "write:S", "left mode:3"}},
        {"output test", outputs, {"left mode:6 out:129,1,128,0,0,0,"}},
        {"output test closed", noOutputs, {"left mode:0"}},
    };
    for (const auto& c : cases) {
        Rig r;
        c.send(LinkContext{r.m, r, r.host});
        r.events.push_back(r.left());
        EXPECT_EQ(r.events, c.events) << c.name;
    }
}

}  // namespace
}  // namespace tq
