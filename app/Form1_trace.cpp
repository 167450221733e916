// The line trace of the main window: the port opener lays the recording port over every line it
// opens, and "Registro della linea", the last item of "Accessori", shows the trace. The ring,
// the frames and the window are in trace/.
#include "app/Form1.h"

#include <QAction>

#include "trace/tracing_port.h"
#include "ui/secondary_window.h"

namespace tq {

void Form1::installTrace()
{
    connect(RegLinea, &QAction::triggered, this, &Form1::RegLinea_Click);
}

LineDecorator Form1::lineRecorder()
{
    return [this](std::unique_ptr<SerialPort> line, const PortEntry* listed) {
        return std::make_unique<TracingPort>(std::move(line), m_lineTrace, listed);
    };
}

void Form1::RegLinea_Click()
{
    // Without a Qt parent, like the edit dialog: it stays usable while a secondary window has
    // disabled the main window.
    // Owned by this window all the same, so that no window manager hides it behind it, and out
    // of sight with it.
    if (!m_lineTraceWindow) {
        m_lineTraceWindow = std::make_unique<LineTraceWindow>(m_lineTrace);
        ui::ownBy(m_lineTraceWindow.get(), this);
        ui::hideWith(m_lineTraceWindow.get(), this);
    }
    m_lineTraceWindow->show();
    ui::activate(m_lineTraceWindow.get());
}

}  // namespace tq
