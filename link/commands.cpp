#include "link/commands.h"

#include <algorithm>
#include <string_view>

namespace tq {

void sendByte(SerialPort& port, char byte)
{
    port.write(std::string_view(&byte, 1));
}

void sendReadBack(const LinkContext& ctx, bool toBuffer)
{
    if (toBuffer)
        ctx.m.ChipToBuffer = 1;
    ctx.host.terminal().clear();
    ctx.port.takeAll();
    ctx.host.setTimerInterval(interval::ParamRead);
    ctx.m.ReceiveMode = ParamRead;
    sendByte(ctx.port, cmd::ReadParams);
}

void sendMenuListRequest(const LinkContext& ctx)
{
    ctx.host.setTimerInterval(interval::MenuList);
    ctx.m.ReceiveMode = MenuRead;
    ctx.port.takeAll();
    sendByte(ctx.port, cmd::ReadMenuTexts);
}

void sendPhaseRequest(const LinkContext& ctx)
{
    ctx.m.ReceiveMode = PhaseRead;
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
        ctx.m.ReceiveMode = Terminal;
        return;
    }
    ctx.m.ReceiveMode = Terminal;
    sendByte(ctx.port, panelKeyByte(key));
}

void clearTerminal(const LinkContext& ctx)
{
    ctx.host.terminal().clear();
}

void startVdipTest(const LinkContext& ctx)
{
    ctx.m.ReceiveMode = Terminal;
    ctx.host.setTimerInterval(interval::VdipTest);
    ctx.host.terminal().clear();
}

void sendRereadUsbKey(const LinkContext& ctx)
{
    ctx.host.terminal().clear();
    ctx.m.ReceiveMode = Terminal;
    sendByte(ctx.port, cmd::RereadUsbKey);
}

void startInputPolling(const LinkContext& ctx)
{
    ctx.host.setTimerInterval(interval::InputPoll);
    ctx.m.ReceiveMode = InputPoll;
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
    ctx.m.ReceiveMode = Terminal;
    sendByte(ctx.port, memoryAddressByte(address));
}

void startMemoryStep(const LinkContext& ctx, bool sequential)
{
    ctx.m.ReceiveMode = MemoryStep;
    ctx.m.SeqReadActive = sequential ? -1 : 0;
}

void stopMemoryStep(const LinkContext& ctx)
{
    ctx.m.SeqReadActive = 0;
}

void startSimulation(const LinkContext& ctx)
{
    ctx.host.setTimerInterval(interval::Simulation);
    ctx.m.ReceiveMode = SimStep;
    sendByte(ctx.port, cmd::SimulationReset);
    ctx.m.RowCounter = 0;
}

void requestSimulationStep(const LinkContext& ctx)
{
    ctx.host.setTimerInterval(interval::Simulation);
    ctx.m.ReceiveMode = SimStep;
    sendByte(ctx.port, cmd::SimulationStep);
}

void startOutputTest(Module1& m, const std::array<std::uint8_t, 3>& outputs)
{
    m.ReceiveMode = OutputTest;
    std::copy(outputs.begin(), outputs.end(), m.OutputBytes.begin());
}

void stopOutputTest(Module1& m)
{
    m.ReceiveMode = Terminal;
}

void setReceiveMode(Module1& m, std::uint8_t mode)
{
    m.ReceiveMode = mode;
}

}  // namespace tq
