#pragma once
// The main window as the engine and the senders see it, recording what they report under the
// names of the controls the window shows it on. Every call is logged into `log`, when given (a
// port's event list when the test wants one order across both).

#include <functional>
#include <string>
#include <vector>

#include "link/engine_host.h"
#include "params/list_view.h"

namespace tq::test {

class FakeHost : public EngineHost {
public:
    TerminalText& terminal() override { return text; }
    void intervalChanged(int ms) override
    {
        note("timer:" + std::to_string(ms));
        if (onInterval)
            onInterval(ms);
    }
    void copiesChanged() override
    {
        // What the terminal held when the list was rebuilt shows where the refresh fell.
        note("ListInit@" + text.text());
        if (module)
            tq::ListInit(*module);
    }
    void readBackCopied(const std::string& caption) override { note("Label1:" + caption); }
    void paramRecordTaken(const std::string& caption) override { label4 = caption; note("Label4:" + caption); }
    void usbCompilerAvailable() override { note("ParUsb"); }
    void simulationCourseTaken() override { note("conta"); }
    // What the terminal held shows that the notification came after all the engine's text.
    void menuTextsTaken(bool recordTaken) override
    {
        note(std::string(recordTaken ? "readBack@" : "texts@") + text.text());
    }

    void note(const std::string& what) { if (log) log->push_back(what); }

    Module1* module = nullptr;  // copiesChanged renders it when set
    TerminalText text;
    std::string label4;
    std::vector<std::string>* log = nullptr;
    std::function<void(int)> onInterval;  // Timer1's new interval, for a test that runs the timer
};

}  // namespace tq::test
