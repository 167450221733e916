#pragma once
// tq310-sim's loop over its simulated controllers, each on a line of its own, and the console for
// the trainer: a fault name typed on standard input switches every controller to it ("drop"
// hangs the lines up, any other name plugs them in again), "quit" ends. SIGINT and SIGTERM end it
// too; the lines are hung up on the way out.

#include <string>
#include <vector>

#include "sim/station.h"

namespace tq::sim {

class SimLoop {
public:
    explicit SimLoop(std::vector<Station*> stations) : m_stations(std::move(stations)) {}

    // Returns the process exit code.
    int run();

private:
    bool plugAll();
    void readConsole();
    void console(const std::string& line);

    std::vector<Station*> m_stations;
    std::string m_consoleBuffer;
    bool m_consoleOpen = true;
    bool m_quit = false;
    int m_exitCode = 0;
};

}  // namespace tq::sim
