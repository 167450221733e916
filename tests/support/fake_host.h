#pragma once
// The main window as the engine and the senders see it, recording what they asked of it. Every
// call is also logged into `log` (shared with a port's event list when the test wants one order
// across both).

#include <string>
#include <vector>

#include "link/engine_host.h"
#include "params/list_view.h"

namespace tq::test {

class FakeHost : public EngineHost {
public:
    TerminalText& terminal() override { return text; }
    void setTimerInterval(int ms) override { interval = ms; note("timer:" + std::to_string(ms)); }
    void ListInit() override
    {
        // What the terminal held when the list was rebuilt shows where the refresh fell.
        note("ListInit@" + text.text());
        if (module)
            tq::ListInit(*module);
    }
    void setLabel1(const std::string& caption) override { label1 = caption; note("Label1:" + caption); }
    void setLabel4(const std::string& caption) override { label4 = caption; note("Label4:" + caption); }
    void enableParUsb() override { parUsbEnabled = true; note("ParUsb"); }
    void conta() override { note("conta"); }
    // What the terminal held shows that the notification came after all the engine's text.
    void menuTextsTaken(bool recordTaken) override
    {
        note(std::string(recordTaken ? "readBack@" : "texts@") + text.text());
    }

    void note(const std::string& what) { (log ? *log : own).push_back(what); }
    const std::vector<std::string>& calls() const { return log ? *log : own; }

    Module1* module = nullptr;  // ListInit renders it when set
    TerminalText text;
    int interval = 100;
    std::string label1;
    std::string label4;
    bool parUsbEnabled = false;
    std::vector<std::string>* log = nullptr;

private:
    std::vector<std::string> own;
};

}  // namespace tq::test
