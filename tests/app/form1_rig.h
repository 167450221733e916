#pragma once
// A main window started as the program starts it, its chooser listing the given entries (each
// with a device path under its name); whatever entry is chosen, the port opened is a scripted one.

#include <QListWidget>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <string>
#include <vector>

#include "app/Form1.h"
#include "support/control.h"
#include "support/scripted_port.h"
#include "ui/choice_list.h"

namespace tq::test {

// One entry of the chooser: its name, and what kind of line it stands for.
struct ListedPort {
    std::string name;
    PortEntry::Kind kind = PortEntry::Kind::Device;
};

struct Form1Rig {
    explicit Form1Rig(const std::vector<ListedPort>& listed = {{"Porta seriale (COM1)"}})
    {
        for (const ListedPort& e : listed) {
            PortEntry entry{e.name, QStringLiteral("/dev/ttyUSB%1").arg(entries.size()), {},
                            portNumberFromEntry(e.name).value_or(0)};
            entry.kind = e.kind;
            entries.push_back(entry);
        }
        form.setPortBackends([this] { return PortDiscovery{entries, {}}; }, [this](const PortEntry*) {
            auto p = std::make_unique<ScriptedPort>();
            p->failOpen = failOpen;
            port = p.get();
            ++opened;
            return p;
        });
        form.Form_Load();
    }

    // A click on the chooser's entry; the receive timer then waits for the test's ticks.
    void connect(int entry)
    {
        QListWidget* list = form.chooser()->List1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(entry)).center());
        control<QTimer>(form, "Timer1")->stop();
    }

    std::vector<PortEntry> entries;
    bool failOpen = false;
    int opened = 0;
    QPointer<ScriptedPort> port;  // the last one opened, null once it is closed
    Form1 form;
};

}  // namespace tq::test
