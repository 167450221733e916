// The scripted port's side of the line: it opens unless told to fail, and logs every call.
#include "support/scripted_port.h"

#include <utility>

namespace tq::test {

bool ScriptedPort::open(QString* error)
{
    if (!failOpen)
        opened = true;
    else if (error)
        *error = QStringLiteral("scripted failure");
    return !failOpen;
}

void ScriptedPort::write(std::string_view bytes)
{
    writes.emplace_back(bytes);
    events.push_back("write:" + std::string(bytes));
}

std::string ScriptedPort::takeAll()
{
    events.emplace_back("take");
    return std::exchange(incoming, {});
}

void ScriptedPort::take(char* into, std::size_t size)
{
    events.emplace_back("take");
    size = incoming.copy(into, size);
    incoming.erase(0, size);
}

void ScriptedPort::discardAll()
{
    events.emplace_back("discard");
    incoming.clear();
}

std::string ScriptedPort::sent() const
{
    std::string all;
    for (const auto& w : writes)
        all += w;
    return all;
}

}  // namespace tq::test
