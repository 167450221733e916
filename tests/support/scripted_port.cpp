// The scripted port's side of the line: it opens unless told to fail, and logs every call.
#include "support/scripted_port.h"

#include <algorithm>

namespace tq::test {

bool ScriptedPort::open(QString* error)
{
    if (failOpen) {
        if (error)
            *error = QStringLiteral("scripted failure");
        return false;
    }
    opened = true;
    return true;
}

void ScriptedPort::write(std::string_view bytes)
{
    writes.emplace_back(bytes);
    events.push_back("write:" + std::string(bytes));
}

std::string ScriptedPort::takeAll()
{
    events.emplace_back("take");
    std::string all;
    all.swap(incoming);
    return all;
}

void ScriptedPort::take(char* into, std::size_t size)
{
    events.emplace_back("take");
    size = std::min(size, incoming.size());
    incoming.copy(into, size);
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
