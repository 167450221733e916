#pragma once
// The main window as the program starts it, its port chooser open. Either the chooser lists the
// test's entries (each with a device path under its name) and whatever entry is chosen opens a
// scripted port, or it lists the pseudo-terminal of a tq310-sim process, which the real serial
// backend opens (the end-to-end tests, label pty). Once connected Timer1 stands still: the test
// ticks the engine itself, once the awaited bytes are waiting.
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "support/control.h"
#include "support/scripted_port.h"
#include "support/simulator_process.h"
#include "trace/trace_table.h"

namespace tq::test {

// One entry of the chooser: its name, and what kind of line it stands for.
struct ListedPort {
    std::string name;
    PortEntry::Kind kind = PortEntry::Kind::Device;
};

using Ports = std::vector<ListedPort>;

struct Form1Rig {
    explicit Form1Rig(const Ports& listed = {{"Porta seriale (COM1)"}}, const QString& discoveryError = {})
    {
        for (const ListedPort& e : listed)
            entries.push_back({e.name, QStringLiteral("/dev/ttyUSB%1").arg(entries.size()), {},
                               portNumberFromEntry(e.name).value_or(0), e.kind});
        form.setPortBackends([this, discoveryError] { return PortDiscovery{entries, discoveryError}; },
                             [this](const PortEntry*) {
                                 auto p = std::make_unique<ScriptedPort>();
                                 p->failOpen = failOpen;
                                 port = p.get();
                                 ++opened;
                                 return p;
                             });
        form.Form_Load();
    }

    // On tq310-sim (the program `simulator`, started with `arguments`): connected through the
    // chooser's entry "Porta seriale (COM1)" for its port alias, or started on its line as --port
    // starts it.
    explicit Form1Rig(const char* simulator, const QStringList& arguments = {}, bool portOption = false)
        : sim(std::make_unique<SimulatorProcess>(QString::fromLocal8Bit(simulator), arguments))
    {
        if (portOption) {
            form.Form_Load(sim->slave());
            control<QTimer>(form, "Timer1")->stop();
            return;
        }
        const QString alias = sim->waitForLine(QStringLiteral("Port alias: "));
        entries.push_back({"Porta seriale (COM1)", alias, alias, 1, PortEntry::Kind::Alias});
        form.setPortBackends([this] { return PortDiscovery{entries, {}}; }, {});
        form.Form_Load();
        connect(0);
    }

    // A click on the chooser's entry, as the user gives it.
    void choose(int entry)
    {
        QListWidget* list = form.chooser()->List1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(entry)).center());
    }
    void connect(int entry)
    {
        choose(entry);
        control<QTimer>(form, "Timer1")->stop();
    }

    Module1& m() { return form.module(); }
    const std::string& terminal() { return form.terminal().text(); }
    int interval() const { return control<QTimer>(form, "Timer1")->interval(); }
    void tick() { form.Timer1_Timer(); }
    bool waitForBytes(int count, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return form.port() && form.port()->bytesWaiting() >= count; }, ms);
    }
    // One tick once `count` bytes wait (on a scripted port, once `answer` is fed); whether they came.
    bool tickWhen(int count, const std::string& answer = {})
    {
        if (port)
            port->feed(answer);
        const bool arrived = waitForBytes(count);
        tick();
        return arrived;
    }
    // A read-back from the menu item, up to the end of the menu texts: the record's tick, then the
    // texts' (on a scripted port, `record` and `texts` are the controller's answers).
    bool readBack(const char* item, const std::string& record = {}, const std::string& texts = {})
    {
        use(form, item);
        return tickWhen(56, record) && m().Engine.mode() == ReceiveMode::MenuRead && tickWhen(120, texts)
            && m().Engine.mode() == ReceiveMode::Terminal;
    }

    // What the user has in hand: the working copy, its file's name and texts, whether ParUsb is
    // usable, the captions, and the list's lines with their tooltips.
    QString inHand()
    {
        const Module1& w = form.module();
        QStringList shown{QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(w.FileParams.data()),
                                                         qsizetype(w.FileParams.size())).toHex()),
                          QString::fromStdString(w.CurrentFileName),
                          QString::number(control<QAction>(form, "ParUsb")->isEnabled())};
        for (const std::string& text : w.FileMenuTexts)
            shown << QString::fromLatin1(text);
        for (const char* label : {"Label1", "Label4", "Label5", "Differenze"})
            shown << control<QLabel>(form, label)->text();
        const QListWidget* list = control<QListWidget>(form, "List1");
        for (int row = 0; row < list->count(); ++row)
            shown << list->item(row)->text() + QLatin1Char('|') + list->item(row)->toolTip();
        return shown.join(QLatin1Char('\n'));
    }

    // The rows of "Registro della linea": the direction and the meaning of each frame.
    QStringList traceRows()
    {
        form.lineTraceWindow()->refresh();
        QStringList rows;
        const QAbstractItemModel* model = form.lineTraceWindow()->Table->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, TraceTable::Direction).data().toString() + QLatin1Char(' ')
                    + model->index(row, TraceTable::Decoded).data().toString();
        return rows;
    }

    std::unique_ptr<SimulatorProcess> sim;
    std::vector<PortEntry> entries;
    bool failOpen = false;
    int opened = 0;
    QPointer<ScriptedPort> port;  // the last scripted port opened, null once it is closed
    Form1 form;
};

}  // namespace tq::test
