#include "trace/sent_commands.h"

#include <utility>

#include "link/commands.h"

namespace tq {

bool CommandSplitter::complete() const
{
    switch (m_pending.front()) {
    case cmd::WriteParams:
        return m_pending.size() == kWriteCommandBytes;
    case cmd::SaveEeprom:
        return m_pending.size() > 1 && (m_pending.back() == '\r' || m_pending.size() > 1 + kPasswordMaxBytes);
    case cmd::SetOutputs:
        return m_pending.size() == kOutputCommandBytes;
    default:
        return true;
    }
}

std::optional<std::string> CommandSplitter::push(char byte)
{
    m_pending += byte;
    if (!complete())
        return std::nullopt;
    return std::exchange(m_pending, {});
}

std::vector<std::string> splitCommands(std::string_view sent)
{
    std::vector<std::string> commands;
    CommandSplitter splitter;
    for (char c : sent)
        if (auto command = splitter.push(c))
            commands.push_back(std::move(*command));
    if (!splitter.pending().empty())
        commands.push_back(splitter.pending());
    return commands;
}

}  // namespace tq
