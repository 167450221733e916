// The diagnostics of the main window: the replica of the controller's panel keys, the device and
// memory debugging buttons, the input monitor, the production simulation (MascPro, conta and
// the window InpOut) and the output test (Form2).
#include "app/Form1.h"

#include <QAction>
#include <QPushButton>

#include "operations/form2.h"
#include "operations/inp_out.h"
#include "operations/simulation_rows.h"
#include "ui/secondary_window.h"

namespace tq {

void Form1::installDiagnostics()
{
    const auto wire = [this](QPushButton* button, std::function<void(const LinkContext&)> action) {
        connectToController(button, &QPushButton::clicked, std::move(action));
    };

    const struct { QPushButton* button; PanelKey key; } keys[] = {
        {Command17, PanelKey::MenuPlus}, {Command1, PanelKey::MenuMinus}, {Command3, PanelKey::Up},
        {Command4, PanelKey::Down},      {Command5, PanelKey::Enter},     {Command6, PanelKey::Light},
    };
    for (const auto& k : keys)
        wire(k.button, [key = k.key](const LinkContext& c) { sendPanelKey(c, key); });

    wire(Command18, clearTerminal);
    wire(Command11, startVdipTest);
    wire(Command19, sendRereadUsbKey);
    wire(Command13, startInputPolling);
    wire(Command14, [this](const LinkContext&) { MascPro(1); });

    const struct { QPushButton* button; MemoryAddress address; } addresses[] = {
        {Command26, MemoryAddress::FileList}, {Command22, MemoryAddress::Folders}, {Command15, MemoryAddress::KnitData},
    };
    for (const auto& a : addresses)
        wire(a.button, [address = a.address](const LinkContext& c) { sendMemoryAddress(c, address); });
    wire(Command16, [](const LinkContext& c) { startMemoryStep(c, false); });
    wire(Command23, [](const LinkContext& c) { startMemoryStep(c, true); });
    wire(Command24, stopMemoryStep);

    connectToController(CIngressi, &QAction::triggered, startInputPolling);
    connect(TetUscite, &QAction::triggered, this, &Form1::TetUscite_Click);
}

void Form1::TetUscite_Click()
{
    Form2& window = outputTestWindow();
    window.layOut();
    ui::openSecondary(&window, this);
    stopOutputTest(m_module);
    m_terminal.set("Seleziona uscite");
    syncTerminal();
}

void Form1::MascPro(std::uint8_t a)
{
    // Without a port (the line was lost while the window was open) only the window changes:
    // nothing can answer, and the timer stands still.
    if (a != 1) {
        if (isConnected()) {
            requestSimulationStep(link());
            m_clock->wake();
        }
        return;
    }
    m_module.RowDirection = resetDirection(m_module.FileParams);
    InpOut& window = simulationWindow();
    window.clearRows();
    if (isConnected()) {
        startSimulation(link());
        m_clock->wake();
    }
    ui::openSecondary(&window, this);
}

void Form1::conta()
{
    simulationWindow().conta();
}

InpOut& Form1::simulationWindow()
{
    if (!m_inpOut)
        m_inpOut = std::make_unique<InpOut>(m_module, [this] { MascPro(0); }, [this] { MascPro(1); });
    return *m_inpOut;
}

Form2& Form1::outputTestWindow()
{
    if (!m_form2)
        m_form2 = std::make_unique<Form2>(
            m_module,
            [this](const std::array<std::uint8_t, 3>& outputs) {
                startOutputTest(m_module, outputs);
                m_clock->wake();
            },
            [this] { stopOutputTest(m_module); });
    return *m_form2;
}

}  // namespace tq
