#pragma once
// The controller of a saved trace: it answers each command the way the traced controller answered
// the same command bytes, the recorded answers in the order they were recorded (starting over
// after the last), so that the tool connected to it shows what the engineer saw at the machine.
// Every byte still reaches the simulated controller, which answers the commands the trace never
// saw and keeps its state (a write, the memory pointer) for them. In a fault mode other than
// "none" the simulated controller answers everything.
//
// The answer to a command is everything the controller sent after the frame of the tool that
// ended with that command, up to the tool's next frame.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/controller_model.h"
#include "trace/sent_commands.h"
#include "trace/trace_frames.h"

namespace tq::sim {

class TraceReplay {
public:
    TraceReplay(const std::vector<TraceFrame>& frames, ControllerModel& fallback);

    // The bytes that arrived at nowMs and what the traced controller answers to them.
    std::string receive(std::string_view bytes, std::int64_t nowMs);

    // How many different commands the trace holds answers for, and how many answers in all.
    std::size_t commandCount() const { return m_answers.size(); }
    std::size_t answerCount() const;

private:
    struct Recorded {
        std::vector<std::string> answers;
        std::size_t next = 0;
    };

    ControllerModel& m_model;
    std::map<std::string, Recorded> m_answers;
    CommandSplitter m_splitter;
    std::string m_modelAnswer;  // the simulated controller's answer to the command in progress
    std::int64_t m_lastByteMs = 0;
};

}  // namespace tq::sim
