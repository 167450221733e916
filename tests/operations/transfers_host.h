#pragma once
// The main window as far as the senders and the receive engine see it: it records what they
// show and set, and refreshes the list from the shared state as the window does.

#include <string>

#include "link/engine_host.h"
#include "params/list_view.h"
#include "params/module1.h"

namespace tq::test {

class TransfersHost : public EngineHost {
public:
    explicit TransfersHost(Module1& m) : m_m(m) {}

    TerminalText& terminal() override { return text; }
    void setTimerInterval(int ms) override { interval = ms; }
    void ListInit() override
    {
        list = tq::ListInit(m_m);
        label1 = list.label1;
        ++listRefreshes;
    }
    void setLabel1(const std::string& caption) override { label1 = caption; }
    void setLabel4(const std::string& caption) override { label4 = caption; }
    void enableParUsb() override { parUsb = true; }
    void MascPro(std::uint8_t) override {}
    void conta() override {}

    TerminalText text;
    int interval = 100;
    ListContent list;
    int listRefreshes = 0;
    std::string label1;
    std::string label4;
    bool parUsb = false;

private:
    Module1& m_m;
};

}  // namespace tq::test
