// The line trace of the main window: the port opener lays the recording port over every line it
// opens, and "Registro della linea", the last item of "Accessori", shows the trace. The ring,
// the frames and the window are in trace/.
#include "app/Form1.h"

#include <QAction>
#include <QEvent>

#include "trace/tracing_port.h"
#include "ui/secondary_window.h"

namespace tq {

namespace {

// The trace window is a window of its own: it goes out of sight with the main window.
class HideTraceWithMainWindow : public QObject {
public:
    explicit HideTraceWithMainWindow(Form1* form) : QObject(form), m_form(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_form && event->type() == QEvent::Hide && m_form->lineTraceWindow())
            m_form->lineTraceWindow()->hide();
        return false;
    }

private:
    Form1* m_form;
};

}  // namespace

void Form1::installTrace()
{
    connect(RegLinea, &QAction::triggered, this, &Form1::RegLinea_Click);
    installEventFilter(new HideTraceWithMainWindow(this));
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
    // Owned by this window all the same, so that no window manager hides it behind it.
    if (!m_lineTraceWindow) {
        m_lineTraceWindow = std::make_unique<LineTraceWindow>(m_lineTrace);
        ui::ownBy(m_lineTraceWindow.get(), this);
    }
    m_lineTraceWindow->show();
    ui::activate(m_lineTraceWindow.get());
}

}  // namespace tq
