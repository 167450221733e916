#pragma once
// A main window started as the program starts it, with the chooser's list and the ports put in
// by the test: a port opened from the list is a scripted port.

#include <QListWidget>
#include <QTest>

#include "app/Form1.h"
#include "support/scripted_port.h"
#include "ui/message_box.h"

namespace tq::test {

struct Form1Rig {
    explicit Form1Rig(std::vector<std::string> names)
    {
        int n = 0;
        for (const std::string& name : names)
            entries.push_back(PortEntry{name, QStringLiteral("/dev/ttyUSB%1  adattatore").arg(n++), {},
                                        portNumberFromEntry(name).value_or(0)});
        form.setPortBackends(
            [this] {
                ++discoveries;
                return PortDiscovery{entries, {}};
            },
            [this](const PortEntry* listed) {
                auto p = std::make_unique<ScriptedPort>();
                p->failOpen = failOpen;
                port = p.get();
                opened.push_back(listed);
                return p;
            });
        form.Form_Load();
    }

    // A click on the chooser's entry, as the user gives it.
    void choose(int row)
    {
        QListWidget* list = form.chooser()->List1;
        QListWidgetItem* item = list->item(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    }

    ui::MessageCapture messages;
    std::vector<PortEntry> entries;
    int discoveries = 0;
    bool failOpen = false;
    ScriptedPort* port = nullptr;          // the last one opened
    std::vector<const PortEntry*> opened;  // what each open was given
    Form1 form;
};

}  // namespace tq::test
