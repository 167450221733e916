#include "link/commands.h"

#include <algorithm>
#include <string_view>

namespace tq {

// The senders' one way to the engine's state, which names this class its friend. It is defined
// here and nowhere else, so that nothing outside link/ can write the state.
class EngineStateWriter {
public:
    static void setMode(Module1& m, ReceiveMode mode) { m.Engine.m_mode = mode; }
    static void setChipToBuffer(Module1& m, std::uint8_t value) { m.Engine.m_chipToBuffer = value; }
    static void setSeqReadActive(Module1& m, std::int16_t value) { m.Engine.m_seqReadActive = value; }
    // The host's Timer1 takes the interval from the next tick.
    static void setInterval(const LinkContext& ctx, int ms)
    {
        ctx.m.Engine.m_interval = ms;
        ctx.host.intervalChanged(ms);
    }
};

namespace {
using Engine = EngineStateWriter;
}  // namespace

void sendByte(SerialPort& port, char byte)
{
    port.write(std::string_view(&byte, 1));
}

void sendReadBack(const LinkContext& ctx, bool toBuffer)
{
    if (toBuffer)
        Engine::setChipToBuffer(ctx.m, 1);
    ctx.host.terminal().clear();
    ctx.port.takeAll();
    Engine::setInterval(ctx, interval::ParamRead);
    Engine::setMode(ctx.m, ReceiveMode::ParamRead);
    sendByte(ctx.port, cmd::ReadParams);
}

void sendMenuListRequest(const LinkContext& ctx)
{
    Engine::setInterval(ctx, interval::MenuList);
    Engine::setMode(ctx.m, ReceiveMode::MenuRead);
    ctx.port.takeAll();
    sendByte(ctx.port, cmd::ReadMenuTexts);
}

void sendPhaseRequest(const LinkContext& ctx)
{
    Engine::setMode(ctx.m, ReceiveMode::PhaseRead);
    sendByte(ctx.port, cmd::ReadPhases);
}

void sendRepeatInit(const LinkContext& ctx)
{
    sendByte(ctx.port, cmd::RepeatInit);
}

void sendForceEepromError(const LinkContext& ctx)
{
    sendByte(ctx.port, cmd::ForceEepromError);
}

char panelKeyByte(PanelKey key)
{
    switch (key) {
    case PanelKey::MenuPlus: return cmd::KeyMenuPlus;
    case PanelKey::MenuMinus: return cmd::KeyMenuMinus;
    case PanelKey::Up: return cmd::KeyUp;
    case PanelKey::Down: return cmd::KeyDown;
    case PanelKey::Enter: return cmd::KeyEnter;
    case PanelKey::Light: return cmd::KeyLight;
    }
    return cmd::KeyEnter;
}

void sendPanelKey(const LinkContext& ctx, PanelKey key)
{
    // ENT is the one key that is sent before the mode is set.
    if (key == PanelKey::Enter) {
        sendByte(ctx.port, cmd::KeyEnter);
        Engine::setMode(ctx.m, ReceiveMode::Terminal);
        return;
    }
    Engine::setMode(ctx.m, ReceiveMode::Terminal);
    sendByte(ctx.port, panelKeyByte(key));
}

void clearTerminal(const LinkContext& ctx)
{
    ctx.host.terminal().clear();
}

void startVdipTest(const LinkContext& ctx)
{
    Engine::setMode(ctx.m, ReceiveMode::Terminal);
    Engine::setInterval(ctx, interval::VdipTest);
    ctx.host.terminal().clear();
}

void sendRereadUsbKey(const LinkContext& ctx)
{
    ctx.host.terminal().clear();
    Engine::setMode(ctx.m, ReceiveMode::Terminal);
    sendByte(ctx.port, cmd::RereadUsbKey);
}

void startInputPolling(const LinkContext& ctx)
{
    Engine::setInterval(ctx, interval::InputPoll);
    Engine::setMode(ctx.m, ReceiveMode::InputPoll);
}

char memoryAddressByte(MemoryAddress address)
{
    switch (address) {
    case MemoryAddress::FileList: return cmd::AddressFileList;
    case MemoryAddress::Folders: return cmd::AddressFolders;
    case MemoryAddress::KnitData: return cmd::SimulationReset;
    }
    return cmd::AddressFileList;
}

void sendMemoryAddress(const LinkContext& ctx, MemoryAddress address)
{
    Engine::setMode(ctx.m, ReceiveMode::Terminal);
    sendByte(ctx.port, memoryAddressByte(address));
}

void startMemoryStep(const LinkContext& ctx, bool sequential)
{
    Engine::setMode(ctx.m, ReceiveMode::MemoryStep);
    Engine::setSeqReadActive(ctx.m, sequential ? -1 : 0);
}

void stopMemoryStep(const LinkContext& ctx)
{
    Engine::setSeqReadActive(ctx.m, 0);
}

void startSimulation(const LinkContext& ctx)
{
    Engine::setInterval(ctx, interval::Simulation);
    Engine::setMode(ctx.m, ReceiveMode::SimStep);
    sendByte(ctx.port, cmd::SimulationReset);
    ctx.m.RowCounter = 0;
}

void requestSimulationStep(const LinkContext& ctx)
{
    Engine::setInterval(ctx, interval::Simulation);
    Engine::setMode(ctx.m, ReceiveMode::SimStep);
    sendByte(ctx.port, cmd::SimulationStep);
}

void startOutputTest(Module1& m, const std::array<std::uint8_t, 3>& outputs)
{
    Engine::setMode(m, ReceiveMode::OutputTest);
    std::copy(outputs.begin(), outputs.end(), m.OutputBytes.begin());
}

void stopOutputTest(Module1& m)
{
    Engine::setMode(m, ReceiveMode::Terminal);
}

}  // namespace tq
