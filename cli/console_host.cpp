#include "cli/console_host.h"

#include "params/list_view.h"

namespace tq::cli {

void ConsoleHost::ListInit()
{
    m_label5 = tq::ListInit(m_m).label5;
}

}  // namespace tq::cli
