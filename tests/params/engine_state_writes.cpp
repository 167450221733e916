// Compiled, not run: outside link/ the receive engine's state can be read but not written. With
// no WRITE_ defined this file compiles; with each WRITE_ it must fail (tests/params/CMakeLists.txt).
#include "params/module1.h"

void outsideLink(tq::Module1& m, const tq::Module1& other)
{
    (void)m.Engine.mode();
    (void)other;
#if defined(WRITE_mode)
    m.Engine.m_mode = tq::ReceiveMode::InputPoll;
#elif defined(WRITE_toggle)
    m.Engine.m_phaseToggle = -1;
#elif defined(WRITE_module)
    m = other;
#endif
}
