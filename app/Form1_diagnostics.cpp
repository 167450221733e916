#include "app/Form1.h"

namespace tq {

void Form1::installDiagnostics()
{
}

void Form1::MascPro(std::uint8_t)
{
}

void Form1::conta()
{
}

}  // namespace tq
